#include "runtime/core/string_functions.h"

#include <gtest/gtest.h>

using rt::String;

namespace {

std::string S(const String &s) { return s.ToStd(); }

TEST(RuntimeString, EqualityIgnoresLetterCaseOnly) {
  EXPECT_TRUE(String("F3") == String("f3"));
  EXPECT_TRUE(String("") == String());
  EXPECT_FALSE(String("f3 ") == String("f3"));
  EXPECT_FALSE(String("é") == String("e"));
}

TEST(RuntimeString, RecordKeepsLengthByteTextAndTerminator) {
  String s("abc");
  HostStringRecord *r = s.Record();
  EXPECT_EQ(r->length, 3);
  EXPECT_EQ(r->storage[0], 3);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(r->storage + 1)), "abc");
  EXPECT_EQ(r->encoding, rt::kEncodingUTF8);
  String copy = s;
  EXPECT_EQ(r->referenceCount, 2u);
}

TEST(RuntimeString, CharacterFunctionsCountUtf8Characters) {
  String s("aé€😀b");  // 1 + 2 + 3 + 4 + 1 bytes
  EXPECT_EQ(rt::Len(s), 5);
  EXPECT_EQ(rt::LenB(s), 11);
  EXPECT_EQ(S(rt::Left(s, 2)), "aé");
  EXPECT_EQ(S(rt::Left(s, 0)), "");
  EXPECT_EQ(S(rt::Left(s, -3)), "");
  EXPECT_EQ(S(rt::Left(s, 99)), "aé€😀b");
  EXPECT_EQ(S(rt::Mid(s, 3)), "€😀b");
  EXPECT_EQ(S(rt::Mid(s, 4, 1)), "😀");
  EXPECT_EQ(S(rt::Mid(s, 9)), "");
  EXPECT_EQ(rt::Asc(String("€")), 0x20AC);
  EXPECT_EQ(rt::Asc(String("\x1b")), 27);
  EXPECT_EQ(S(rt::Chr(0x20AC)), "€");
}

TEST(RuntimeString, SingleByteEncodingsCountBytes) {
  String roman(std::string_view("\x8e\x8f"), rt::kEncodingMacRoman);
  EXPECT_EQ(rt::Len(roman), 2);
  EXPECT_EQ(rt::Asc(roman), 0x8e);
}

TEST(RuntimeString, TrimDropsOnlyOuterBlanks) {
  EXPECT_EQ(S(rt::Trim(String("  a  b  "))), "a  b");
  EXPECT_EQ(S(rt::Trim(String("     "))), "");
  EXPECT_EQ(S(rt::Trim(String("\ta\t"))), "\ta\t");
}

TEST(RuntimeString, ReplaceAllDoesNotRescanInsertedText) {
  EXPECT_EQ(S(rt::ReplaceAll(String("aaa"), "a", "aa")), "aaaaaa");
  EXPECT_EQ(S(rt::ReplaceAll(String("     "), "  ", " ")), "   ");
  EXPECT_EQ(S(rt::ReplaceAll(String("$1$1"), "$1", "$1x")), "$1x$1x");
  EXPECT_EQ(S(rt::ReplaceAll(String("abc"), "", "x")), "abc");
}

TEST(RuntimeString, FieldsCountEmptyFieldsBetweenSeparators) {
  EXPECT_EQ(rt::CountFields(String(""), " "), 0);
  EXPECT_EQ(rt::CountFields(String("a"), " "), 1);
  EXPECT_EQ(rt::CountFields(String("a  b"), " "), 3);
  EXPECT_EQ(rt::CountFields(String("-command-"), "-"), 3);
  EXPECT_EQ(S(rt::NthField(String("a  b"), " ", 2)), "");
  EXPECT_EQ(S(rt::NthField(String("a  b"), " ", 3)), "b");
  EXPECT_EQ(S(rt::NthField(String("a  b"), " ", 4)), "");
  EXPECT_EQ(S(rt::NthField(String("a b"), " ", 0)), "");
}

TEST(RuntimeString, StrWritesDecimal) {
  EXPECT_EQ(S(rt::Str(9)), "9");
  EXPECT_EQ(S(rt::Str(-42)), "-42");
}

TEST(RuntimeString, CutNeverSplitsACharacter) {
  std::string text = std::string(254, 'a') + "é";  // é straddles byte 255
  EXPECT_EQ(rt::CutAtCharacterBoundary(text, 255).size(), 254u);
  EXPECT_EQ(rt::CutAtCharacterBoundary(text, 256).size(), 256u);
  std::string junk(300, '\x80');  // not UTF-8: cut at the limit
  EXPECT_EQ(rt::CutAtCharacterBoundary(junk, 255).size(), 255u);
}

}  // namespace
