#include "runtime/gtk/window_views.h"

#include <malloc.h>

#include <algorithm>

namespace rt::gtk {

WindowViews::~WindowViews() {
  if (freeSource_) g_source_remove(freeSource_);
  if (trimSource_) g_source_remove(trimSource_);
}

WindowView &WindowViews::Open(Window &window) {
  open_.push_back(std::make_unique<WindowView>(window.shared_from_this(), gate_, focus_));
  return *open_.back();
}

WindowView *WindowViews::Find(const Window &window) const {
  for (const auto &view : open_) {
    if (&view->Model() == &window) return view.get();
  }
  return nullptr;
}

void WindowViews::Close(Window &window) {
  auto it = std::find_if(open_.begin(), open_.end(), [&](const auto &v) { return &v->Model() == &window; });
  if (it == open_.end()) return;
  (*it)->Close();
  closed_.push_back(std::move(*it));
  open_.erase(it);
  // Ahead of GTK's layout and drawing, which on a busy screen would put it off for a long time.
  if (!freeSource_) freeSource_ = g_idle_add_full(G_PRIORITY_HIGH_IDLE, FreeClosed, this, nullptr);
}

gboolean WindowViews::FreeClosed(gpointer self) {
  auto *views = static_cast<WindowViews *>(self);
  views->freeSource_ = 0;
  views->closed_.clear();
  // A long list's rows leave the heap in small holes, which the allocator would keep. They go
  // back once windows stop coming and going: a window opened meanwhile reuses them, rather than
  // taking every page anew from the system.
  if (views->trimSource_) g_source_remove(views->trimSource_);
  views->trimSource_ = g_timeout_add(kTrimDelayMs, Trim, views);
  return G_SOURCE_REMOVE;
}

gboolean WindowViews::Trim(gpointer self) {
  static_cast<WindowViews *>(self)->trimSource_ = 0;
  malloc_trim(0);
  return G_SOURCE_REMOVE;
}

}  // namespace rt::gtk
