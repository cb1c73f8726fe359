#include "runtime/core/window_list.h"

#include <algorithm>

#include "runtime/core/window.h"

namespace rt {
namespace {

struct WindowList {
  std::vector<std::shared_ptr<Window>> windows;  // front first
  Window *active = nullptr;
};

WindowList &List() {
  static WindowList list;
  return list;
}

std::shared_ptr<Window> Keep(Window &window) {
  for (const auto &w : List().windows) {
    if (w.get() == &window) return w;
  }
  return nullptr;
}

}  // namespace

void AddOpenWindow(std::shared_ptr<Window> window) {
  List().windows.insert(List().windows.begin(), std::move(window));
}

void RemoveOpenWindow(Window &window) {
  auto &ws = List().windows;
  if (List().active == &window) List().active = nullptr;
  std::shared_ptr<Window> keep = Keep(window);  // freed after the list no longer names it
  ws.erase(std::remove_if(ws.begin(), ws.end(), [&](const auto &w) { return w.get() == &window; }),
           ws.end());
}

void BringToFront(Window &window) {
  auto &ws = List().windows;
  auto it = std::find_if(ws.begin(), ws.end(), [&](const auto &w) { return w.get() == &window; });
  if (it != ws.end()) std::rotate(ws.begin(), it, it + 1);
}

const std::vector<std::shared_ptr<Window>> &OpenWindows() { return List().windows; }

std::shared_ptr<Window> FrontWindow() {
  if (List().active) return Keep(*List().active);
  for (const auto &w : List().windows) {
    if (w->Visible()) return w;
  }
  return nullptr;
}

Window *ActiveWindow() { return List().active; }

std::shared_ptr<Window> FrontModalWindow() {
  for (const auto &w : List().windows) {
    if (w->IsModal() && w->Visible()) return w;
  }
  return nullptr;
}

void SetActivated(Window &window, bool activated) { window.activated_ = activated; }

void Activate(Window &window) {
  if (List().active == &window || !window.IsOpen()) return;
  std::shared_ptr<Window> keepNew = Keep(window);
  Window *old = List().active;
  std::shared_ptr<Window> keepOld = old ? Keep(*old) : nullptr;
  // The new window counts as active before the old one hears of it, so a Deactivate handler
  // that hides its window does not pass the activation on a second time.
  List().active = &window;
  SetActivated(window, true);
  BringToFront(window);
  if (old) {
    SetActivated(*old, false);
    old->Event_Deactivate();
  }
  if (List().active == &window) window.Event_Activate();
}

void Deactivate(Window &window) {
  if (List().active != &window) return;
  std::shared_ptr<Window> keep = Keep(window);
  List().active = nullptr;
  SetActivated(window, false);
  window.Event_Deactivate();
  if (List().active) return;  // the handler activated something itself
  for (const auto &w : std::vector<std::shared_ptr<Window>>(List().windows)) {
    if (w.get() != &window && w->Visible() && w->IsOpen()) {
      Activate(*w);
      break;
    }
  }
}

void ApplicationDeactivated() {
  Window *w = List().active;
  if (!w) return;
  std::shared_ptr<Window> keep = Keep(*w);
  List().active = nullptr;
  SetActivated(*w, false);
  w->Event_Deactivate();
}

void WindowActivatedFromOutside(Window &window) {
  if (window.Visible()) Activate(window);
}

void WindowCloseBoxPressed(Window &window) { window.Close(); }

void ForgetAllWindows() {
  auto windows = std::move(List().windows);
  List().windows.clear();
  List().active = nullptr;
  for (auto &w : windows) {
    w->open_ = false;
    w->visible_ = false;
    w->activated_ = false;
  }
}

}  // namespace rt
