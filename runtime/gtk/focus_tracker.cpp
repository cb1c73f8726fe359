#include "runtime/gtk/focus_tracker.h"

#include <gdk/gdkx.h>

#include "runtime/core/window_list.h"
#include "runtime/gtk/window_views.h"

namespace rt::gtk {
namespace {

// A window manager may take a while to hand over the focus, or refuse it.
constexpr int64_t kFocusWaitMicroseconds = 1000 * 1000;

// X11 times are milliseconds that wrap around.
uint32_t Later(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0 ? a : b; }

// Asks the X server rather than GTK: a key grab anywhere, our own hot key's among them, makes GTK
// report the focus as gone for as long as the key is down, though no window lost it.
bool FocusInOurWindow(GdkDisplay *display) {
  Display *xdisplay = gdk_x11_display_get_xdisplay(display);
  ::Window focus = 0;
  int revertTo = 0;
  XGetInputFocus(xdisplay, &focus, &revertTo);
  if (focus == PointerRoot) return false;
  // The focus may sit in a child of a toplevel; every window of ours is known to GDK.
  ::Window root = DefaultRootWindow(xdisplay);
  while (focus != None && focus != root) {
    if (gdk_x11_window_lookup_for_display(display, focus)) return true;
    ::Window rootOfTree = 0, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(xdisplay, focus, &rootOfTree, &parent, &children, &count)) return false;
    if (children) XFree(children);
    focus = parent;
  }
  return false;
}

bool FocusInOurApplication() {
  GdkDisplay *display = gdk_display_get_default();
  if (!GDK_IS_X11_DISPLAY(display)) return false;
  // Another client's window may go away while its tree is read.
  gdk_x11_display_error_trap_push(display);
  bool ours = FocusInOurWindow(display);
  gdk_x11_display_error_trap_pop_ignored(display);
  return ours;
}

}  // namespace

FocusTracker::~FocusTracker() {
  if (checkSource_) g_source_remove(checkSource_);
}

void FocusTracker::GotFocus(WindowView &view) {
  if (awaiting_ == &view) awaiting_ = nullptr;
  if (checkSource_) {
    g_source_remove(checkSource_);
    checkSource_ = 0;
  }
  // While a window we presented is still to get the focus, this one only passes it on.
  if (AwaitingFocus()) return;
  Window &window = view.Model();
  if (ActiveWindow() == &window || !window.Visible()) return;
  std::shared_ptr<Window> keep = window.shared_from_this();
  gate_.Run([keep] { WindowActivatedFromOutside(*keep); });
}

void FocusTracker::LostFocus(WindowView &) {
  // When the focus only moves to another of our windows, its focus-in comes in the same batch of
  // events, before the loop is idle.
  if (!checkSource_) checkSource_ = g_idle_add(CheckDeactivation, this);
}

gboolean FocusTracker::CheckDeactivation(gpointer self) {
  auto *tracker = static_cast<FocusTracker *>(self);
  tracker->checkSource_ = 0;
  // A message box of ours counts: the application is still in front.
  if (FocusInOurApplication() || tracker->AwaitingFocus() || !ActiveWindow()) return G_SOURCE_REMOVE;
  tracker->gate_.Run([] { ApplicationDeactivated(); });
  return G_SOURCE_REMOVE;
}

bool FocusTracker::AwaitingFocus() const {
  return awaiting_ && g_get_monotonic_time() < awaitingUntil_;
}

void FocusTracker::Forget(WindowView &view) {
  if (awaiting_ == &view) awaiting_ = nullptr;
}

void FocusTracker::HotKeyPressed(uint32_t time) { hotKeyTime_ = time; }

void FocusTracker::BringToFront() { frontRequested_ = true; }

void FocusTracker::Sync() {
  Window *active = ActiveWindow();
  bool changed = active != synced_.lock().get();
  synced_ = active ? active->weak_from_this() : std::weak_ptr<Window>();
  bool requested = frontRequested_;
  frontRequested_ = false;
  if (!active || !active->Visible() || (!changed && !requested)) return;
  WindowView *view = views_.Find(*active);
  if (!view || !view->Shown()) return;
  if (!requested && gtk_window_is_active(view->Toplevel())) return;
  view->Present(UserTime());
  awaiting_ = view;
  awaitingUntil_ = g_get_monotonic_time() + kFocusWaitMicroseconds;
}

uint32_t FocusTracker::UserTime() const {
  GdkDisplay *display = gdk_display_get_default();
  uint32_t user = GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_user_time(display) : 0;
  // The hot key comes through keybinder's grab, which GDK's user time does not see.
  return Later(hotKeyTime_, user);
}

}  // namespace rt::gtk
