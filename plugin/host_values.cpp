#include "plugin/host_values.h"

#include <cstring>
#include <limits>

#include "plugin/host_callbacks.h"

namespace qrv {

std::string_view StringBytes(HostString string) {
  const HostStringRecord *record = StringRecord(string);
  if (record == nullptr || record->storage == nullptr || record->length <= 0) {
    return {};
  }
  return {reinterpret_cast<const char *>(record->storage + 1),
          static_cast<size_t>(record->length)};
}

HostString NewStringFromBytes(const void *bytes, intptr_t length, uint32_t encoding) {
  if (bytes == nullptr || length <= 0 || length > std::numeric_limits<int32_t>::max()) {
    return nullptr;
  }
  HostString built = HostBuildString(bytes, static_cast<int32_t>(length));
  if (built == nullptr) {
    return nullptr;
  }
  if (encoding == HOST_ENCODING_UTF16) {
    HostSetStringEncoding(built, HOST_ENCODING_UTF16);
    HostString converted = HostConvertString(built, HOST_ENCODING_UTF8);
    HostUnlockString(built);
    return converted;
  }
  HostSetStringEncoding(built, encoding);
  return built;
}

HostObject NewMemoryBlockFromBytes(const void *bytes, intptr_t length) {
  if (bytes == nullptr || length <= 0 || length > std::numeric_limits<int32_t>::max()) {
    return nullptr;
  }
  HostObject block = HostNewMemoryBlock(static_cast<int32_t>(length));
  if (block == nullptr) {
    return nullptr;
  }
  void *destination = HostMemoryBlockPtr(block);
  if (destination == nullptr) {
    HostUnlockObject(block);
    return nullptr;
  }
  std::memcpy(destination, bytes, static_cast<size_t>(length));
  return block;
}

}  // namespace qrv
