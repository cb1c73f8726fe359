// Strings for bundles: every string handed out is a new record carrying one reference for the
// bundle. A nil string is the empty string.
#include "runtime/core/encoding.h"
#include "runtime/core/string.h"
#include "runtime/plugin_host/boundary.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {

HostStringRecord *Record(HostString s) { return static_cast<HostStringRecord *>(s); }

// What the runtime converts between, and "none" for bytes without an encoding. Any other
// value is not converted: relabelling would claim an encoding the bytes are not in.
bool Convertible(HostWord encoding) {
  switch (encoding) {
    case rt::kEncodingMacRoman:
    case rt::kEncodingUTF16:
    case rt::kEncodingASCII:
    case rt::kEncodingUTF8:
    case rt::kEncodingNone:
      return true;
    default:
      return false;
  }
}

}  // namespace

// Raw bytes have no encoding until the bundle names one, which it does right after.
extern "C" HostString REALBuildString(const void *bytes, int32_t length) noexcept {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  return rt::AtBoundary<HostString>(
      nullptr, [&] { return rt::NewStringRecord(bytes, static_cast<size_t>(length), rt::kEncodingNone); });
}

extern "C" void REALLockString(HostString string) noexcept { rt::LockStringRecord(Record(string)); }

extern "C" void REALUnlockString(HostString string) noexcept { rt::UnlockStringRecord(Record(string)); }

extern "C" uint32_t REALGetStringEncoding(HostString string) noexcept {
  return string ? static_cast<uint32_t>(Record(string)->encoding) : rt::kEncodingNone;
}

extern "C" void REALSetStringEncoding(HostString string, uint32_t encoding) noexcept {
  if (string) Record(string)->encoding = encoding;
}

extern "C" HostString REALConvertString(HostString string, uint32_t encoding) noexcept {
  if (!string || !Convertible(encoding) || !Convertible(Record(string)->encoding)) return nullptr;
  return rt::AtBoundary<HostString>(nullptr, [&]() -> HostString {
    std::optional<rt::String> converted = rt::TryConvertEncoding(rt::String::Retain(Record(string)), encoding);
    return converted ? converted->Release() : nullptr;
  });
}
