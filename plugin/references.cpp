#include "plugin/references.h"

#include <cmath>
#include <string>

#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"

// Targets whose addresses the callers hand on: C convention, and kept apart so the two
// look-alike functions never fold into one address (GCC folds identical functions unless told
// not to; clang does not, and does not know the attribute).
#if defined(__clang__)
#define QRV_KEEP_APART
#else
#define QRV_KEEP_APART __attribute__((noipa))
#endif
extern "C" {
QRV_KEEP_APART static int32_t ReturnZero() { return 0; }
QRV_KEEP_APART static int32_t ReturnThirdForOutput(int32_t, int32_t, int32_t third) {
  return third;
}
QRV_KEEP_APART static int32_t ReturnThirdForError(int32_t, int32_t, int32_t third) {
  return third;
}
}

namespace qrv {
namespace {

// The word of a host record that holds its reference count moved between host versions.
size_t CountWordFor(double version) {
  if (std::isnan(version) || version < 5.0) {
    return 0;
  }
  return version < 5.4 ? 4 : 3;
}

}  // namespace

HostObject NewInstanceQRV(HostString className) {
  const std::string name(StringBytes(className));
  return HostNewInstance(name.c_str());
}

intptr_t MemoryAddressQRV(void *reference) { return reinterpret_cast<intptr_t>(reference); }

intptr_t ReferenceCountQRV(void *reference) {
  if (reference == nullptr) {
    return 0;
  }
  const HostWord count = static_cast<const HostWord *>(reference)[CountWordFor(HostVersion())];
  return static_cast<intptr_t>(count - 1);  // unsigned, so a crafted count cannot overflow
}

intptr_t ReturnInPtrQRV() { return reinterpret_cast<intptr_t>(&ReturnZero); }

intptr_t ReturnOutPtrQRV() { return reinterpret_cast<intptr_t>(&ReturnThirdForOutput); }

intptr_t ReturnErrPtrQRV() { return reinterpret_cast<intptr_t>(&ReturnThirdForError); }

}  // namespace qrv
