// The clipboard, the screens and the framework's message dialog.
#pragma once

#include "runtime/core/backend.h"
#include "runtime/core/string.h"

namespace rt {

class Clipboard {
 public:
  Clipboard();
  bool TextAvailable() const { return text_.has_value(); }
  String Text() const { return text_ ? *text_ : String(""); }
  void SetText(const String &text);

 private:
  std::optional<String> text_;
};

// Screen(0) is the main screen.
ScreenSize Screen(int index);

class MessageDialogButton {
 public:
  String Caption;
  bool Visible = true;
  bool Default = false;
  bool Cancel = false;
};

class MessageDialog {
 public:
  MessageDialog();
  String Title;
  String Message;
  String Explanation;
  int Icon = 0;  // 1 is the caution icon
  MessageDialogButton ActionButton;
  MessageDialogButton CancelButton;
  MessageDialogButton AlternateActionButton;
  // Modal; the button the user pressed.
  MessageDialogButton *ShowModal();
};

}  // namespace rt
