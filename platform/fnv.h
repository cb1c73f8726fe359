// FNV-1a 64, the hash that the marks and stamps written into file references are made with.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

constexpr uint64_t kFnvBasis = 0xCBF29CE484222325u;

inline uint64_t Fnv1a(uint64_t hash, const void *bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    hash = (hash ^ static_cast<const unsigned char *>(bytes)[i]) * 0x100000001B3u;
  }
  return hash;
}

}  // namespace platform
