#include <gtest/gtest.h>

#include "runtime/core/application.h"
#include "runtime/core/dispatch.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window.h"
#include "runtime/core/string_functions.h"
#include "runtime/core/window_list.h"
#include "runtime/headless/driver.h"

namespace {

// A window that logs its events.
class LoggingWindow : public rt::Window {
 public:
  explicit LoggingWindow(std::vector<std::string> *log, std::string name) : log_(log), name_(name) {}
  void Event_Open() override { log_->push_back(name_ + ".Open"); }
  void Event_Activate() override { log_->push_back(name_ + ".Activate"); }
  void Event_Deactivate() override { log_->push_back(name_ + ".Deactivate"); }
  bool Event_KeyDown(const rt::String &key) override {
    log_->push_back(name_ + ".Key " + key.ToStd());
    return key.Bytes() == "k";
  }
  std::shared_ptr<rt::EditField> field;
  std::shared_ptr<rt::Listbox> list;

 protected:
  void Layout() override { Title = rt::String(name_); }
  void CreateControls() override {
    field = AddControl<rt::EditField>("field");
    field->SetText("layout");  // set before binding: raises nothing
    field->TextChange = [this] { log_->push_back(name_ + ".TextChange"); };
    list = AddControl<rt::Listbox>("list");
  }

 private:
  std::vector<std::string> *log_;
  std::string name_;
};

// Counts the change notices the core sends the backend.
class NoticeCountingBackend : public rt::HeadlessBackend {
 public:
  void ControlChanged(rt::Control &) override { ++controlNotices; }
  int controlNotices = 0;
};

class WindowModel : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::RuntimeInit(backend);
    app = std::make_shared<rt::Application>();
    app->MenuBar = std::make_shared<rt::MenuBar>();
    auto file = std::make_shared<rt::MenuItem>();
    file->Name = "FileMenu";
    auto close = std::make_shared<rt::MenuItem>();
    close->Name = "FileClose";
    close->KeyboardShortcut = "Cmd+W";
    file->Append(close);
    auto quit = std::make_shared<rt::QuitMenuItem>();
    quit->Name = "FileQuit";
    file->Append(quit);
    app->MenuBar->Append(file);
    rt::RuntimeRegisterAppObject(app);
  }
  void TearDown() override {
    rt::ForgetAllWindows();
    rt::RuntimeExit();
    EXPECT_TRUE(backend.failures.empty()) << backend.failures.front();
  }
  std::shared_ptr<LoggingWindow> Make(const std::string &name) {
    return rt::Window::Create<LoggingWindow>(&log, name);
  }
  NoticeCountingBackend backend;
  rt::HeadlessDriver driver{backend};
  std::shared_ptr<rt::Application> app;
  std::vector<std::string> log;
};

TEST_F(WindowModel, ActivationMovesSynchronouslyInOrder) {
  auto a = Make("A");
  auto b = Make("B");
  EXPECT_EQ(log, (std::vector<std::string>{"A.Open", "A.Activate", "B.Open", "A.Deactivate",
                                            "B.Activate"}));
  log.clear();
  b->Show();  // already active: nothing
  EXPECT_TRUE(log.empty());
  b->Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"B.Deactivate", "A.Activate"}));
  log.clear();
  driver.BringOtherApplicationToFront();
  EXPECT_EQ(log, (std::vector<std::string>{"A.Deactivate"}));
  EXPECT_EQ(rt::ActiveWindow(), nullptr);
  log.clear();
  rt::WindowActivatedFromOutside(*a);
  rt::WindowActivatedFromOutside(*a);
  EXPECT_EQ(log, (std::vector<std::string>{"A.Activate"}));
}

TEST_F(WindowModel, NewWindowIsCentredButKeepsItsCornerOnASmallScreen) {
  auto centred = Make("a");
  EXPECT_EQ(centred->Left(), (1024 - centred->Width()) / 2);
  EXPECT_EQ(centred->Top(), (768 - centred->Height()) / 2);
  backend.SetScreen({centred->Width() - 40, centred->Height() - 30});
  auto cornered = Make("b");
  EXPECT_EQ(cornered->Left(), 0);
  EXPECT_EQ(cornered->Top(), 0);
}

TEST_F(WindowModel, ShowModalReturnsAfterTheWindowClosed) {
  auto a = Make("A");
  backend.QueueModalReaction([](rt::Window &w) { w.Close(); });
  auto dialog = Make("D");
  log.clear();
  dialog->ShowModal();
  EXPECT_FALSE(dialog->IsOpen());
  EXPECT_EQ(log, (std::vector<std::string>{"D.Deactivate", "A.Activate"}));
  EXPECT_EQ(backend.modalTitles, std::vector<std::string>{"D"});
}

TEST_F(WindowModel, UnscriptedModalWindowFailsInsteadOfHanging) {
  auto dialog = Make("D");
  dialog->ShowModal();
  EXPECT_FALSE(dialog->IsOpen());
  ASSERT_EQ(backend.failures.size(), 1u);
  backend.failures.clear();
}

TEST_F(WindowModel, KeysGoToKeyDownThenFocusedControlThenButtons) {
  auto a = Make("A");
  driver.PressKey("k");
  EXPECT_EQ(a->field->Text().Bytes(), "layout");
  driver.PressKey("x");
  EXPECT_EQ(a->field->Text().Bytes(), "layoutx");
  EXPECT_EQ(log.back(), "A.TextChange");
  driver.PressKey(rt::Chr(8));
  EXPECT_EQ(a->field->Text().Bytes(), "layout");
}

TEST_F(WindowModel, MenuCommandsReachTheFrontWindowBeforeTheApplication) {
  std::vector<std::string> calls;
  app->menuHandlers.Bind("FileClose", [&] { calls.push_back("app"); return true; });
  EXPECT_TRUE(driver.ChooseMenu("FileClose"));
  auto a = Make("A");
  a->menuHandlers.Bind("FileClose", [&] { calls.push_back("window"); return true; });
  EXPECT_TRUE(driver.PressKey("w", true));
  a->menuHandlers.Bind("FileClose", [&] { calls.push_back("declined"); return false; });
  EXPECT_TRUE(driver.ChooseMenu("FileClose"));
  EXPECT_EQ(calls, (std::vector<std::string>{"app", "window", "declined", "app"}));
}

TEST_F(WindowModel, QuitItemEndsTheLoop) {
  EXPECT_TRUE(driver.ChooseMenu("FileQuit"));
  EXPECT_TRUE(rt::QuitRequested());
}

TEST_F(WindowModel, ListSelectionFromCodeRaisesChangeAtOnce) {
  rt::Listbox list;
  int changes = 0;
  list.Change = [&] { ++changes; };
  list.AddRow("wiki");
  list.AddRow("wx");
  list.SetListIndex(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list.Text().Bytes(), "wiki");
  list.SetListIndex(0);
  EXPECT_EQ(changes, 1);
  list.HandleKey(rt::Chr(31));
  EXPECT_EQ(list.Text().Bytes(), "wx");
  list.DeleteAllRows();
  EXPECT_EQ(list.Text().Bytes(), "");
  EXPECT_EQ(changes, 3);
}

// A long list filled row by row would otherwise send the backend a notice per row.
TEST_F(WindowModel, RowsAddedTogetherRaiseOneNoticeUntilTheBackendReadsTheList) {
  auto window = Make("a");
  window->Show();
  backend.controlNotices = 0;
  for (int i = 0; i < 1000; ++i) window->list->AddRow(rt::Str(i));
  EXPECT_EQ(backend.controlNotices, 1);
  EXPECT_EQ(window->list->ListCount(), 1000);  // as the backend reads the rows
  window->list->AddRow("one more");
  EXPECT_EQ(backend.controlNotices, 2);
  window->list->SetCell(0, 0, "edited");
  window->list->RemoveRow(1);
  window->list->DeleteAllRows();
  EXPECT_EQ(backend.controlNotices, 5) << "an edit went unnoticed";
}

}  // namespace
