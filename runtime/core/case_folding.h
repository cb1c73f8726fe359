// Text compared without regard to letter case, for every letter that has case: both sides are
// seen through Unicode full case folding (GLib's), so "MÉTÉO" equals "météo" and "STRASSE"
// equals "straße". Bytes that are not valid UTF-8 do not fold; each compares as itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/core/string.h"

namespace rt {

namespace case_folding_detail {

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
// The comparisons below from byte `from` on, where a character other than ASCII begins.
int CompareFoldedFrom(std::string_view a, std::string_view b, size_t from);
// For text in UTF-16 or Mac Roman: compared as the characters it stands for.
int CompareConverted(const String &a, const String &b);

// Eight bytes at a time, the last word overlapping the one before: it runs once per name of
// another length in every lookup.
inline bool IsAscii(std::string_view text) {
  const char *p = text.data();
  size_t n = text.size();
  auto word = [](const char *at) {
    uint64_t w;
    std::memcpy(&w, at, 8);
    return w;
  };
  uint64_t any = 0;
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8) any |= word(p + i);
    any |= word(p + n - 8);
  } else {
    for (size_t i = 0; i < n; ++i) any |= static_cast<unsigned char>(p[i]);
  }
  return (any & 0x8080808080808080ULL) == 0;
}

inline bool ReadsAsUtf8(const String &s) {
  return s.Encoding() != kEncodingUTF16 && s.Encoding() != kEncodingMacRoman;
}

}  // namespace case_folding_detail

// UTF-8 bytes. Below zero, zero or above zero as the folded `a` sorts before, equal to or after
// the folded `b`, byte by byte (which is code point order).
inline int CompareFolded(std::string_view a, std::string_view b) {
  using case_folding_detail::FoldAscii;
  // An ASCII character folds to one ASCII byte, so while both sides are ASCII the folded bytes
  // are at hand without folding anything. Every name lookup runs this loop once per name.
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if ((ca | cb) >= 0x80) return case_folding_detail::CompareFoldedFrom(a, b, i);
    if (ca == cb) continue;
    ca = FoldAscii(ca);
    cb = FoldAscii(cb);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  // A character never folds to nothing, so the longer text sorts after.
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Strings in any encoding: UTF-16 and Mac Roman text is read as the characters it stands for;
// bytes without an encoding, and bytes that do not convert, are read as UTF-8.
inline int CompareIgnoringCase(const String &a, const String &b) {
  using case_folding_detail::ReadsAsUtf8;
  if (ReadsAsUtf8(a) && ReadsAsUtf8(b)) return CompareFolded(a.Bytes(), b.Bytes());
  return case_folding_detail::CompareConverted(a, b);
}
// Equal foldings of texts of different lengths need a character other than ASCII in the longer
// text: an ASCII text folds to its own length, and a character that folds to ASCII is never
// shorter than its folding. So an ASCII name of another length is told apart without reading it,
// and lookups of ASCII names stay as fast as a comparison of ASCII letters only.
inline bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size() && case_folding_detail::IsAscii(a.size() > b.size() ? a : b)) return false;
  return CompareFolded(a, b) == 0;
}
inline bool EqualIgnoringCase(const String &a, const String &b) {
  using case_folding_detail::ReadsAsUtf8;
  if (ReadsAsUtf8(a) && ReadsAsUtf8(b)) return EqualFolded(a.Bytes(), b.Bytes());
  return case_folding_detail::CompareConverted(a, b) == 0;
}
// One name compared with many, as a lookup does: what the name tells of itself is found once,
// so a text of another length is mostly told apart by its length and encoding alone.
class EqualIgnoringCaseTo {
 public:
  explicit EqualIgnoringCaseTo(const String &wanted)
      : wanted_(wanted),
        bytes_(wanted.Bytes()),
        utf8_(case_folding_detail::ReadsAsUtf8(wanted)),
        ascii_(utf8_ && case_folding_detail::IsAscii(bytes_)) {}
  bool operator()(const String &s) const {
    using case_folding_detail::ReadsAsUtf8;
    std::string_view b = s.Bytes();
    if (b.size() < bytes_.size() && ascii_ && ReadsAsUtf8(s)) return false;
    if (!utf8_ || !ReadsAsUtf8(s)) return EqualIgnoringCase(s, wanted_);
    if (b.size() > bytes_.size() && case_folding_detail::IsAscii(b)) return false;
    return CompareFolded(b, bytes_) == 0;
  }

 private:
  const String &wanted_;
  std::string_view bytes_;
  bool utf8_;
  bool ascii_;
};

// Whether as many characters of a text as `prefix` has (the whole text when it is shorter) equal
// `prefix` ignoring case: how a typed beginning picks the names it completes. Characters count as
// Len counts them, so "Straße" begins "STRASSE" only as a whole, and "ß" never begins "s". Made
// once per prefix and asked of many texts.
class LeftEqualsIgnoringCase {
 public:
  explicit LeftEqualsIgnoringCase(const String &prefix);
  bool operator()(const String &text) const {
    return length_ == 0 || LeftEquals(text);  // an empty prefix: every text, none of it read
  }

 private:
  bool LeftEquals(const String &text) const {
    using case_folding_detail::FoldAscii;
    if (!utf8Prefix_ || !case_folding_detail::ReadsAsUtf8(text)) return CompareHead(text, 0);
    // While both are ASCII, a byte is a character on either side: the text's first bytes are
    // its first characters, and an ASCII text shorter than the prefix never folds to it.
    std::string_view t = text.Bytes(), p = prefix_.Bytes();
    for (size_t i = 0; i < p.size(); ++i) {
      if (i == t.size()) return false;
      auto ct = static_cast<unsigned char>(t[i]);
      auto cp = static_cast<unsigned char>(p[i]);
      if ((ct | cp) >= 0x80) return CompareHead(text, i);
      if (FoldAscii(ct) != FoldAscii(cp)) return false;
    }
    // A stray continuation byte after the last character still belongs to it.
    return t.size() == p.size() || (static_cast<unsigned char>(t[p.size()]) & 0xC0) != 0x80 ||
           CompareHead(text, p.size());
  }
  // The comparison from byte `from` on, before which both are the same ASCII characters.
  bool CompareHead(const String &text, size_t from) const;

  const String &prefix_;
  int length_;  // in characters
  bool utf8Prefix_;
  std::string foldedPrefix_;  // of a prefix read as UTF-8
};

// The folded text of `s`: two strings' foldings order by their bytes as CompareIgnoringCase
// orders the strings. For sorting many names, which then folds each name once.
std::string FoldCase(const String &s);

}  // namespace rt
