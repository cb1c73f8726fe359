// Keys of a window. Every key with text goes to the core before GTK sees it, so the window's
// KeyDown comes first and a window without a focusable control (the search window) gets them all.
// A native text field still edits with the keys it owns, once KeyDown has passed them on.
#include "runtime/core/dispatch.h"
#include "runtime/core/focus_order.h"
#include "runtime/core/runtime.h"
#include "runtime/gtk/key_text.h"
#include "runtime/gtk/window_view.h"

namespace rt::gtk {
namespace {

bool IsPageUp(guint keyval) { return keyval == GDK_KEY_Page_Up || keyval == GDK_KEY_KP_Page_Up; }
bool IsPageKey(guint keyval) {
  return IsPageUp(keyval) || keyval == GDK_KEY_Page_Down || keyval == GDK_KEY_KP_Page_Down;
}

}  // namespace

gboolean WindowView::OnKeyPress(GtkWidget *, GdkEventKey *event, gpointer self) {
  return static_cast<WindowView *>(self)->RouteKey(*event) ? TRUE : FALSE;
}

bool WindowView::RouteKey(const GdkEventKey &event) {
  GdkModifierType modifiers =
      static_cast<GdkModifierType>(event.state & gtk_accelerator_get_default_mod_mask());
  bool command = (modifiers & GDK_CONTROL_MASK) != 0;
  // Alt opens menus by their mnemonics, and Super keys belong to the desktop.
  if (!command && (modifiers & (GDK_MOD1_MASK | GDK_SUPER_MASK | GDK_META_MASK | GDK_HYPER_MASK))) {
    return false;
  }
  if (modifiers == GDK_CONTROL_MASK && IsPageKey(event.keyval)) {
    return TurnPanelPage(IsPageUp(event.keyval) ? -1 : 1);
  }
  std::optional<std::string> text = KeyText(event.keyval);
  if (!text) return false;  // Home, F10 and the like stay GTK's
  String key(*text);
  std::shared_ptr<Window> window = window_;  // the handler may close it

  GtkWidget *focusWidget = gtk_window_get_focus(Toplevel());
  ControlView *focused = focusWidget ? ViewOfWidget(focusWidget) : nullptr;
  if (!command && focused && focused->EditsKeyNatively(*text)) {
    bool consumed = false;
    if (!gate_.RunNow([&] { consumed = window->Event_KeyDown(key); })) {
      gate_.Run([window, key] { KeyPressed(*window, key); });
      return true;
    }
    return consumed;
  }

  bool handled = false;
  if (!gate_.RunNow([&] { handled = KeyPressed(*window, key, command); })) {
    // Another handler is running (GTK runs a nested loop inside it): the key waits its turn.
    gate_.Run([window, key, command] { KeyPressed(*window, key, command); });
    return true;
  }
  // Tab follows the layout's tab indices, not GTK's order of places on screen.
  if (!handled && *text == "\t") return MoveFocus((modifiers & GDK_SHIFT_MASK) != 0);
  return handled;  // what the core leaves, GTK may use
}

// Ctrl+Page Up and Ctrl+Page Down turn a notebook's pages from anywhere inside it. The controls
// of a page sit in the window, not in the notebook, so GTK's own binding would never see them.
bool WindowView::TurnPanelPage(int step) {
  if (closed_) return false;
  std::shared_ptr<Window> window = window_;
  auto turn = [window, step] {
    TabPanel *panel = PanelWithFocus(*window);
    if (!panel || !panel->Enabled()) return false;
    panel->TurnPage(step);
    return true;
  };
  bool turned = false;
  if (!gate_.RunNow([&] { turned = turn(); })) {
    gate_.Run([turn] { turn(); });  // after the handler that runs now, as other keys wait
    return true;
  }
  return turned;
}

bool WindowView::MoveFocus(bool backwards) {
  if (closed_) return false;
  Control *next = NextInFocusOrder(*window_, window_->FocusedControl(), backwards);
  ControlView *view = next ? ViewOf(*next) : nullptr;
  if (!view) return false;
  gtk_widget_grab_focus(view->FocusWidget());
  gtk_window_set_focus_visible(Toplevel(), TRUE);
  return true;
}

}  // namespace rt::gtk
