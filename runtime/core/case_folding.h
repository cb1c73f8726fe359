// Text compared without regard to letter case, for every letter that has case: both sides are
// seen through Unicode full case folding (GLib's), so "MÉTÉO" equals "météo" and "STRASSE"
// equals "straße". Bytes that are not valid UTF-8 do not fold; each compares as itself.
#pragma once

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
bool StartsWithFoldedFrom(std::string_view text, std::string_view prefix, size_t from);
// For text in UTF-16 or Mac Roman: compared as the characters it stands for.
int CompareConverted(const String &a, const String &b);
bool StartsWithConverted(const String &text, const String &prefix);

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

// True when the folded `prefix` begins the folded `text` and ends on a character of it.
inline bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  using case_folding_detail::FoldAscii;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (i == text.size()) return false;
    auto cp = static_cast<unsigned char>(prefix[i]);
    auto ct = static_cast<unsigned char>(text[i]);
    if ((cp | ct) >= 0x80) return case_folding_detail::StartsWithFoldedFrom(text, prefix, i);
    if (FoldAscii(cp) != FoldAscii(ct)) return false;
  }
  return true;  // after ASCII, text starts a character
}

// Strings in any encoding: UTF-16 and Mac Roman text is read as the characters it stands for;
// bytes without an encoding, and bytes that do not convert, are read as UTF-8.
inline int CompareIgnoringCase(const String &a, const String &b) {
  using case_folding_detail::ReadsAsUtf8;
  if (ReadsAsUtf8(a) && ReadsAsUtf8(b)) return CompareFolded(a.Bytes(), b.Bytes());
  return case_folding_detail::CompareConverted(a, b);
}
inline bool EqualIgnoringCase(const String &a, const String &b) { return CompareIgnoringCase(a, b) == 0; }
inline bool StartsWithIgnoringCase(const String &text, const String &prefix) {
  using case_folding_detail::ReadsAsUtf8;
  if (prefix.IsEmpty()) return true;  // completion of nothing lists every name unread
  if (ReadsAsUtf8(text) && ReadsAsUtf8(prefix)) return StartsWithFolded(text.Bytes(), prefix.Bytes());
  return case_folding_detail::StartsWithConverted(text, prefix);
}

// The folded text of `s`: two strings' foldings order by their bytes as CompareIgnoringCase
// orders the strings. For sorting many names, which then folds each name once.
std::string FoldCase(const String &s);

}  // namespace rt
