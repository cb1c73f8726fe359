// Text encoding conversion through iconv.
#pragma once

#include <optional>
#include <string>

#include "runtime/core/string.h"

namespace rt {

// The bytes of `s` converted to `to`, or nothing when iconv cannot convert them. Text without an
// encoding is only relabelled: there is nothing to convert from.
std::optional<String> TryConvertEncoding(const String &s, uint32_t to);

// The framework's ConvertEncoding: characters that do not convert become "?".
String ConvertEncoding(const String &s, uint32_t to);

}  // namespace rt
