#include "app/windows/completion_window.h"
#include "app_fixture.h"
#include "runtime/core/string_functions.h"

namespace {

class Completion : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
    ShowSearchWindow();
  }
  // Answers the next completion dialog: records its rows, then presses `keys`.
  void AnswerWith(std::vector<std::string> keys) {
    backend.QueueModalReaction([this, keys](rt::Window &w) {
      auto &dialog = dynamic_cast<tovra::CompletionWindow &>(w);
      rows.clear();
      for (int i = 0; i < dialog.theList->ListCount(); ++i) rows.push_back(dialog.theList->Cell(i, 0).ToStd());
      selected = dialog.theList->Text().ToStd();
      dialogLeft = w.Left();
      dialogTop = w.Top();
      searchVisibleDuringDialog = Search()->Visible();
      for (const auto &k : keys) driver.PressKey(rt::String(k));
    });
  }
  std::vector<std::string> rows;
  std::string selected;
  int dialogLeft = 0, dialogTop = 0;
  bool searchVisibleDuringDialog = true;
};

TEST_F(Completion, SeveralMatchesOfferTheNamesAndReturnChoosesTheSelected) {
  AnswerWith({"\r"});
  driver.Type("w");
  driver.PressKey("\t");
  EXPECT_EQ(rows, (std::vector<std::string>{"wiki", "wx"}));
  EXPECT_EQ(selected, "wiki");
  EXPECT_FALSE(searchVisibleDuringDialog);
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Line(), "wiki ");
  EXPECT_EQ(backend.modalTitles, std::vector<std::string>{"Completions"});
}

TEST_F(Completion, HotKeyDuringTheDialogBringsTheDialogForwardNotTheSearchWindow) {
  bool searchShown = true;
  rt::Window *active = nullptr;
  backend.QueueModalReaction([&](rt::Window &dialog) {
    driver.BringOtherApplicationToFront();
    EXPECT_TRUE(driver.PressHotKey());
    searchShown = Search()->Visible();
    active = rt::ActiveWindow();
    EXPECT_EQ(active, &dialog);
    driver.PressKey("\r");
  });
  driver.Type("w");
  driver.PressKey("\t");
  EXPECT_FALSE(searchShown);
  EXPECT_NE(active, nullptr);
  EXPECT_EQ(Line(), "wiki ") << "the dialog still answers";
}

TEST_F(Completion, ArrowThenReturnChoosesAnotherRowAsStored) {
  AnswerWith({std::string(1, '\x1f'), "\r"});
  driver.Type("W");
  driver.PressKey("\t");
  EXPECT_EQ(Line(), "wx ");
}

TEST_F(Completion, DialogSitsBelowRightOfTheSearchWindow) {
  Search()->SetLeft(100);
  Search()->SetTop(50);
  AnswerWith({"\x1b"});
  driver.PressKey("\t");
  EXPECT_EQ(dialogLeft, 120);
  EXPECT_EQ(dialogTop, 70);
}

TEST_F(Completion, TabOnEmptyLineListsEveryName) {
  AnswerWith({"\r"});
  driver.Type("   ");
  driver.PressKey("\t");
  EXPECT_EQ(rows.size(), 17u);
  EXPECT_EQ(selected, "amazon");
  EXPECT_EQ(Line(), "amazon ");
}

TEST_F(Completion, TabAfterWordAndBlankIsTrimmedFirst) {
  AnswerWith({"\x1b"});
  driver.Type("google ");
  driver.PressKey("\t");
  EXPECT_EQ(rows, (std::vector<std::string>{"google", "googleon"}));
}

TEST_F(Completion, EscapeLeavesTheLineAsReactivationLeftIt) {
  AnswerWith({"\x1b"});
  driver.Type("w");
  driver.PressKey("\t");
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Line(), "");
}

TEST_F(Completion, OtherKeysLeaveTheDialogOpen) {
  backend.QueueModalReaction([&](rt::Window &w) {
    EXPECT_FALSE(w.Event_KeyDown("\x03"));
    EXPECT_FALSE(w.Event_KeyDown("a"));
    EXPECT_TRUE(w.IsOpen());
    w.Close();  // closed some other way: the holder stays as made
  });
  driver.Type("w");
  driver.PressKey("\t");
  EXPECT_EQ(Line(), " ");
}

TEST_F(Completion, EmptyStoreGivesEmptyListAndReturnGivesABlank) {
  Store().macroName.clear();
  Store().macroBody.clear();
  AnswerWith({"\r"});
  driver.PressKey("\t");
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(selected, "");
  EXPECT_EQ(Line(), " ");
}

TEST(StringHolder, StartsUncancelledAndEmpty) {
  tovra::StringHolder h;
  EXPECT_FALSE(h.cancelled);
  EXPECT_TRUE(h.theString.IsEmpty());
}

}  // namespace
