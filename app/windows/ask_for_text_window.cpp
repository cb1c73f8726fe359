#include "app/windows/ask_for_text_window.h"

#include "runtime/core/errors.h"

namespace tovra {

void AskForTextWindow::Layout() {
  Title = "";
  FrameKind = kMovableModal;
  SetSize(370, 120);
}

void AskForTextWindow::CreateControls() { _CreateControls0(); }

void AskForTextWindow::_CreateControls0() {
  theQuery = AddControl<rt::StaticText>("theQuery");
  theQuery->SetBounds(20, 14, 330, 20);
  theQuery->TabIndex = 0;
  theQuery->LockEdges = rt::kLockLeft | rt::kLockTop | rt::kLockRight;
  theQuery->TextAlign = 1;

  theText = AddControl<rt::EditField>("theText");
  theText->SetBounds(20, 46, 330, 22);
  theText->TabIndex = 1;
  theText->LockEdges = rt::kLockLeft | rt::kLockRight;

  CancelButton = AddControl<rt::PushButton>("CancelButton");
  CancelButton->SetBounds(20, 80, 80, 20);
  CancelButton->TabIndex = 2;
  CancelButton->LockEdges = rt::kLockLeft;
  CancelButton->Caption = "Cancel";
  CancelButton->Cancel = true;
  CancelButton->Action = [this] { CancelButton_Action(); };

  OKButton = AddControl<rt::PushButton>("OKButton");
  OKButton->SetBounds(270, 80, 80, 20);
  OKButton->TabIndex = 3;
  OKButton->LockEdges = rt::kLockRight;
  OKButton->Caption = "OK";
  OKButton->Default = true;
  OKButton->Action = [this] { OKButton_Action(); };
}

void AskForTextWindow::OKButton_Action() {
  rt::Deref(theHolder).theString = theText->Text();
  theHolder->cancelled = false;
  Close();
}

void AskForTextWindow::CancelButton_Action() {
  rt::Deref(theHolder).cancelled = true;
  Close();
}

namespace Utilities {
bool AskForText(const rt::String &question, rt::String &answer) {
  auto holder = std::make_shared<StringHolder>();
  auto window = rt::Window::Create<AskForTextWindow>();
  window->theHolder = holder;
  window->theQuery->SetText(question);
  window->ShowModal();
  if (holder->cancelled) return false;
  answer = holder->theString;
  return true;
}
}  // namespace Utilities

}  // namespace tovra
