// Drives the application through the headless backend the way a user would.
#pragma once

#include <string_view>

#include "runtime/core/window.h"
#include "runtime/headless/headless_backend.h"

namespace rt {

class HeadlessDriver {
 public:
  explicit HeadlessDriver(HeadlessBackend &backend) : backend_(backend) {}

  // A key into the active window (else the frontmost visible one); Ctrl held when `command`.
  bool PressKey(const String &key, bool command = false);
  // Each character of the UTF-8 text as one key.
  void Type(std::string_view text);
  bool ChooseMenu(const String &itemName);
  // Another application takes the front: the active window is deactivated.
  void BringOtherApplicationToFront();
  // Presses the system-wide hot key of the newest registration; false when none is registered.
  bool PressHotKey();
  void PressCloseBox(Window &window);
  // Runs whatever the loop has queued, then the handlers of watched descriptors that can be read.
  void Settle();

  Window *KeyWindow() const;
  std::shared_ptr<Window> FindWindow(const String &title) const;

 private:
  HeadlessBackend &backend_;
};

}  // namespace rt
