#include "app/windows/completion_window.h"

#include "app/app.h"
#include "app/store/preferences.h"
#include "app/windows/main_window.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"

namespace tovra {

void CompletionWindow::Layout() {
  Title = "Completions";
  FrameKind = kModalDialog;
  SetSize(180, 180);
}

void CompletionWindow::CreateControls() { _CreateControls0(); }

void CompletionWindow::_CreateControls0() {
  theList = AddControl<rt::Listbox>("theList");
  theList->SetBounds(0, 0, 180, 180);
  theList->LockEdges = rt::kLockLeft | rt::kLockTop | rt::kLockRight | rt::kLockBottom;
  theList->TextSize = 11;
  theList->ColumnCount = 1;
}

bool CompletionWindow::Event_KeyDown(const rt::String &key) {
  int c = rt::Asc(key);
  if (c == 13) {
    rt::Deref(theHolder).theString = theList->Text();
    theHolder->cancelled = false;
    Close();
    return true;
  }
  if (c == 27) {
    rt::Deref(theHolder).cancelled = true;
    Close();
    return true;
  }
  return false;
}

void MainWindow::DoCompletion(const rt::String &prefix) {
  std::vector<rt::String> names;
  int n = rt::Deref(the::App()->thePreferences).CompleteMacro(prefix, names);
  auto holder = std::make_shared<StringHolder>();
  auto dialog = rt::Window::Create<CompletionWindow>();
  dialog->SetLeft(Left() + 20);
  dialog->SetTop(Top() + 20);
  dialog->theHolder = holder;
  dialog->theList->DeleteAllRows();
  for (int i = 0; i < n; ++i) {
    rt::YieldPoint();
    dialog->theList->AddRow(names[static_cast<size_t>(i)]);
  }
  if (dialog->theList->ListCount() > 0) dialog->theList->SetListIndex(0);
  dialog->ShowModal();
  // Show activates the window at once, and activation empties the line, so the name written
  // next survives.
  Show();
  if (!holder->cancelled) Status->SetText(holder->theString + rt::String(" "));
}

}  // namespace tovra
