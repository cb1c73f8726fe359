#include "runtime/headless/driver.h"

#include "runtime/core/dispatch.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"
#include "runtime/core/window_list.h"

namespace rt {

Window *HeadlessDriver::KeyWindow() const {
  if (Window *w = ActiveWindow()) return w;
  std::shared_ptr<Window> front = FrontWindow();
  return front.get();
}

bool HeadlessDriver::PressKey(const String &key, bool command) {
  Window *w = KeyWindow();
  if (!w) return false;
  bool handled = false;
  RunHandler([&] { handled = KeyPressed(*w, key, command); });
  Settle();
  return handled;
}

void HeadlessDriver::Type(std::string_view text) {
  String all(text);
  int n = Len(all);
  for (int i = 1; i <= n; ++i) PressKey(Mid(all, i, 1));
}

bool HeadlessDriver::ChooseMenu(const String &itemName) {
  bool handled = false;
  RunHandler([&] { handled = ChooseMenuItem(itemName); });
  Settle();
  return handled;
}

void HeadlessDriver::BringOtherApplicationToFront() {
  RunHandler([] { ApplicationDeactivated(); });
  Settle();
}

bool HeadlessDriver::PressHotKey() {
  if (backend_.HotKeys().empty()) return false;
  auto pressed = backend_.HotKeys().rbegin()->second.pressed;
  if (pressed) RunHandler(pressed);
  Settle();
  return true;
}

void HeadlessDriver::PressCloseBox(Window &window) {
  RunHandler([&] { WindowCloseBoxPressed(window); });
  Settle();
}

void HeadlessDriver::Settle() {
  backend_.QueueReadableWatches();
  RunPendingEvents();
}

std::shared_ptr<Window> HeadlessDriver::FindWindow(const String &title) const {
  for (const auto &w : OpenWindows()) {
    if (w->Title.Bytes() == title.Bytes()) return w;
  }
  return nullptr;
}

}  // namespace rt
