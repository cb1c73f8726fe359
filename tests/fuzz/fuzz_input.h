// What the fuzz targets share: taking typed values off the front of an input, and a check that
// ends the run when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace fuzz {

// A failed check is a crash to the fuzzer and a failed case to the corpus runner.
inline void Check(bool holds, const char *what) {
  if (!holds) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

// Bytes past the end of the input read as 0.
class Input {
 public:
  Input(const uint8_t *data, size_t size) : bytes_(reinterpret_cast<const char *>(data), size) {}

  uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const auto b = static_cast<uint8_t>(bytes_[0]);
    bytes_.remove_prefix(1);
    return b;
  }
  int32_t Int32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return static_cast<int32_t>(value);
  }
  std::string_view Take(size_t count) {
    std::string_view taken = bytes_.substr(0, count);
    bytes_.remove_prefix(taken.size());
    return taken;
  }
  std::string_view Rest() { return Take(bytes_.size()); }

 private:
  std::string_view bytes_;
};

}  // namespace fuzz
