// Style runs: the decoders of both kinds of styled-text data and the setters of a run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;

constexpr const char *kRun = "StyleDataQRV";

std::string MacRun(int32_t start, uint16_t font, uint8_t face, uint16_t size, uint16_t red,
                   uint16_t green, uint16_t blue) {
  char bytes[20] = {};
  const uint16_t height = 14;
  std::memcpy(bytes, &start, 4);
  std::memcpy(bytes + 4, &height, 2);
  std::memcpy(bytes + 8, &font, 2);
  bytes[10] = static_cast<char>(face);
  std::memcpy(bytes + 12, &size, 2);
  std::memcpy(bytes + 14, &red, 2);
  std::memcpy(bytes + 16, &green, 2);
  std::memcpy(bytes + 18, &blue, 2);
  return std::string(bytes, 20);
}

std::string MacStyles(int16_t count, const std::string &runs) {
  return std::string(reinterpret_cast<const char *>(&count), 2) + runs;
}

class StyleData : public fake::PluginTest {
 protected:
  HostObject Decode(const char *declaration, std::string_view text, const std::string &styles) {
    HostString textString = host.MakeString(text);
    HostString stylesString = host.MakeString(styles);
    HostObject list = host.Global<HostObject(HostString, HostString)>(declaration)(textString, stylesString);
    host.Release(textString);
    host.Release(stylesString);
    return list;
  }
  HostObject DecodeMac(std::string_view text, const std::string &styles) {
    return Decode("DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV", text, styles);
  }
  HostObject DecodeWin(std::string_view text, const std::string &styles) {
    return Decode("DecompileWinStyleDataQRV(text as string, styles as string) as StyleDataListQRV", text, styles);
  }
  HostObject Style(HostObject list, intptr_t index) {
    return host.Method<HostObject(HostObject, intptr_t)>("StyleDataListQRV", "Style(index as integer) as StyleDataQRV")(list, index);
  }
  intptr_t Count(HostObject list) { return host.Field<intptr_t>(list, "StyleDataListQRV", 0); }
  intptr_t Integer(HostObject run, size_t offset) { return host.Field<intptr_t>(run, kRun, offset); }
  bool Flag(HostObject run, size_t offset) { return host.Field<unsigned char>(run, kRun, offset) != 0; }
  std::string Text(HostObject run) { return Host::Text(host.Field<HostString>(run, kRun, 72)); }
  HostString StringField(HostObject run, size_t offset) { return host.Field<HostString>(run, kRun, offset); }
  template <typename Value>
  void Set(HostObject run, const char *property, Value value) {
    reinterpret_cast<void (*)(HostObject, Value)>(host.Property(kRun, property)->setter)(run, value);
  }
};

TEST_F(StyleData, MacStylesShorterThanOneRunGiveNil) {
  EXPECT_EQ(DecodeMac("hello", MacStyles(1, MacRun(0, 3, 0, 12, 0, 0, 0)).substr(0, 21)), nullptr);
  EXPECT_EQ(DecodeMac("hello", MacStyles(0, MacRun(0, 3, 0, 12, 0, 0, 0))), nullptr);
  EXPECT_EQ(DecodeMac("hello", MacStyles(-1, MacRun(0, 3, 0, 12, 0, 0, 0))), nullptr);
}

TEST_F(StyleData, OneMacRunCoversTheWholeText) {
  HostObject list = DecodeMac("hello", MacStyles(1, MacRun(0, 3, 0x05, 12, 0xFFFF, 0x8000, 0)));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Count(list), 1);
  HostObject run = Style(list, 1);
  EXPECT_EQ(Text(run), "hello");
  EXPECT_EQ(Integer(run, 76), 5);  // TextLength
  EXPECT_EQ(Integer(run, 44), 0xFF8000);  // TextColor
  EXPECT_FALSE(Flag(run, 56));  // ColorAvailable
  EXPECT_FALSE(Flag(run, 64));  // FontAvailable
  EXPECT_TRUE(Flag(run, 0));    // Bold
  EXPECT_FALSE(Flag(run, 8));   // Italic
  EXPECT_TRUE(Flag(run, 16));   // Underline
  EXPECT_EQ(Integer(run, 80), 5);
  EXPECT_EQ(Integer(run, 20), 3);
  EXPECT_EQ(Host::Text(StringField(run, 28)), "Geneva");
  EXPECT_EQ(Integer(run, 36), 12);
  EXPECT_EQ(Integer(run, 12), 14);
  host.ReleaseObject(run);
  host.ReleaseObject(list);
  EXPECT_EQ(host.LiveObjects(), 0u);
  EXPECT_EQ(host.LiveStrings(), 0u);
}

TEST_F(StyleData, MacRunTextSpansToTheNextStart) {
  HostObject list = DecodeMac("hello", MacStyles(2, MacRun(0, 3, 0, 12, 0, 0, 0) + MacRun(3, 3, 0, 12, 0, 0, 0)));
  HostObject first = Style(list, 1);
  HostObject second = Style(list, 2);
  EXPECT_EQ(Text(first), "hel");
  EXPECT_EQ(Text(second), "lo");
  host.ReleaseObject(first);
  host.ReleaseObject(second);
  host.ReleaseObject(list);

  HostObject beyond = DecodeMac("hello", MacStyles(2, MacRun(0, 3, 0, 12, 0, 0, 0) + MacRun(7, 3, 0, 12, 0, 0, 0)));
  HostObject noText = Style(beyond, 1);
  EXPECT_EQ(StringField(noText, 72), nullptr);
  EXPECT_EQ(Integer(noText, 76), 0);
  host.ReleaseObject(noText);
  host.ReleaseObject(beyond);
}

TEST_F(StyleData, MacRunsAnnouncedButMissingAreNotRead) {
  HostObject list = DecodeMac("hello", MacStyles(50, MacRun(0, 3, 0, 12, 0, 0, 0)));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Count(list), 1);
  HostObject run = Style(list, 1);
  EXPECT_EQ(Text(run), "hello");
  host.ReleaseObject(run);
  host.ReleaseObject(list);
}

TEST_F(StyleData, StyleIndexCountsFromOne) {
  HostObject list = DecodeMac("hello", MacStyles(2, MacRun(0, 3, 0, 12, 0, 0, 0) + MacRun(3, 3, 0, 12, 0, 0, 0)));
  EXPECT_EQ(Style(list, 0), nullptr);
  EXPECT_EQ(Style(list, 3), nullptr);
  HostObject last = Style(list, Count(list));
  EXPECT_EQ(Text(last), "lo");
  host.ReleaseObject(list);
  EXPECT_EQ(host.LiveObjects(), 1u) << "a run the caller holds outlives its list";
  host.ReleaseObject(last);
}

TEST_F(StyleData, WinRecordsCarryTheirColourForward) {
  const std::string styles = std::string("\x10\xFF\x00\x00\x0C", 5) + std::string("\x01\x0A", 2) +
                             std::string("\x08\x05Times\x09", 8);
  HostObject list = DecodeWin("abc", styles);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Count(list), 3);
  HostObject first = Style(list, 1);
  HostObject second = Style(list, 2);
  HostObject third = Style(list, 3);
  EXPECT_TRUE(Flag(first, 56));
  EXPECT_EQ(Integer(first, 52), 65535);
  EXPECT_EQ(Integer(first, 68), 0);
  EXPECT_EQ(Integer(first, 60), 0);
  EXPECT_EQ(Integer(first, 36), 12);
  EXPECT_FALSE(Flag(second, 56));
  EXPECT_EQ(Integer(second, 52), 65535);
  EXPECT_TRUE(Flag(second, 0));
  EXPECT_EQ(Integer(second, 80), 1);
  EXPECT_TRUE(Flag(third, 64));
  EXPECT_EQ(Host::Text(StringField(third, 28)), "Times");
  EXPECT_EQ(Host::Encoding(StringField(third, 28)), HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(Text(first) + Text(second) + Text(third), "abc");
  for (HostObject run : {first, second, third}) {
    EXPECT_EQ(Integer(run, 76), 0);  // TextLength is left alone
    EXPECT_EQ(Integer(run, 44), 0);
    host.ReleaseObject(run);
  }
  host.ReleaseObject(list);
  EXPECT_EQ(host.LiveStrings(), 0u);
}

TEST_F(StyleData, WinRecordPastTheEndStillCountsAndReadsNothingBeyond) {
  EXPECT_EQ(DecodeWin("abc", ""), nullptr);
  HostObject list = DecodeWin("abc", std::string("\x00\x0C\x18\x20", 4));  // second record cut short
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Count(list), 2);
  host.ReleaseObject(list);
  HostObject longer = DecodeWin("a", std::string("\x00\x0C\x00\x0C", 4));  // more records than text
  HostObject second = Style(longer, 2);
  EXPECT_EQ(StringField(second, 72), nullptr);
  host.ReleaseObject(second);
  host.ReleaseObject(longer);
}

TEST_F(StyleData, DecoderWithoutAListObjectLeavesNothingBehind) {
  host.Remove("PluginNewInstance");
  EXPECT_EQ(DecodeWin("ab", std::string("\x00\x0C\x00\x0C", 4)), nullptr);
  EXPECT_EQ(host.LiveObjects(), 0u);
  EXPECT_EQ(host.LiveStrings(), 0u);
}

TEST_F(StyleData, ColourSettersKeepComponentsAndColourInStep) {
  HostObject run = host.NewInstance(kRun);
  Set<intptr_t>(run, "TextColor", 0x00FF00);
  EXPECT_EQ(Integer(run, 60), 65535);
  EXPECT_EQ(Integer(run, 52), 0);
  EXPECT_EQ(Integer(run, 68), 0);
  EXPECT_TRUE(Flag(run, 56));
  Set<intptr_t>(run, "Red", 0x1234);
  EXPECT_EQ(Integer(run, 44), 0x12FF00);
  Set<intptr_t>(run, "Blue", 0xAB00);
  EXPECT_EQ(Integer(run, 44), 0x12FFAB);
  host.ReleaseObject(run);
}

TEST_F(StyleData, FontSettersLookEachOtherUp) {
  HostObject run = host.NewInstance(kRun);
  Set<intptr_t>(run, "FontID", 22);
  EXPECT_EQ(Host::Text(StringField(run, 28)), "Courier");
  EXPECT_TRUE(Flag(run, 64));
  HostString name = host.MakeString("times");
  Set<HostString>(run, "FontName", name);
  EXPECT_EQ(Integer(run, 20), 20);
  EXPECT_EQ(StringField(run, 28), name);
  EXPECT_EQ(Host::StringReferences(name), 2u);

  HostString empty = host.MakeString("");
  Set<HostString>(run, "FontName", empty);
  EXPECT_EQ(Integer(run, 20), 0) << "no font has the empty name";
  host.Release(empty);

  host.Field<unsigned char>(run, kRun, 64) = 0;
  Set<HostString>(run, "FontName", nullptr);
  EXPECT_EQ(Integer(run, 20), 0);
  EXPECT_FALSE(Flag(run, 64)) << "a nil name leaves FontAvailable as it was";
  EXPECT_EQ(Host::StringReferences(name), 1u);

  Set<HostString>(run, "Text", name);
  Set<HostString>(run, "Text", name);
  EXPECT_EQ(Integer(run, 76), 5);
  EXPECT_EQ(Host::StringReferences(name), 2u);
  host.ReleaseObject(run);
  EXPECT_EQ(Host::StringReferences(name), 1u);
  host.Release(name);
}

// The Font Manager reads the name by the storage's length byte, which a host may set apart from
// the byte length; a length byte beyond the text must not read past it.
TEST_F(StyleData, FontNameIsTakenByItsLengthByte) {
  const struct {
    const char *text;
    unsigned char lengthByte;
    intptr_t fontID;
  } cases[] = {
      {"Cairo", 0, 0},
      {"Timespcou", 5, 20},
      {"Times", 255, 20},
  };
  HostObject run = host.NewInstance(kRun);
  for (const auto &c : cases) {
    HostString name = host.MakeString(c.text);
    static_cast<HostStringRecord *>(name)->storage[0] = c.lengthByte;
    Set<HostString>(run, "FontName", name);
    EXPECT_EQ(Integer(run, 20), c.fontID) << c.text << " with length byte " << int{c.lengthByte};
    EXPECT_TRUE(Flag(run, 64));
    host.Release(name);
  }
  host.ReleaseObject(run);
}

}  // namespace
