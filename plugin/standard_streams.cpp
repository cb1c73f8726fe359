#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "plugin/host_values.h"
#include "plugin/system.h"

namespace qrv {

HostString StdinRead(HostObject, intptr_t count) {
  if (count <= 0) {
    return nullptr;
  }
  auto *buffer = static_cast<char *>(std::calloc(1, static_cast<size_t>(count)));
  if (buffer == nullptr) {
    return nullptr;
  }
  const size_t read = std::fread(buffer, 1, static_cast<size_t>(count), stdin);
  HostString result =
      read > 0 ? NewStringFromBytes(buffer, static_cast<intptr_t>(read), HOST_ENCODING_NONE) : nullptr;
  std::free(buffer);
  return result;
}

// Unflushed: the text leaves with the C library's buffer.
void StdoutWrite(HostObject, HostString data) {
  const std::string_view bytes = StringBytes(data);
  if (!bytes.empty()) {
    std::fwrite(bytes.data(), bytes.size(), 1, stdout);
  }
}

}  // namespace qrv
