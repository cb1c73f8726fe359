// Strings for bundles: every string handed out carries one reference for the bundle.
#include "runtime/core/encoding.h"
#include "runtime/core/string.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {
HostStringRecord *Record(HostString s) { return static_cast<HostStringRecord *>(s); }
}  // namespace

extern "C" HostString REALBuildString(const void *bytes, int32_t length) {
  if (length < 0 || (!bytes && length > 0)) return nullptr;
  return rt::NewStringRecord(bytes, static_cast<size_t>(length), rt::kEncodingNone);
}

extern "C" void REALLockString(HostString string) { rt::LockStringRecord(Record(string)); }

extern "C" void REALUnlockString(HostString string) { rt::UnlockStringRecord(Record(string)); }

extern "C" uint32_t REALGetStringEncoding(HostString string) {
  return string ? static_cast<uint32_t>(Record(string)->encoding) : rt::kEncodingNone;
}

extern "C" void REALSetStringEncoding(HostString string, uint32_t encoding) {
  if (string) Record(string)->encoding = encoding;
}

extern "C" HostString REALConvertString(HostString string, uint32_t encoding) {
  if (!string) return nullptr;
  std::optional<rt::String> converted = rt::TryConvertEncoding(rt::String::Retain(Record(string)), encoding);
  return converted ? converted->Release() : nullptr;
}
