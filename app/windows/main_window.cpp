#include "app/windows/main_window.h"

#include "app/app.h"
#include "app/hotkey_menu.h"
#include "app/store/preferences.h"
#include "app/windows/macro_expansion.h"
#include "app/windows/preferences_window.h"
#include "runtime/core/clipboard.h"
#include "runtime/core/encoding.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"
#include "runtime/core/window_list.h"

namespace tovra {

namespace {
std::weak_ptr<MainWindow> openWindow;
}

namespace the {
std::shared_ptr<tovra::MainWindow> MainWindow() {
  auto w = openWindow.lock();
  if (!w || !w->IsOpen()) {
    w = rt::Window::Create<tovra::MainWindow>();
    openWindow = w;
  }
  return w;
}
}  // namespace the

void MainWindow::Layout() {
  MenuBar = the::HotKeyMenu();
  Title = "Tovra! Web Search";
  FrameKind = kDocument;
  SetSize(334, 64);
}

void MainWindow::CreateControls() { _CreateControls0(); }

void MainWindow::_CreateControls0() {
  Status = AddControl<rt::StaticText>("Status");
  Status->SetBounds(20, 24, 294, 20);
  Status->TextSize = 12;
  Status->TabIndex = 0;
  Status->ShowsEnd = true;  // a long line still shows where typing goes on
  Status->SetText("");

  StaticText1 = AddControl<rt::StaticText>("StaticText1");
  StaticText1->SetBounds(321, 47, 15, 18);
  StaticText1->TextSize = 9;
  StaticText1->LockEdges = rt::kLockRight | rt::kLockBottom;
  StaticText1->TabIndex = 1;
  StaticText1->SetText("v5");
}

void MainWindow::AddMenuHandlers() {
  // The window owns its handlers, so they never outlive it.
  menuHandlers.Bind("FileClose", [this] { return _FileClose_Action(); });
  menuHandlers.Bind("FilePreferences", [this] { return _FilePreferences_Action(); });
  menuHandlers.Bind("EditPaste", [this] { return _EditPaste_Action(); });
}

std::shared_ptr<rt::MenuItem> MainWindow::Item(const char *name) const {
  return MenuBar ? MenuBar->Find(name) : nullptr;
}

void MainWindow::Event_Open() { Hide(); }

void MainWindow::Event_EnableMenuItems() {
  rt::Deref(EditPaste()).Enabled = rt::Clipboard().TextAvailable();
  rt::Deref(FilePreferences()).Enabled = true;
  rt::Deref(FileClose()).Enabled = true;
}

void MainWindow::Event_Activate() { Status->SetText(""); }

void MainWindow::Event_Deactivate() { Hide(); }

bool MainWindow::Event_KeyDown(const rt::String &key) {
  int c = rt::Asc(key);
  if (c == 27) {
    Hide();
  } else if (c == 8) {
    Status->SetText(rt::Left(Status->Text(), rt::Len(Status->Text()) - 1));
  } else if (c == 9) {
    CompleteLine();
  } else if (c == 13) {
    RunSearch();
  } else if (c >= 32) {
    Status->SetText(Status->Text() + key);
  }
  return true;
}

void MainWindow::CompleteLine() {
  rt::String line = NormaliseLine(Status->Text());
  int k = rt::CountFields(line, " ");
  if (k == 0) {
    DoCompletion("");
  } else if (k == 1) {
    rt::String word = rt::NthField(line, " ", 1);
    std::vector<rt::String> results;
    int n = rt::Deref(the::App()->thePreferences).CompleteMacro(word, results);
    if (n == 1) {
      Status->SetText(results[0] + rt::String(" "));
    } else if (n > 1) {
      DoCompletion(word);
    }
  }
}

void MainWindow::RunSearch() {
  rt::String line = NormaliseLine(Status->Text());
  rt::String name = rt::NthField(line, " ", 1);
  rt::String rest = rt::Trim(rt::Mid(line, rt::Len(name) + 1));
  rt::String urlTemplate = rt::Deref(the::App()->thePreferences).LookupMacro(name);
  if (urlTemplate.IsEmpty()) {
    rt::MsgBox(rt::String("There is no ") + name + rt::String(" search macro"));
    return;
  }
  rt::ShowURL(ExpandTemplate(urlTemplate, rest));
}

bool MainWindow::_FileClose_Action() {
  Hide();
  return true;
}

bool MainWindow::_FilePreferences_Action() {
  // One editor at a time: a second one's Done would put back everything the first one changed.
  for (const auto &w : rt::OpenWindows()) {
    if (std::dynamic_pointer_cast<PreferencesWindow>(w)) {
      w->Show();
      Hide();
      return true;
    }
  }
  auto editor = rt::Window::Create<PreferencesWindow>();
  editor->SetPreferences(the::App()->thePreferences);
  Hide();
  return true;
}

bool MainWindow::_EditPaste_Action() {
  rt::Clipboard clipboard;
  if (clipboard.TextAvailable()) {
    Status->SetText(Status->Text() + rt::ConvertEncoding(clipboard.Text(), rt::kEncodingUTF8));
  }
  return true;
}

rt::String MainWindow::QuoteBlanks(const rt::String &s) const { return tovra::QuoteBlanks(s); }

}  // namespace tovra
