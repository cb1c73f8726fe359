#include <fstream>

#include "app/hotkey_menu.h"
#include "app/plugin_entries.h"
#include "app_fixture.h"
#include "runtime/core/errors.h"

namespace {

using StartUp = AppFixture;

TEST_F(StartUp, FirstStartLoadsBuiltinsAndShowsNothing) {
  StartApp();
  EXPECT_EQ(Store().hotkey.Bytes(), "f3");
  EXPECT_EQ(Store().hotkeyModifier.Bytes(), "none");
  EXPECT_EQ(Store().macroName.size(), 17u);
  EXPECT_TRUE(backend.messages.empty());
  for (const auto &w : rt::OpenWindows()) EXPECT_FALSE(w->Visible()) << w->Title.ToStd();
  EXPECT_EQ(rt::OpenWindows().size(), 1u) << "the search window exists, hidden";
  EXPECT_FALSE(std::filesystem::exists(PreferencesPath()));
  EXPECT_EQ(tovra::the::App()->MenuBar, tovra::the::HotKeyMenu());
}

TEST_F(StartUp, UnusablePreferencesFolderStillGivesTheBuiltins) {
  std::ofstream(configDir / "plain-file") << "x";
  setenv("XDG_CONFIG_HOME", (configDir / "plain-file" / "config").c_str(), 1);
  StartApp();
  EXPECT_EQ(Store().macroName.size(), 17u);
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(StartUp, FileOfAnotherVersionGivesTheMessageAndNoSearches) {
  WritePreferencesFile(std::string("\0\0\0\2\0\0\0\0", 8));
  StartApp();
  EXPECT_EQ(backend.messages.front(), "The Tovra preferences have been corrupted");
  EXPECT_TRUE(Store().macroName.empty());
  EXPECT_EQ(Store().hotkey.Bytes(), "f3");
  EXPECT_EQ(Store().hotkeyModifier.Bytes(), "none");
}

TEST_F(StartUp, NewDocumentOpensNothing) {
  StartApp();
  size_t windows = rt::OpenWindows().size();
  tovra::the::App()->Event_NewDocument();
  EXPECT_EQ(rt::OpenWindows().size(), windows);
}

TEST_F(StartUp, EntryTableBindsEveryDeclarationAndEmptyEntriesAreAnError) {
  registerOSTypeDouble = false;  // QRVUtil is not loaded: its entry stays empty
  StartApp();
  EXPECT_EQ(tovra::PluginEntryPoint(tovra::kUseQRVCFPlugin), rt::RuntimeLookupPluginEntrypoint("UseQRVCFPlugin"));
  EXPECT_THROW(tovra::PluginEntryPoint(tovra::kOSTypeFromString), rt::RuntimeError);
  EXPECT_NE(backend.messages.back().find("OSTypeFromStringQRV"), std::string::npos) << "the start names it";
}

TEST_F(StartUp, EveryAboutCommandOpensOneMoreAboutBox) {
  StartApp();
  EXPECT_TRUE(driver.ChooseMenu("FileAboutTovra"));
  EXPECT_TRUE(driver.ChooseMenu("FileAboutTovra"));
  int abouts = 0;
  for (const auto &w : rt::OpenWindows()) abouts += w->Title.Bytes() == "About Tovra!" && w->Visible();
  EXPECT_EQ(abouts, 2);
}

TEST_F(StartUp, ReleasingTheAppDropsItsObjects) {
  StartApp();
  std::weak_ptr<tovra::Preferences> store = tovra::the::App()->thePreferences;
  rt::ForgetAllWindows();
  rt::RuntimeExit();
  EXPECT_TRUE(store.expired());
  rt::RuntimeInit(backend);  // the fixture's tear-down stops it again
}

}  // namespace
