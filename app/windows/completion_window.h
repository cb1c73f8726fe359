// The modal dialog that offers macro names: Return chooses the selected row, Escape cancels.
#pragma once

#include <memory>

#include "app/windows/string_holder.h"
#include "runtime/core/controls.h"
#include "runtime/core/window.h"

namespace tovra {

class CompletionWindow : public rt::Window {
 public:
  std::shared_ptr<StringHolder> theHolder;
  std::shared_ptr<rt::Listbox> theList;

  bool Event_KeyDown(const rt::String &key) override;

 protected:
  void Layout() override;
  void CreateControls() override;
  void _CreateControls0();
};

}  // namespace tovra
