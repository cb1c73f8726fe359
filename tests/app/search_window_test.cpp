#include "app_fixture.h"
#include "runtime/core/dispatch.h"
#include "runtime/core/string_functions.h"

namespace {

class SearchWindow : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
    Store().DefineMacro("t", "q=$1&r=$2&s=$3&all=$*");
    ShowSearchWindow();
  }
  void SearchFor(const std::string &line) {
    ShowSearchWindow();
    driver.Type(line);
    driver.PressKey(rt::Chr(13));
  }
};

TEST_F(SearchWindow, ReturnFillsPlaceholdersInOrder) {
  SearchFor("t new york");
  SearchFor("t");
  SearchFor("   t   new    york  ");
  EXPECT_EQ(backend.urls, (std::vector<std::string>{"q=new&r=york&s=&all=new+york", "q=&r=&s=&all=",
                                                    "q=new&r=york&s=&all=new+york"}));
}

TEST_F(SearchWindow, FiveBlanksLeaveAnEmptyWord) {
  SearchFor("t new     york");
  EXPECT_EQ(backend.urls.back(), "q=new&r=&s=york&all=new++york");
}

TEST_F(SearchWindow, WordsPastTheNinthReachOnlyTheStar) {
  Store().DefineMacro("n", "$1,$9,$10|$*");
  SearchFor("n a b c d e f g h i j k");
  EXPECT_EQ(backend.urls.back(), "a,i,a0|a+b+c+d+e+f+g+h+i+j+k");
}

TEST_F(SearchWindow, WordsGoInAsTypedAndNameIgnoresCase) {
  SearchFor("T a&b #%é");
  EXPECT_EQ(backend.urls.back(), "q=a&b&r=#%é&s=&all=a&b+#%é");
}

TEST_F(SearchWindow, UnknownMacroIsReportedWithTheNameAsTyped) {
  SearchFor("Nope foo");
  SearchFor("");
  EXPECT_EQ(backend.messages, (std::vector<std::string>{"There is no Nope search macro",
                                                        "There is no  search macro"}));
  EXPECT_TRUE(backend.urls.empty());
  EXPECT_EQ(Line(), "");
  Store().DefineMacro("empty", "");
  SearchFor("empty");
  EXPECT_EQ(backend.messages.back(), "There is no empty search macro");
}

TEST_F(SearchWindow, NameAndTabIgnoreCaseOfEveryLetter) {
  Store().DefineMacro("météo", "w=$1");
  SearchFor("MÉTÉO paris");
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_EQ(backend.urls, (std::vector<std::string>{"w=paris"}));
  ShowSearchWindow();
  driver.Type("MÉT");
  driver.PressKey(rt::Chr(9));
  EXPECT_EQ(Line(), "météo ");
}

TEST_F(SearchWindow, ReturnLeavesTheWindowAndLineAlone) {
  SearchFor("t x");
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Line(), "t x");
  driver.BringOtherApplicationToFront();
  EXPECT_FALSE(Search()->Visible());
}

TEST_F(SearchWindow, EditingKeys) {
  driver.Type("aé");
  driver.PressKey(rt::Chr(8));
  EXPECT_EQ(Line(), "a");
  driver.PressKey(rt::Chr(8));
  driver.PressKey(rt::Chr(8));
  EXPECT_EQ(Line(), "");
  for (int code : {3, 28, 29, 30, 31}) EXPECT_TRUE(driver.PressKey(rt::Chr(code)));
  EXPECT_EQ(Line(), "");
  driver.PressKey(rt::Chr(127));
  EXPECT_EQ(Line(), "\x7f");
}

TEST_F(SearchWindow, EscapeHidesAndTheNextShowingStartsEmpty) {
  driver.Type("wiki x");
  driver.PressKey(rt::Chr(27));
  EXPECT_FALSE(Search()->Visible());
  EXPECT_EQ(Line(), "wiki x");
  ShowSearchWindow();
  EXPECT_EQ(Line(), "");
}

TEST_F(SearchWindow, TabCompletesASingleMatch) {
  driver.Type("wik");
  driver.PressKey(rt::Chr(9));
  EXPECT_EQ(Line(), "wiki ");
  ShowSearchWindow();
  driver.Type("WIK");
  driver.PressKey(rt::Chr(9));
  EXPECT_EQ(Line(), "wiki ");
}

TEST_F(SearchWindow, TabDoesNothingAfterTwoWordsOrWithoutMatch) {
  driver.Type("wiki new");
  driver.PressKey(rt::Chr(9));
  EXPECT_EQ(Line(), "wiki new");
  ShowSearchWindow();
  driver.Type("zzz");
  driver.PressKey(rt::Chr(9));
  EXPECT_EQ(Line(), "zzz");
  EXPECT_TRUE(backend.modalTitles.empty());
}

TEST_F(SearchWindow, PasteAppendsClipboardTextWithLineBreaks) {
  driver.Type("t ");
  backend.SetClipboard(rt::String("a\nb"));
  EXPECT_TRUE(driver.PressKey("v", true));
  EXPECT_EQ(Line(), "t a\nb");
}

TEST_F(SearchWindow, MenuCommands) {
  rt::UpdateMenus();
  EXPECT_FALSE(Search()->EditPaste()->Enabled);
  EXPECT_TRUE(Search()->FilePreferences()->Enabled);
  backend.SetClipboard(rt::String("x"));
  rt::UpdateMenus();
  EXPECT_TRUE(Search()->EditPaste()->Enabled);
  EXPECT_TRUE(driver.ChooseMenu("FileClose"));
  EXPECT_FALSE(Search()->Visible());
  EXPECT_TRUE(Search()->IsOpen()) << "Close hides the search window rather than closing it";
}

TEST_F(SearchWindow, CloseBoxClosesAndTheAccessorMakesANewHiddenWindow) {
  auto old = Search();
  driver.PressCloseBox(*old);
  EXPECT_FALSE(old->IsOpen());
  auto fresh = Search();
  EXPECT_NE(fresh, old);
  EXPECT_FALSE(fresh->Visible());
}

}  // namespace
