// One request of the file reference probe, answered by the four C functions, in whatever
// process asks: a line in, a line out, so the test asks itself and a fresh process alike.
//   ref <path>        -> "0 <FSRef as hex>" or "<code>"
//   spec <path>       -> "<code> <FSSpec as hex>" (0, or -43 for a file yet to be made) or "<code>"
//   path-ref <hex>    -> "0 <path>" or "<code>"
//   path-spec <hex>   -> "<code> <path>" (0, or -43 where the folder holds no such item) or "<code>"
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "abi/file_manager.h"

namespace probe {

inline std::string Hex(const void *bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t at = 0; at < size; ++at) {
    const auto byte = static_cast<const unsigned char *>(bytes)[at];
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0xF];
  }
  return hex;
}

template <typename Record>
std::optional<Record> FromHex(const std::string &hex) {
  if (hex.size() != 2 * sizeof(Record)) {
    return std::nullopt;
  }
  unsigned char bytes[sizeof(Record)];
  for (size_t at = 0; at < sizeof bytes; ++at) {
    unsigned value = 0;
    for (char digit : {hex[2 * at], hex[2 * at + 1]}) {
      if (digit >= '0' && digit <= '9') {
        value = value * 16 + static_cast<unsigned>(digit - '0');
      } else if (digit >= 'a' && digit <= 'f') {
        value = value * 16 + static_cast<unsigned>(digit - 'a' + 10);
      } else {
        return std::nullopt;
      }
    }
    bytes[at] = static_cast<unsigned char>(value);
  }
  Record record;
  std::memcpy(&record, bytes, sizeof record);
  return record;
}

inline std::string Answer(const std::string &request) {
  const size_t space = request.find(' ');
  const std::string verb = request.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : request.substr(space + 1);
  char path[4097] = "";
  if (verb == "ref") {
    FSRef ref{};
    const int16_t error = FSPathMakeRef(argument.c_str(), &ref, nullptr);
    return error == 0 ? "0 " + Hex(&ref, sizeof ref) : std::to_string(error);
  }
  if (verb == "spec") {
    FSSpec spec{};
    const int16_t error = FSPathMakeFSSpec(argument.c_str(), &spec);
    return std::to_string(error) + (error == 0 || error == -43 ? " " + Hex(&spec, sizeof spec) : "");
  }
  if (verb == "path-ref") {
    const std::optional<FSRef> ref = FromHex<FSRef>(argument);
    if (!ref) {
      return "-50";
    }
    const int16_t error = FSRefMakePath(&*ref, path, sizeof path);
    return error == 0 ? std::string("0 ") + path : std::to_string(error);
  }
  if (verb == "path-spec") {
    const std::optional<FSSpec> spec = FromHex<FSSpec>(argument);
    if (!spec) {
      return "-50";
    }
    const int16_t error = FSSpecMakePath(&*spec, path, sizeof path);
    return std::to_string(error) + ((error == 0 || error == -43) && path[0] != '\0' ? std::string(" ") + path : "");
  }
  return "-50";
}

}  // namespace probe
