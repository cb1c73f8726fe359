// The GTK toplevel of one open core window: a menu bar when the layout names one, and below it
// the content, where each control sits at its layout position.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/core/window.h"
#include "runtime/gtk/control_view.h"
#include "runtime/gtk/core_gate.h"
#include "runtime/gtk/menu_bar_view.h"

namespace rt::gtk {

class FocusTracker;

class WindowView {
 public:
  WindowView(std::shared_ptr<Window> window, CoreGate &gate, FocusTracker &focus);
  ~WindowView();
  WindowView(const WindowView &) = delete;
  WindowView &operator=(const WindowView &) = delete;

  Window &Model() const { return *window_; }
  GtkWindow *Toplevel() const { return GTK_WINDOW(toplevel_); }
  bool Shown() const { return shown_; }

  // Title, place, size and visibility from the core.
  void Update();
  void UpdateControl(Control &control);
  void UpdateMenus(const MenuBar &bar);
  void SetModal(bool modal);
  // Raises the window and gives it the keyboard focus, as of the user action at `time`.
  void Present(uint32_t time);
  // The window is gone for the core: its signals stop and the toplevel is hidden. The toplevel
  // itself goes with the view, once the event that closed the window is over: GTK may still be
  // delivering that event to the window's widgets.
  void Close();
  // The view of one of the window's controls; nothing when it has none.
  ControlView *ViewOf(const Control &control) const;

 private:
  void BuildContent(GtkWidget *box);
  void ApplyControlVisibility();
  ControlView *ViewOfWidget(GtkWidget *widget) const;
  bool RouteKey(const GdkEventKey &event);
  // Gives the focus to the next control in the window's keyboard order; false when none takes it.
  bool MoveFocus(bool backwards);
  // Turns the pages of the tab panel the focus is in; false when the focus is in none.
  bool TurnPanelPage(int step);

  static gboolean OnKeyPress(GtkWidget *, GdkEventKey *event, gpointer self);
  static gboolean OnDelete(GtkWidget *, GdkEvent *, gpointer self);
  static gboolean OnFocusIn(GtkWidget *, GdkEventFocus *, gpointer self);
  static gboolean OnFocusOut(GtkWidget *, GdkEventFocus *, gpointer self);
  static void OnSetFocus(GtkWindow *, GtkWidget *widget, gpointer self);
  static void OnRealize(GtkWidget *, gpointer self);
  static gboolean OnConfigure(GtkWidget *, GdkEvent *, gpointer self);

  std::shared_ptr<Window> window_;
  CoreGate &gate_;
  FocusTracker &focus_;
  GtkWidget *toplevel_ = nullptr;
  GtkWidget *content_ = nullptr;
  std::unique_ptr<MenuBarView> menus_;
  std::vector<std::unique_ptr<ControlView>> controls_;  // in the window's creation order
  std::string title_;
  int placedLeft_ = 0, placedTop_ = 0, placedWidth_ = -1, placedHeight_ = -1;
  bool placed_ = false;
  bool shown_ = false;
  bool closed_ = false;
};

}  // namespace rt::gtk
