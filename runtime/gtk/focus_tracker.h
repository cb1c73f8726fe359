// Keeps the keyboard focus and the core's activation in step. The core raises its own activation
// for Show, Hide and Close; what reaches it from here is only what came from outside: one of our
// windows brought to the front by the user, or another application taking the front.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>

#include "runtime/core/window.h"
#include "runtime/gtk/core_gate.h"

namespace rt::gtk {

class WindowView;
class WindowViews;

class FocusTracker {
 public:
  FocusTracker(CoreGate &gate, WindowViews &views) : gate_(gate), views_(views) {}
  ~FocusTracker();
  FocusTracker(const FocusTracker &) = delete;
  FocusTracker &operator=(const FocusTracker &) = delete;

  void GotFocus(WindowView &view);
  void LostFocus(WindowView &view);
  // The view is hidden or gone: no focus is expected for it any more.
  void Forget(WindowView &view);
  void HotKeyPressed(uint32_t time);
  // The core asked for its active window to come to the front with the keyboard focus.
  void BringToFront();
  // After each core call: the core's active window, when it changed, gets the focus.
  void Sync();
  // The time of the user's latest action, for a window shown in answer to it.
  uint32_t UserTime() const;

 private:
  static gboolean CheckDeactivation(gpointer self);
  bool AwaitingFocus() const;

  CoreGate &gate_;
  WindowViews &views_;
  std::weak_ptr<Window> synced_;       // the core's active window as the last Sync saw it
  WindowView *awaiting_ = nullptr;     // presented, its focus-in not yet seen
  int64_t awaitingUntil_ = 0;
  bool frontRequested_ = false;
  uint32_t hotKeyTime_ = 0;
  guint checkSource_ = 0;
};

}  // namespace rt::gtk
