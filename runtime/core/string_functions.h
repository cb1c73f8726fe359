// The runtime's text functions. Len, Left and Mid count characters: UTF-8 sequences for UTF-8
// text and for bytes without an encoding, single bytes for ASCII and Mac Roman, 16-bit units
// for UTF-16. LenB counts bytes.
#pragma once

#include <cstdint>

#include "runtime/core/string.h"

namespace rt {

int Len(const String &s);
int LenB(const String &s);
String Left(const String &s, int count);
String Mid(const String &s, int start);
String Mid(const String &s, int start, int count);
String Trim(const String &s);
int Asc(const String &s);
String Chr(int code);
String Str(int64_t value);
String ReplaceAll(const String &s, const String &find, const String &replacement);
int CountFields(const String &s, const String &separator);
String NthField(const String &s, const String &separator, int n);

// Bytes of at most maxBytes, cut back so no character is split.
std::string_view CutAtCharacterBoundary(std::string_view bytes, size_t maxBytes);

}  // namespace rt
