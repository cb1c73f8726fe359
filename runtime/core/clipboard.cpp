#include "runtime/core/clipboard.h"

#include "runtime/core/runtime.h"

namespace rt {

Clipboard::Clipboard() : text_(CurrentBackend().ClipboardText()) {}

void Clipboard::SetText(const String &text) {
  text_ = text;
  CurrentBackend().SetClipboardText(text);
}

ScreenSize Screen(int index) {
  (void)index;  // one main screen is all the application asks for
  return CurrentBackend().MainScreen();
}

MessageDialog::MessageDialog() {
  ActionButton.Caption = "OK";
  ActionButton.Default = true;
  CancelButton.Caption = "Cancel";
  CancelButton.Visible = false;
  CancelButton.Cancel = true;
  AlternateActionButton.Caption = "Don't Save";
  AlternateActionButton.Visible = false;
}

MessageDialogButton *MessageDialog::ShowModal() {
  switch (CurrentBackend().ShowMessageDialog(*this)) {
    case 1: return &CancelButton;
    case 2: return &AlternateActionButton;
    default: return &ActionButton;
  }
}

}  // namespace rt
