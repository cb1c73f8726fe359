// The desktop backend's translations, which need no display: hot keys into keybinder
// accelerators, GDK keys into the core's key texts, menu texts into GTK mnemonic labels, strings
// into text GTK can show.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "runtime/core/string.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/key_text.h"
#include "runtime/gtk/mac_key_codes.h"
#include "runtime/gtk/menu_bar_view.h"

namespace {

using rt::gtk::HotKeyAccelerator;
using rt::gtk::KeyText;

// Every key the preferences editor offers, by its Mac key code.
constexpr uint32_t kHotKeyCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109, 103,
                                     111, 105, 107, 113, 106, 53,  48,  49,  126, 125, 123,
                                     124, 51,  36,  117, 114, 116, 121, 115, 119};

TEST(HotKeyAccelerator, EveryKeyOfTheEditorNamesAnX11Key) {
  for (uint32_t code : kHotKeyCodes) {
    std::string accelerator = HotKeyAccelerator(code, 0);
    guint keyval = 0;
    GdkModifierType mods = GdkModifierType(0);
    gtk_accelerator_parse(accelerator.c_str(), &keyval, &mods);
    EXPECT_NE(keyval, 0u) << "key code " << code << " gives \"" << accelerator << "\"";
    EXPECT_EQ(mods, 0) << accelerator;
  }
}

TEST(HotKeyAccelerator, MacModifiersBecomeTheirX11Modifiers) {
  guint keyval = 0;
  GdkModifierType mods = GdkModifierType(0);
  // command 0x100, shift 0x200, option 0x800, control 0x1000
  gtk_accelerator_parse(HotKeyAccelerator(99, 0x100 | 0x200 | 0x800 | 0x1000).c_str(), &keyval, &mods);
  EXPECT_EQ(keyval, static_cast<guint>(GDK_KEY_F3));
  EXPECT_EQ(mods, GDK_SUPER_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_CONTROL_MASK);

  gtk_accelerator_parse(HotKeyAccelerator(122, 0x800).c_str(), &keyval, &mods);
  EXPECT_EQ(keyval, static_cast<guint>(GDK_KEY_F1));
  EXPECT_EQ(mods, GDK_MOD1_MASK) << "option alone is Alt";

  // The Mac's caps lock (0x400) and the mouse button bit are no hot key modifiers.
  EXPECT_EQ(HotKeyAccelerator(99, 0x400 | 0x80), "F3");
}

TEST(HotKeyAccelerator, UnknownKeyCodeGivesNothing) {
  EXPECT_EQ(HotKeyAccelerator(0, 0), "");
  EXPECT_EQ(HotKeyAccelerator(200, 0x100), "");
}

TEST(KeyText, EditingKeysBecomeTheCoresControlCharacters) {
  const std::pair<guint, char> keys[] = {
      {GDK_KEY_Return, 13},   {GDK_KEY_KP_Enter, 3}, {GDK_KEY_Escape, 27},      {GDK_KEY_BackSpace, 8},
      {GDK_KEY_Tab, 9},       {GDK_KEY_ISO_Left_Tab, 9}, {GDK_KEY_Left, 28},    {GDK_KEY_Right, 29},
      {GDK_KEY_Up, 30},       {GDK_KEY_Down, 31},    {GDK_KEY_Delete, 127},     {GDK_KEY_KP_Left, 28},
  };
  for (const auto &[keyval, code] : keys) {
    EXPECT_EQ(KeyText(keyval), std::string(1, code)) << gdk_keyval_name(keyval);
  }
}

TEST(KeyText, TypedCharactersComeAsUtf8AndKeysWithoutTextAsNothing) {
  EXPECT_EQ(KeyText(GDK_KEY_w), "w");
  EXPECT_EQ(KeyText(GDK_KEY_W), "W");
  EXPECT_EQ(KeyText(GDK_KEY_space), " ");
  EXPECT_EQ(KeyText(GDK_KEY_KP_5), "5");
  EXPECT_EQ(KeyText(GDK_KEY_eacute), "\xC3\xA9");
  EXPECT_EQ(KeyText(GDK_KEY_EuroSign), "\xE2\x82\xAC");
  for (guint keyval : {GDK_KEY_Shift_L, GDK_KEY_Control_L, GDK_KEY_F3, GDK_KEY_Home, GDK_KEY_Page_Down,
                       GDK_KEY_dead_acute}) {
    EXPECT_FALSE(KeyText(keyval).has_value()) << gdk_keyval_name(keyval);
  }
}

TEST(MnemonicLabel, AmpersandMarksTheMnemonicAndUnderscoresStayText) {
  EXPECT_EQ(rt::gtk::MnemonicLabel("&File"), "_File");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Cu&t"), "Cu_t");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Select &All"), "Select _All");
  EXPECT_EQ(rt::gtk::MnemonicLabel("About Tovra!"), "About Tovra!");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Save && Quit"), "Save & Quit");
  EXPECT_EQ(rt::gtk::MnemonicLabel("snake_case"), "snake__case");
}

TEST(DisplayText, BrokenBytesShowAsReplacementAndOtherEncodingsAsUtf8) {
  using rt::gtk::DisplayText;
  EXPECT_EQ(DisplayText(rt::String("caf\xC3\xA9 \xE6\x97\xA5")), "caf\xC3\xA9 \xE6\x97\xA5");
  // A name from a damaged file: stray bytes and a cut-off character.
  EXPECT_EQ(DisplayText(rt::String(std::string_view("q\xFF\xFEz\xE6\x97", 6), rt::kEncodingNone)),
            "q\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(DisplayText(rt::String(std::string_view("caf\x8E", 4), rt::kEncodingMacRoman)), "caf\xC3\xA9");
  EXPECT_EQ(DisplayText(rt::String()), "");
}

}  // namespace
