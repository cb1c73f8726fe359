#include "runtime/core/case_folding.h"

#include <gtest/gtest.h>

#include "runtime/core/encoding.h"

using rt::String;

namespace {

TEST(CaseFolding, EqualityIgnoresCaseOfEveryLetter) {
  EXPECT_TRUE(String("météo") == String("MÉTÉO"));
  EXPECT_TRUE(String("Москва") == String("МОСКВА"));
  EXPECT_TRUE(String("ΣΊΣΥΦΟΣ") == String("σίσυφος")) << "final sigma folds like sigma";
  EXPECT_TRUE(String("STRASSE") == String("straße")) << "one letter may fold to two";
  EXPECT_TRUE(String("\xE2\x84\xAA") == String("k")) << "the Kelvin sign folds to k";
  EXPECT_FALSE(String("é") == String("e"));
  EXPECT_FALSE(String("météo") == String("météos"));
  EXPECT_FALSE(String("STRASSE") == String("straß"));
}

TEST(CaseFolding, BytesThatAreNotUtf8CompareExactly) {
  EXPECT_TRUE(String("\xFF" "A") == String("\xFF" "a"));
  EXPECT_TRUE(String("\xC3" "É") == String("\xC3" "é")) << "a lone lead byte before a letter";
  EXPECT_FALSE(String("\xFF") == String("\xFE"));
  EXPECT_FALSE(String("\xC3") == String("é")) << "half a character is not the character";
  EXPECT_FALSE(String("x\xE2\x84") == String("xk")) << "a cut Kelvin sign does not fold";
  EXPECT_FALSE(String("\xED\xA0\x80") == String("\xED\xA0\x81")) << "encoded surrogates stay bytes";
  EXPECT_FALSE(String("\xC1\x81") == String("a")) << "an overlong A is not an A";
  EXPECT_FALSE(String(std::string_view("a\0b", 3)) == String("a"));
  for (const char *cut : {"\xF0", "\xF0\x9F", "\xF0\x9F\x98", "\xE2\x82", "\xC3"}) {
    EXPECT_TRUE(String(cut) == String(cut));
    EXPECT_FALSE(rt::LeftEqualsIgnoringCase(String("\xF0\x9F\x98\x80"))(String(cut)));
  }
}

TEST(CaseFolding, OtherEncodingsCompareByTheirCharacters) {
  String macRoman(std::string_view("m\x8Et\x8Eo"), rt::kEncodingMacRoman);
  String utf16 = rt::ConvertEncoding(String("MÉTÉO"), rt::kEncodingUTF16);
  ASSERT_EQ(utf16.ByteLength(), 10u);
  EXPECT_TRUE(macRoman == String("MÉTÉO"));
  EXPECT_TRUE(utf16 == String("météo"));
  EXPECT_TRUE(utf16 == macRoman);
  EXPECT_TRUE(String("Meteo", rt::kEncodingASCII) == String("METEO", rt::kEncodingNone));
  String utf16Prefix = rt::ConvertEncoding(String("MÉT"), rt::kEncodingUTF16);
  EXPECT_TRUE(rt::LeftEqualsIgnoringCase(utf16Prefix)(String("météo")));
  EXPECT_TRUE(rt::LeftEqualsIgnoringCase(String("MÉT"))(macRoman));
  String oddUtf16(std::string_view("A\0B", 3), rt::kEncodingUTF16);
  EXPECT_TRUE(oddUtf16 == oddUtf16) << "text that does not convert compares as bytes";
}

// As many characters of the text as the prefix has, compared with it as whole strings are.
TEST(CaseFolding, LeftOfTheTextAsLongAsThePrefixEqualsIt) {
  const struct {
    const char *text, *prefix;
    bool equal;
  } cases[] = {
      {"météo", "MÉT", true},
      {"Straße", "STRASSE", true},  // the whole text, shorter than the prefix
      {"STRASSE", "straß", false},  // "STRAS" against "straß"
      {"Straße", "STRASS", false},
      {"ß", "s", false},
      {"anything", "", true},
      {"\x80", "", true},
      {"é", "e", false},
      {"é", "\xC3", false},         // a byte never matches a character
      {"mét", "météo", false},
      {"", "a", false},
      {"ab\x80", "AB", false},      // a stray byte belongs to the character before it
      {"abc", "AB", true},
      {"ab", "abc", false},
      {"kelvin", "\xE2\x84\xAA" "EL", true},  // the Kelvin sign: three bytes, one character
      {"kelvin", "\xE2\x84\xAA" "ELVIN!", false},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(rt::LeftEqualsIgnoringCase(String(c.prefix))(String(c.text)), c.equal) << c.text << " / " << c.prefix;
  }
}

TEST(CaseFolding, OrderFollowsTheFoldedText) {
  EXPECT_LT(rt::CompareIgnoringCase("éclair", "Émile"), 0);
  EXPECT_GT(rt::CompareIgnoringCase("Zoe", "apple"), 0);
  EXPECT_LT(rt::CompareIgnoringCase("straß", "STRASSE"), 0) << "a text sorts before the texts it begins";
  EXPECT_EQ(rt::CompareIgnoringCase("ÉCLAIR", "éclair"), 0);
  EXPECT_EQ(rt::CompareFolded("Macro", "mACRO"), 0);
}

}  // namespace
