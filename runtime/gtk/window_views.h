// The views of the core's open windows.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <vector>

#include "runtime/core/window.h"
#include "runtime/gtk/window_view.h"

namespace rt::gtk {

class WindowViews {
 public:
  WindowViews(CoreGate &gate, FocusTracker &focus) : gate_(gate), focus_(focus) {}
  ~WindowViews();
  WindowViews(const WindowViews &) = delete;
  WindowViews &operator=(const WindowViews &) = delete;

  WindowView &Open(Window &window);
  WindowView *Find(const Window &window) const;
  // The window is hidden at once; its view and toplevel are freed once the events waiting now are
  // handled, since the signal handler that closed the window may still be running on them.
  void Close(Window &window);
  const std::vector<std::unique_ptr<WindowView>> &All() const { return open_; }

 private:
  static gboolean FreeClosed(gpointer self);
  static gboolean Trim(gpointer self);
  static constexpr guint kTrimDelayMs = 250;

  CoreGate &gate_;
  FocusTracker &focus_;
  std::vector<std::unique_ptr<WindowView>> open_;
  std::vector<std::unique_ptr<WindowView>> closed_;
  guint freeSource_ = 0;
  guint trimSource_ = 0;
};

}  // namespace rt::gtk
