#include "runtime/core/encoding.h"

#include <gtest/gtest.h>

#include "runtime/core/string_functions.h"

namespace {

TEST(Encodings, ConvertsBetweenUtf8MacRomanAndUtf16) {
  rt::String text("Café");
  rt::String roman = rt::ConvertEncoding(text, rt::kEncodingMacRoman);
  EXPECT_EQ(roman.Bytes(), std::string_view("Caf\x8e"));
  EXPECT_EQ(roman.Encoding(), rt::kEncodingMacRoman);
  rt::String utf16 = rt::ConvertEncoding(text, rt::kEncodingUTF16);
  EXPECT_EQ(utf16.ByteLength(), 8u);
  EXPECT_EQ(rt::ConvertEncoding(utf16, rt::kEncodingUTF8).Bytes(), "Café");
}

TEST(Encodings, UnconvertibleCharactersBecomeQuestionMarks) {
  rt::String ascii = rt::ConvertEncoding(rt::String("a€b"), rt::kEncodingASCII);
  EXPECT_EQ(ascii.Bytes(), "a?b");
  EXPECT_FALSE(rt::TryConvertEncoding(rt::String("a€b"), rt::kEncodingASCII).has_value());
}

TEST(Encodings, BytesWithoutEncodingAreRelabelledNotConverted) {
  rt::String raw(std::string_view("\xff\xfe"), rt::kEncodingNone);
  rt::String out = rt::ConvertEncoding(raw, rt::kEncodingUTF8);
  EXPECT_EQ(out.Bytes(), std::string_view("\xff\xfe"));
  EXPECT_EQ(out.Encoding(), rt::kEncodingUTF8);
}

}  // namespace
