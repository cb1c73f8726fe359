// System-wide hot keys through keybinder-3.0, which grabs the key on the X11 root window with
// every combination of Caps Lock and Num Lock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "runtime/gtk/core_gate.h"
#include "runtime/gtk/focus_tracker.h"

namespace rt::gtk {

class HotKeys {
 public:
  HotKeys(CoreGate &gate, FocusTracker &focus) : gate_(gate), focus_(focus) {}
  ~HotKeys();
  HotKeys(const HotKeys &) = delete;
  HotKeys &operator=(const HotKeys &) = delete;

  // A handle, or 0 when the key has no X11 key, is held already, cannot be grabbed, or is one
  // the X server keeps for an action of its own.
  int Register(uint32_t macKeyCode, uint32_t macModifierMask, std::function<void()> pressed);
  void Unregister(int handle);

 private:
  struct Binding {
    HotKeys *owner;
    std::string accelerator;
    std::function<void()> pressed;
  };
  static void OnPressed(const char *keystring, void *binding);

  CoreGate &gate_;
  FocusTracker &focus_;
  std::map<int, std::unique_ptr<Binding>> bindings_;
  int nextHandle_ = 1;
};

}  // namespace rt::gtk
