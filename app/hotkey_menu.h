// The application's one menu bar: File and Edit.
#pragma once

#include <memory>

#include "runtime/core/menus.h"

namespace tovra {

class HotKeyMenu : public rt::MenuBar {
 public:
  void Constructor();
  void Untitled0();  // the File menu
  void Untitled1();  // the Edit menu
};

namespace the {
// The one instance, built on first use.
std::shared_ptr<tovra::HotKeyMenu> HotKeyMenu();
}  // namespace the

void ReleaseHotKeyMenu();

}  // namespace tovra
