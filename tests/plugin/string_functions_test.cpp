// Four-character codes, the hash, byte masking and encodings, called as the host calls them.
#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <string>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;

class StringFunctions : public fake::PluginTest {
 protected:
  intptr_t OSType(std::string_view text) {
    HostString string = host.MakeString(text);
    const intptr_t code = osType(string);
    host.Release(string);
    return code;
  }
  intptr_t Hash(std::string_view text) {
    HostString string = host.MakeString(text);
    const intptr_t h = hash(string);
    host.Release(string);
    return h;
  }

  intptr_t (*osType)(HostString) = host.Global<intptr_t(HostString)>("OSTypeFromStringQRV(str as string) as integer");
  HostString (*fromOSType)(intptr_t) = host.Global<HostString(intptr_t)>("StringFromOSTypeQRV(int as integer) as string");
  intptr_t (*hash)(HostString) = host.Global<intptr_t(HostString)>("GetHash32QRV(s as string) as integer");
  HostString (*xorBytes)(HostString, intptr_t) =
      host.Global<HostString(HostString, intptr_t)>("BitwiseXORStringBytesQRV(s as string, v as integer) as string");
  intptr_t (*getEncoding)(HostString) = host.Global<intptr_t(HostString)>("GetEncodingOfStringQRV(s as string) as integer");
  void (*setEncoding)(HostString, intptr_t) =
      host.Global<void(HostString, intptr_t)>("SetEncodingOfStringQRV(s as string, encoding as integer)");
  HostString (*cloneString)(HostString) = host.Global<HostString(HostString)>("CloneStringQRV(s as string) as string");
};

TEST_F(StringFunctions, OSTypePacksUpToFourCharactersPaddedWithBlanks) {
  EXPECT_EQ(OSType("TEXT"), 0x54455854);
  EXPECT_EQ(OSType("QRVG"), 0x51525647);
  EXPECT_EQ(OSType("ab"), 0x61622020);
  EXPECT_EQ(OSType("abcdef"), 0x61626364);
  EXPECT_EQ(OSType(""), 0x20202020);
  EXPECT_EQ(osType(nullptr), 0x20202020);
  EXPECT_EQ(host.LiveStrings(), 0u) << "the Mac Roman copy is released";
}

TEST_F(StringFunctions, OSTypeReadsTheMacRomanConversionAndIsSignExtended) {
  EXPECT_EQ(OSType("€abc"), static_cast<int32_t>(0xDB616263));  // € is 0xDB in Mac Roman
  EXPECT_LT(OSType("€abc"), 0);
  // No Mac Roman form: the bytes as given.
  EXPECT_EQ(OSType("жж"), static_cast<int32_t>(0xD0B6D0B6));
}

TEST_F(StringFunctions, OSTypeWithoutConversionUsesTheBytesAsGiven) {
  host.Remove("REALConvertString");
  EXPECT_EQ(OSType("€"), static_cast<int32_t>(0xE282AC20));
}

TEST_F(StringFunctions, StringFromOSTypeIsFourBytesAsciiOrMacRoman) {
  HostString text = fromOSType(0x54455854);
  EXPECT_EQ(Host::Text(text), "TEXT");
  EXPECT_EQ(Host::Encoding(text), HOST_ENCODING_ASCII);
  HostString high = fromOSType(static_cast<int32_t>(0xDB616263));
  EXPECT_EQ(Host::Text(high), "\xDB" "abc");
  EXPECT_EQ(Host::Encoding(high), HOST_ENCODING_MAC_ROMAN);
  HostString zero = fromOSType(0);
  EXPECT_EQ(Host::Text(zero), std::string(4, '\0'));
  for (HostString s : {text, high, zero}) {
    host.Release(s);
  }
}

TEST_F(StringFunctions, HashIgnoresLetterCaseAndStartsFromTheLength) {
  EXPECT_EQ(hash(nullptr), 1);
  EXPECT_EQ(Hash(""), 1);
  EXPECT_EQ(Hash("a"), 113);
  EXPECT_EQ(Hash("abc"), 4915);
  EXPECT_EQ(Hash("ABC"), 4915);
  EXPECT_EQ(Hash("Abc"), 4915);
  EXPECT_NE(Hash("abd"), 4915);
}

TEST_F(StringFunctions, HashOfLongTextMatchesTheRotateAndXorOfItsLowerCase) {
  std::string text;
  for (int i = 0; i < 5000; ++i) {
    text.push_back(static_cast<char>(i * 7 % 256));
  }
  uint32_t expected = static_cast<uint32_t>(text.size()) + 1;
  for (unsigned char c : text) {
    expected = std::rotl(expected, 3) ^ static_cast<uint32_t>(std::tolower(c));
  }
  EXPECT_EQ(Hash(text), static_cast<int32_t>(expected));
  std::string upper = text;
  for (char &c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(Hash(upper), Hash(text));
}

TEST_F(StringFunctions, XorChangesWholeWordsOnly) {
  HostString six = host.MakeString("abcdef");
  HostString masked = xorBytes(six, 0x120);  // only the low byte, 0x20, counts
  EXPECT_EQ(Host::Text(masked), "ABCDef");
  EXPECT_EQ(Host::Encoding(masked), HOST_ENCODING_NONE);

  HostString three = host.MakeString("abc");
  HostString unchanged = xorBytes(three, 0x20);
  EXPECT_EQ(Host::Text(unchanged), "abc");
  EXPECT_NE(unchanged, three);
  EXPECT_EQ(Host::Encoding(unchanged), HOST_ENCODING_NONE);

  HostString empty = host.MakeString("");
  EXPECT_EQ(xorBytes(empty, 1), nullptr);
  EXPECT_EQ(xorBytes(nullptr, 1), nullptr);
  for (HostString s : {six, masked, three, unchanged, empty}) {
    host.Release(s);
  }
}

TEST_F(StringFunctions, EncodingIsReadAndSetOnTheVeryString) {
  host.Remove("REALGetStringEncoding");
  HostString other = host.MakeString("x", HOST_ENCODING_ASCII);
  EXPECT_EQ(getEncoding(other), 0);
  host.Release(other);
  host.Restore("REALGetStringEncoding");

  HostString text = host.MakeString("ab", HOST_ENCODING_UTF8);
  EXPECT_EQ(getEncoding(text), static_cast<intptr_t>(HOST_ENCODING_UTF8));
  setEncoding(text, HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(Host::Encoding(text), HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(Host::Text(text), "ab");
  const int calls = host.Calls("REALSetStringEncoding");
  setEncoding(nullptr, 0);
  EXPECT_EQ(host.Calls("REALSetStringEncoding"), calls);
  host.Release(text);
}

TEST_F(StringFunctions, CloneIsANewStringAndUtf16ComesBackAsUtf8) {
  const std::u16string wide = u"Grüße";
  HostString utf16 = host.MakeString({reinterpret_cast<const char *>(wide.data()), wide.size() * 2},
                                     HOST_ENCODING_UTF16);
  HostString clone = cloneString(utf16);
  EXPECT_EQ(Host::Text(clone), "Grüße");
  EXPECT_EQ(Host::Encoding(clone), HOST_ENCODING_UTF8);

  HostString roman = host.MakeString("\xDB", HOST_ENCODING_MAC_ROMAN);
  HostString romanClone = cloneString(roman);
  EXPECT_NE(romanClone, roman);
  EXPECT_EQ(Host::Text(romanClone), "\xDB");
  EXPECT_EQ(Host::Encoding(romanClone), HOST_ENCODING_MAC_ROMAN);

  HostString empty = host.MakeString("");
  EXPECT_EQ(cloneString(empty), nullptr);
  EXPECT_EQ(cloneString(nullptr), nullptr);
  for (HostString s : {utf16, clone, roman, romanClone, empty}) {
    host.Release(s);
  }
  EXPECT_EQ(host.LiveStrings(), 0u);
}

}  // namespace
