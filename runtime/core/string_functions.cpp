#include "runtime/core/string_functions.h"

#include <string>
#include <vector>

namespace rt {
namespace {

enum class Unit { kUtf8, kByte, kUtf16 };

Unit UnitOf(const String &s) {
  switch (s.Encoding()) {
    case kEncodingASCII:
    case kEncodingMacRoman:
      return Unit::kByte;
    case kEncodingUTF16:
      return Unit::kUtf16;
    default:
      return Unit::kUtf8;
  }
}

inline bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset where character number `index` (0-based) starts, or the byte length past the end.
size_t OffsetOfCharacter(std::string_view bytes, Unit unit, size_t index) {
  if (unit == Unit::kByte) return index < bytes.size() ? index : bytes.size();
  if (unit == Unit::kUtf16) return index * 2 < bytes.size() ? index * 2 : bytes.size();
  size_t seen = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 0 || !IsContinuation(static_cast<unsigned char>(bytes[i]))) {
      if (seen == index) return i;
      ++seen;
    }
  }
  return bytes.size();
}

size_t CountCharacters(std::string_view bytes, Unit unit) {
  if (unit == Unit::kByte) return bytes.size();
  if (unit == Unit::kUtf16) return (bytes.size() + 1) / 2;
  size_t count = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i == 0 || !IsContinuation(static_cast<unsigned char>(bytes[i]))) ++count;
  }
  return count;
}

String Slice(const String &s, size_t from, size_t to) {
  return String(s.Bytes().substr(from, to - from), s.Encoding());
}

}  // namespace

int Len(const String &s) { return static_cast<int>(CountCharacters(s.Bytes(), UnitOf(s))); }

int LenB(const String &s) { return static_cast<int>(s.ByteLength()); }

String Left(const String &s, int count) {
  if (count < 1) return String("", s.Encoding());
  return Slice(s, 0, OffsetOfCharacter(s.Bytes(), UnitOf(s), static_cast<size_t>(count)));
}

String Mid(const String &s, int start) {
  size_t first = start < 1 ? 0 : static_cast<size_t>(start - 1);
  return Slice(s, OffsetOfCharacter(s.Bytes(), UnitOf(s), first), s.ByteLength());
}

String Mid(const String &s, int start, int count) {
  if (count < 1) return String("", s.Encoding());
  size_t first = start < 1 ? 0 : static_cast<size_t>(start - 1);
  Unit unit = UnitOf(s);
  size_t from = OffsetOfCharacter(s.Bytes(), unit, first);
  size_t to = from + OffsetOfCharacter(s.Bytes().substr(from), unit, static_cast<size_t>(count));
  return Slice(s, from, to);
}

String Trim(const String &s) {
  std::string_view b = s.Bytes();
  size_t from = b.find_first_not_of(' ');
  if (from == std::string_view::npos) return String("", s.Encoding());
  size_t to = b.find_last_not_of(' ') + 1;
  if (from == 0 && to == b.size()) return s;
  return Slice(s, from, to);
}

int Asc(const String &s) {
  std::string_view b = s.Bytes();
  if (b.empty()) return 0;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
  Unit unit = UnitOf(s);
  if (unit == Unit::kByte) return byte(0);
  if (unit == Unit::kUtf16) return b.size() >= 2 ? (byte(0) | byte(1) << 8) : byte(0);
  unsigned char c = byte(0);
  int length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (length == 1 || b.size() < static_cast<size_t>(length)) return c;
  int code = c & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if (!IsContinuation(byte(i))) return c;
    code = code << 6 | (byte(i) & 0x3F);
  }
  return code;
}

String Chr(int code) {
  std::string out;
  auto u = static_cast<unsigned>(code);
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | u >> 6);
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | u >> 12);
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | u >> 18);
    out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
  return String(out);
}

String Str(int64_t value) { return String(std::to_string(value)); }

String ReplaceAll(const String &s, const String &find, const String &replacement) {
  std::string_view text = s.Bytes();
  std::string_view pattern = find.Bytes();
  if (pattern.empty()) return s;
  size_t at = text.find(pattern);
  if (at == std::string_view::npos) return s;
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  while (at != std::string_view::npos) {
    out.append(text.substr(from, at - from));
    out.append(replacement.Bytes());
    from = at + pattern.size();
    at = text.find(pattern, from);
  }
  out.append(text.substr(from));
  return String(out, s.Encoding());
}

int CountFields(const String &s, const String &separator) {
  std::string_view text = s.Bytes();
  std::string_view sep = separator.Bytes();
  if (text.empty()) return 0;
  if (sep.empty()) return 1;
  int count = 1;
  for (size_t at = text.find(sep); at != std::string_view::npos; at = text.find(sep, at + sep.size()))
    ++count;
  return count;
}

String NthField(const String &s, const String &separator, int n) {
  std::string_view text = s.Bytes();
  std::string_view sep = separator.Bytes();
  if (n < 1 || text.empty()) return String("", s.Encoding());
  if (sep.empty()) return n == 1 ? s : String("", s.Encoding());
  size_t from = 0;
  for (int field = 1; field < n; ++field) {
    size_t at = text.find(sep, from);
    if (at == std::string_view::npos) return String("", s.Encoding());
    from = at + sep.size();
  }
  size_t to = text.find(sep, from);
  if (to == std::string_view::npos) to = text.size();
  return Slice(s, from, to);
}

std::string_view CutAtCharacterBoundary(std::string_view bytes, size_t maxBytes) {
  if (bytes.size() <= maxBytes) return bytes;
  size_t cut = maxBytes;
  // Back off over at most three continuation bytes: a UTF-8 sequence is at most four long.
  for (int i = 0; i < 3 && cut > 0 && IsContinuation(static_cast<unsigned char>(bytes[cut])); ++i)
    --cut;
  if (IsContinuation(static_cast<unsigned char>(bytes[cut]))) cut = maxBytes;  // not UTF-8 here
  return bytes.substr(0, cut);
}

}  // namespace rt
