#include "app/hotkey_menu.h"
#include "app/windows/about_window.h"
#include "app_fixture.h"
#include "runtime/core/dispatch.h"

namespace {

std::vector<std::string> Items(const rt::MenuItem &menu) {
  std::vector<std::string> out;
  for (int i = 0; i < menu.Count(); ++i) {
    auto item = menu.Item(i);
    out.push_back(item->Name.ToStd() + "|" + item->Text.ToStd() + "|" + item->KeyboardShortcut.ToStd());
  }
  return out;
}

TEST(MenuBar, BuiltOnceWithFileAndEditInOrder) {
  auto bar = tovra::the::HotKeyMenu();
  EXPECT_EQ(tovra::the::HotKeyMenu(), bar);
  EXPECT_EQ(Items(*bar), (std::vector<std::string>{"FileMenu|&File|", "EditMenu|&Edit|"}));
  EXPECT_EQ(Items(*bar->Child("FileMenu")),
            (std::vector<std::string>{"FileAboutTovra|About Tovra!|", "FilePreferences|Preferences|Cmd+,",
                                      "FileClose|Close|Cmd+W", "FileQuit|&Quit|Cmd+Q"}));
  EXPECT_EQ(Items(*bar->Child("EditMenu")),
            (std::vector<std::string>{"EditUndo|&Undo|Cmd+Z", "UntitledMenu1|-|", "EditCut|Cu&t|Cmd+X",
                                      "EditCopy|&Copy|Cmd+C", "EditPaste|&Paste|Cmd+V", "EditClear|&Delete|",
                                      "UntitledMenu0|-|", "EditSelectAll|Select &All|Cmd+A"}));
  EXPECT_EQ(bar->Find("FileQuit")->ItemRole(), rt::MenuItem::Role::kQuit);
  EXPECT_EQ(bar->Find("FileAboutTovra")->ItemRole(), rt::MenuItem::Role::kAbout);
  EXPECT_EQ(bar->Find("FilePreferences")->ItemRole(), rt::MenuItem::Role::kPreferences);
  tovra::ReleaseHotKeyMenu();
  EXPECT_NE(tovra::the::HotKeyMenu(), bar);
  tovra::ReleaseHotKeyMenu();
}

class AboutBox : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
    driver.ChooseMenu("FileAboutTovra");
    about = std::dynamic_pointer_cast<tovra::AboutWindow>(rt::FrontWindow());
    ASSERT_TRUE(about);
  }
  std::shared_ptr<tovra::AboutWindow> about;
};

TEST_F(AboutBox, CloseClosesTheAboutBoxNotTheSearchWindow) {
  ShowSearchWindow();
  rt::WindowActivatedFromOutside(*about);
  rt::UpdateMenus();
  EXPECT_TRUE(tovra::the::HotKeyMenu()->Find("FileClose")->Enabled);
  EXPECT_TRUE(tovra::the::HotKeyMenu()->Find("FileAboutTovra")->Enabled);
  EXPECT_TRUE(driver.ChooseMenu("FileClose"));
  EXPECT_FALSE(about->IsOpen());
  EXPECT_TRUE(Search()->IsOpen());
}

TEST_F(AboutBox, LinkOpensTheSiteAndKeepsTheBoxOpen) {
  EXPECT_FALSE(about->StaticText4->MouseDown(3, 4));
  EXPECT_EQ(backend.urls, std::vector<std::string>{std::string("http://") + tovra::kMakerWebAddress});
  EXPECT_TRUE(about->IsOpen());
  EXPECT_FALSE(about->StaticText1->MouseDown);
}

TEST_F(AboutBox, ReturnOrEscapePressesDone) {
  driver.PressKey("\r");
  EXPECT_FALSE(about->IsOpen());
  driver.ChooseMenu("FileAboutTovra");
  auto second = rt::FrontWindow();
  driver.PressKey("\x1b");
  EXPECT_FALSE(second->IsOpen());
}

}  // namespace
