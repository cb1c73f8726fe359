// The preferences file, big-endian, format version 1:
//   version (4 bytes), modifier (length byte + text), key (length byte + text),
//   macro count (2 bytes), then per macro: name (length byte + text), body length (2 bytes), body.
#pragma once

#include <cstddef>

namespace tovra {

inline constexpr const char *kPreferencesFileName = "Tovra! Preferences.tovraprefs";
inline constexpr int kPreferencesFormatVersion = 1;
inline constexpr size_t kMaxShortText = 255;
inline constexpr size_t kMaxBodyBytes = 65535;
inline constexpr size_t kMaxMacros = 65535;

}  // namespace tovra
