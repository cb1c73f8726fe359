// A small untitled modal prompt for one line of text.
#pragma once

#include <memory>

#include "app/windows/string_holder.h"
#include "runtime/core/controls.h"
#include "runtime/core/window.h"

namespace tovra {

class AskForTextWindow : public rt::Window {
 public:
  std::shared_ptr<StringHolder> theHolder;
  std::shared_ptr<rt::StaticText> theQuery;
  std::shared_ptr<rt::EditField> theText;
  std::shared_ptr<rt::PushButton> CancelButton;
  std::shared_ptr<rt::PushButton> OKButton;

  void CancelButton_Action();
  void OKButton_Action();

 protected:
  void Layout() override;
  void CreateControls() override;
  void _CreateControls0();
};

namespace Utilities {
// Asks `question`; true with the typed text in `answer`, false (answer untouched) on Cancel.
bool AskForText(const rt::String &question, rt::String &answer);
}  // namespace Utilities

}  // namespace tovra
