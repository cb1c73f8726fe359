#include <algorithm>

#include "app/windows/ask_for_text_window.h"
#include "app/windows/preferences_window.h"
#include "app_fixture.h"
#include "runtime/core/string_functions.h"

namespace {

using tovra::PreferencesWindow;

class PreferencesEditor : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
    Store().DefineMacro("zeta", "z=$*");
  }
  std::shared_ptr<PreferencesWindow> Open() {
    ShowSearchWindow();
    EXPECT_TRUE(driver.ChooseMenu("FilePreferences"));
    auto editor = std::dynamic_pointer_cast<PreferencesWindow>(driver.FindWindow("Tovra! Preferences"));
    EXPECT_TRUE(editor);
    return editor;
  }
  // Answers the next text prompt with `text` and OK.
  void Answer(const std::string &text) {
    backend.QueueModalReaction([this, text](rt::Window &w) {
      prompts.push_back(dynamic_cast<tovra::AskForTextWindow &>(w).theQuery->Text().ToStd());
      driver.Type(text);
      driver.PressKey("\r");
    });
  }
  std::vector<std::string> Rows(const PreferencesWindow &e) {
    std::vector<std::string> rows;
    for (int i = 0; i < e.ListOfSearches->ListCount(); ++i) rows.push_back(e.ListOfSearches->Cell(i, 0).ToStd());
    return rows;
  }
  void Select(PreferencesWindow &e, const std::string &name) {
    for (int i = 0; i < e.ListOfSearches->ListCount(); ++i) {
      if (e.ListOfSearches->Cell(i, 0).Bytes() == name) e.ListOfSearches->SetListIndex(i);
    }
  }
  std::vector<std::string> prompts;
};

TEST_F(PreferencesEditor, OpensOnSearchesWithStoredHotKeyAndSortedList) {
  auto e = Open();
  EXPECT_FALSE(Search()->Visible());
  EXPECT_EQ(e->thePanel->Value(), 1);
  EXPECT_EQ(e->ModifierMenu->Text().Bytes(), "None");
  EXPECT_EQ(e->HotKeyMenu->Text().Bytes(), "F3");
  EXPECT_EQ(e->thePreferences->hotkey.Bytes(), "f3") << "the working copy keeps the stored text";
  auto rows = Rows(*e);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
  EXPECT_EQ(Store().macroName.back().Bytes(), "zeta") << "the live store is not touched";
  EXPECT_FALSE(e->RemoveSearchButton->Enabled());
  EXPECT_FALSE(e->SearchText->Enabled());
}

TEST_F(PreferencesEditor, KeysGoToTheFrontPageNotToTheHiddenHotKeyPage) {
  auto e = Open();
  EXPECT_EQ(e->FocusedControl(), e->ListOfSearches.get());
  driver.PressKey("\x1f");  // down arrow
  EXPECT_EQ(e->HotKeyMenu->Text().Bytes(), "F3");
  EXPECT_EQ(e->ListOfSearches->ListIndex(), 0);
  e->thePanel->SetValue(0);
  EXPECT_TRUE(e->FocusedControl() && e->Shows(*e->FocusedControl()));
  EXPECT_EQ(e->FocusedControl()->PanelIndex, 1) << "a control of the Hot Key page";
}

TEST_F(PreferencesEditor, DoneSaysWhenTheFileOrTheHotKeyFailed) {
  auto e = Open();
  e->HotKeyMenu->SetListIndex(4);
  // A folder where the file should be: the save cannot put its file in place.
  std::filesystem::create_directory(PreferencesPath());
  backend.RefuseNextHotKey();
  Search()->SetLeft(3);
  e->DoneButton->Push();
  driver.Settle();
  EXPECT_EQ(backend.messages, (std::vector<std::string>{"The Tovra preferences could not be saved",
                                                        "The Hotkey could not be registered!"}));
  EXPECT_FALSE(e->IsOpen());
  // Without a hot key, the search window comes up as the hot key brings it: Preferences is at hand.
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
  EXPECT_EQ(rt::ActiveWindow(), Search().get());
  EXPECT_EQ(Store().hotkey.Bytes(), "F5") << "the session goes on with the edited store";
  EXPECT_TRUE(std::filesystem::is_directory(PreferencesPath()));
  EXPECT_EQ(std::filesystem::directory_iterator(configDir)->path(), PreferencesPath())
      << "no temporary file is left beside it";
}

TEST_F(PreferencesEditor, UnofferedHotKeyShowsFirstRowsAndIsWrittenBackUnchanged) {
  Store().hotkeyModifier = "Command-Shift";
  Store().hotkey = "esc";
  auto e = Open();
  EXPECT_EQ(e->ModifierMenu->Text().Bytes(), "None");
  EXPECT_EQ(e->HotKeyMenu->Text().Bytes(), "F1");
  e->DoneButton->Push();
  EXPECT_EQ(Store().hotkeyModifier.Bytes(), "Command-Shift");
  EXPECT_EQ(Store().hotkey.Bytes(), "esc");
}

TEST_F(PreferencesEditor, DoneCopiesSavesAndRegistersAgain) {
  auto e = Open();
  e->HotKeyMenu->SetListIndex(11);
  e->ModifierMenu->SetListIndex(8);
  size_t registrations = backend.HotKeys().size();
  e->DoneButton->Push();
  EXPECT_FALSE(e->IsOpen());
  EXPECT_EQ(Store().hotkey.Bytes(), "F12");
  EXPECT_EQ(Store().hotkeyModifier.Bytes(), "Option-Command");
  EXPECT_EQ(Store().macroName.back().Bytes(), "zeta");
  EXPECT_EQ(Store().macroName.front().Bytes(), "amazon");
  std::string file = ReadPreferencesFile();
  EXPECT_NE(file.find("Option-Command"), std::string::npos);
  ASSERT_EQ(backend.HotKeys().size(), registrations);
  EXPECT_EQ(backend.HotKeys().rbegin()->second.keyCode, 111u);
  EXPECT_EQ(backend.HotKeys().rbegin()->second.modifierMask, 0x900u);
  driver.Settle();
  EXPECT_FALSE(Search()->Visible());
}

TEST_F(PreferencesEditor, CancelAndCloseBoxDiscardEverything) {
  auto e = Open();
  e->HotKeyMenu->SetListIndex(4);
  Select(*e, "wiki");
  e->RemoveSearchButton->Push();
  e->CancelButton->Push();
  EXPECT_TRUE(Store().MacroExists("wiki"));
  EXPECT_EQ(Store().hotkey.Bytes(), "f3");
  EXPECT_FALSE(std::filesystem::exists(PreferencesPath()));
  auto again = Open();
  EXPECT_EQ(again->HotKeyMenu->Text().Bytes(), "F3");
  again->HotKeyMenu->SetListIndex(4);
  driver.PressCloseBox(*again);
  EXPECT_EQ(Store().hotkey.Bytes(), "f3");
}

TEST_F(PreferencesEditor, SelectingARowLoadsItsTemplateAndTypingEditsTheCopy) {
  auto e = Open();
  Select(*e, "zeta");
  EXPECT_TRUE(e->SearchText->Enabled());
  EXPECT_TRUE(e->RenameSearchButton->Enabled());
  EXPECT_EQ(e->SearchText->Text().Bytes(), "z=$*");
  e->SearchText->SetText("new=$1");
  EXPECT_EQ(e->thePreferences->LookupMacro("zeta").Bytes(), "new=$1");
  EXPECT_EQ(Store().LookupMacro("zeta").Bytes(), "z=$*");
  e->SearchText->SetText("");
  EXPECT_TRUE(e->thePreferences->MacroExists("zeta"));
  EXPECT_TRUE(e->thePreferences->LookupMacro("zeta").IsEmpty());
  e->ListOfSearches->SetListIndex(-1);
  EXPECT_FALSE(e->SearchText->Enabled());
  EXPECT_FALSE(e->RemoveSearchButton->Enabled());
}

TEST_F(PreferencesEditor, NewJoinsWordsSelectsTheRowAndShowsThePlaceholder) {
  auto e = Open();
  Answer("my search");
  e->NewSearchButton->Push();
  EXPECT_EQ(prompts, std::vector<std::string>{"Name of new search macro"});
  EXPECT_EQ(e->ListOfSearches->Text().Bytes(), "mysearch");
  EXPECT_TRUE(e->SearchText->Enabled());
  EXPECT_EQ(e->SearchText->Text().Bytes(), tovra::kNewSearchTemplate);
  EXPECT_TRUE(std::is_sorted(e->thePreferences->macroName.begin(), e->thePreferences->macroName.end(),
                             [](const rt::String &a, const rt::String &b) { return a.Bytes() < b.Bytes(); }));
}

TEST_F(PreferencesEditor, NewRefusesATakenNameAndSelectsTheExistingOne) {
  auto e = Open();
  Answer("Wi ki");
  e->NewSearchButton->Push();
  EXPECT_EQ(backend.messages.back(), "There is already a search macro named Wiki");
  EXPECT_EQ(e->ListOfSearches->Text().Bytes(), "wiki");
  EXPECT_EQ(e->thePreferences->macroName.size(), 18u);
}

TEST_F(PreferencesEditor, EmptyOrCancelledNameChangesNothing) {
  auto e = Open();
  Answer("   ");
  e->NewSearchButton->Push();
  backend.QueueModalReaction([this](rt::Window &) { driver.PressKey("\x1b"); });
  e->NewSearchButton->Push();
  EXPECT_EQ(e->thePreferences->macroName.size(), 18u);
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(PreferencesEditor, RenameKeepsTheTemplateAndRefusesAnyCaseOfATakenName) {
  auto e = Open();
  Select(*e, "zeta");
  Answer("ZETA");
  e->RenameSearchButton->Push();
  EXPECT_EQ(prompts.back(), "New name for the zeta search macro");
  EXPECT_EQ(backend.messages.back(), "There is already a search macro named ZETA");
  EXPECT_EQ(e->ListOfSearches->Text().Bytes(), "zeta");
  Answer("alpha one");
  e->RenameSearchButton->Push();
  EXPECT_EQ(e->ListOfSearches->Text().Bytes(), "alphaone");
  EXPECT_EQ(e->SearchText->Text().Bytes(), "z=$*");
  EXPECT_EQ(Rows(*e).front(), "alphaone");
}

TEST_F(PreferencesEditor, SortsAndRefusesNamesIgnoringCaseOfEveryLetter) {
  Store().DefineMacro("Émile", "e=$*");
  Store().DefineMacro("éclair", "c=$*");
  auto e = Open();
  auto rows = Rows(*e);
  auto eclair = std::find(rows.begin(), rows.end(), "éclair");
  ASSERT_NE(eclair, rows.end());
  ASSERT_NE(eclair + 1, rows.end());
  EXPECT_EQ(*(eclair + 1), "Émile");
  Answer("ÉMILE");
  e->NewSearchButton->Push();
  EXPECT_EQ(backend.messages.back(), "There is already a search macro named ÉMILE");
  EXPECT_EQ(e->ListOfSearches->Text().Bytes(), "Émile");
  Select(*e, "zeta");
  Answer("ÉCLAIR");
  e->RenameSearchButton->Push();
  EXPECT_EQ(backend.messages.back(), "There is already a search macro named ÉCLAIR");
  EXPECT_EQ(e->thePreferences->macroName.size(), 20u);
  rows = Rows(*e);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "zeta"), 1);
}

TEST_F(PreferencesEditor, RemoveDeletesWithoutAskingAndClearsTheSelection) {
  auto e = Open();
  Select(*e, "zeta");
  e->RemoveSearchButton->Push();
  EXPECT_FALSE(e->thePreferences->MacroExists("zeta"));
  EXPECT_EQ(e->ListOfSearches->ListIndex(), -1);
  EXPECT_FALSE(e->SearchText->Enabled());
  EXPECT_EQ(e->SearchText->Text().Bytes(), "z=$*") << "the field keeps its text";
}

TEST_F(PreferencesEditor, DefaultsAskFirst) {
  auto e = Open();
  Select(*e, "wiki");
  e->SearchText->SetText("mine");
  backend.QueueDialogAnswer(1);
  e->DefaultsButton->Push();
  EXPECT_EQ(e->thePreferences->LookupMacro("wiki").Bytes(), "mine");
  backend.QueueDialogAnswer(0);
  e->DefaultsButton->Push();
  EXPECT_EQ(backend.dialogMessages.back(),
            "Are you sure wish to add the default searches to the search engine list?");
  EXPECT_NE(e->thePreferences->LookupMacro("wiki").Bytes(), "mine");
  EXPECT_TRUE(e->thePreferences->MacroExists("zeta"));
  EXPECT_EQ(e->ListOfSearches->ListIndex(), -1);
  EXPECT_FALSE(e->SearchText->Enabled());
}

TEST_F(PreferencesEditor, ASecondCommandBringsBackTheOpenEditorWithItsEdits) {
  auto first = Open();
  Select(*first, "zeta");
  first->SearchText->SetText("first=$*");
  ShowSearchWindow();
  driver.Type("zeta x");
  driver.PressKey("\r");
  EXPECT_EQ(backend.urls.back(), "z=x") << "searches use the live store meanwhile";
  auto again = Open();
  EXPECT_EQ(again, first);
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(rt::ActiveWindow(), first.get());
  EXPECT_FALSE(Search()->Visible());
  EXPECT_EQ(first->SearchText->Text().Bytes(), "first=$*");
  first->DoneButton->Push();
  EXPECT_EQ(Store().LookupMacro("zeta").Bytes(), "first=$*");
}

}  // namespace
