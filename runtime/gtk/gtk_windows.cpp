#include "runtime/core/window_list.h"
#include "runtime/gtk/content_box.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/focus_tracker.h"
#include "runtime/gtk/main_screen.h"
#include "runtime/gtk/window_view.h"

namespace rt::gtk {

WindowView::WindowView(std::shared_ptr<Window> window, CoreGate &gate, FocusTracker &focus)
    : window_(std::move(window)), gate_(gate), focus_(focus) {
  Window &w = *window_;
  toplevel_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow *top = Toplevel();
  gtk_window_set_type_hint(top, w.FrameKind == Window::kDocument ? GDK_WINDOW_TYPE_HINT_NORMAL
                                                                 : GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_resizable(top, w.Resizable);
  gtk_window_set_deletable(top, w.CloseButton);
  // An empty title stays empty; left unset, GTK would show the program's name.
  gtk_window_set_title(top, "");
  // Left and Top place the window's own area, not the window manager's frame around it, as a
  // window's position names its content on the Mac.
  gtk_window_set_gravity(top, GDK_GRAVITY_STATIC);

  GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(toplevel_), box);
  if (w.MenuBar && w.MenuBarVisible) {
    menus_ = std::make_unique<MenuBarView>(w.MenuBar, gate_);
    gtk_box_pack_start(GTK_BOX(box), menus_->Widget(), FALSE, FALSE, 0);
  }
  BuildContent(box);
  gtk_widget_show_all(box);
  ApplyControlVisibility();
  Update();

  g_signal_connect(toplevel_, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(toplevel_, "delete-event", G_CALLBACK(OnDelete), this);
  // After GTK's own handlers, so the window's focus state is current when the tracker looks.
  g_signal_connect_after(toplevel_, "focus-in-event", G_CALLBACK(OnFocusIn), this);
  g_signal_connect_after(toplevel_, "focus-out-event", G_CALLBACK(OnFocusOut), this);
  g_signal_connect(toplevel_, "set-focus", G_CALLBACK(OnSetFocus), this);
  g_signal_connect(toplevel_, "realize", G_CALLBACK(OnRealize), this);
  g_signal_connect(toplevel_, "configure-event", G_CALLBACK(OnConfigure), this);
}

WindowView::~WindowView() {
  Close();
  gtk_widget_destroy(toplevel_);
}

void WindowView::BuildContent(GtkWidget *box) {
  content_ = NewContentBox();
  gtk_box_pack_start(GTK_BOX(box), content_, TRUE, TRUE, 0);
  for (const auto &control : window_->Controls()) {
    std::unique_ptr<ControlView> view = ControlView::Create(*control, gate_);
    if (!view) continue;
    gtk_widget_set_size_request(view->Widget(), control->Width, control->Height);
    gtk_fixed_put(GTK_FIXED(content_), view->Widget(), control->Left, control->Top);
    view->Update();
    controls_.push_back(std::move(view));
  }
}

void WindowView::Close() {
  if (closed_) return;
  closed_ = true;
  shown_ = false;
  focus_.Forget(*this);
  g_signal_handlers_disconnect_by_data(toplevel_, this);
  gtk_widget_hide(toplevel_);
}

void WindowView::Update() {
  if (closed_) return;
  Window &w = *window_;
  if (std::string title = DisplayText(w.Title); title_ != title) {
    title_ = title;
    gtk_window_set_title(Toplevel(), title_.c_str());
  }
  if (placedWidth_ != w.Width() || placedHeight_ != w.Height()) {
    placedWidth_ = w.Width();
    placedHeight_ = w.Height();
    if (w.Resizable) {
      SetContentBoxSize(content_, w.MinWidth, w.MinHeight);
      int menuHeight = 0;
      if (menus_) gtk_widget_get_preferred_height(menus_->Widget(), &menuHeight, nullptr);
      gtk_window_resize(Toplevel(), placedWidth_, placedHeight_ + menuHeight);
    } else {
      SetContentBoxSize(content_, placedWidth_, placedHeight_);
    }
  }
  bool comingOnScreen = w.Visible() && !shown_;
  if (!placed_ || comingOnScreen || placedLeft_ != w.Left() || placedTop_ != w.Top()) {
    placed_ = true;
    placedLeft_ = w.Left();
    placedTop_ = w.Top();
    GdkRectangle screen = MainScreenArea();
    int x = screen.x + placedLeft_, y = screen.y + placedTop_;
    gtk_window_move(Toplevel(), x, y);
    // Some window managers leave a hidden window where its frame was, a title bar higher, while
    // GTK still counts it at the place it asked for last and would not ask again: the window
    // would creep up at each showing. So a window coming on screen is put in place directly.
    GdkWindow *own = gtk_widget_get_window(toplevel_);
    if (comingOnScreen && own) gdk_window_move(own, x, y);
  }
  if (w.Visible() && !shown_) {
    shown_ = true;
    Control *focused = w.FocusedControl();
    if (focused && w.Shows(*focused)) {
      if (ControlView *view = ViewOf(*focused)) gtk_widget_grab_focus(view->FocusWidget());
    }
    gtk_window_present_with_time(Toplevel(), focus_.UserTime());
  } else if (!w.Visible() && shown_) {
    shown_ = false;
    focus_.Forget(*this);
    gtk_widget_hide(toplevel_);
  }
}

void WindowView::UpdateControl(Control &control) {
  ControlView *view = ViewOf(control);
  if (!view) return;
  // A control that goes grey or leaves the screen (a turned page hides it) takes GTK's focus with
  // it; the core has moved the focus on to a control that can have it, which takes it here.
  Control *focused = window_->FocusedControl();
  view->Update();
  // Only the tab panel's page decides whether other controls show; a list filled row by row
  // must not walk every control at each row.
  if (control.ControlKind() == Control::Kind::kTabPanel) {
    ApplyControlVisibility();
  } else {
    view->SetShown(window_->Shows(control));
  }
  if (focused && shown_ && !closed_ && !gtk_window_get_focus(Toplevel()) && focused->Enabled() &&
      window_->Shows(*focused)) {
    if (ControlView *next = ViewOf(*focused)) gtk_widget_grab_focus(next->FocusWidget());
  }
}

void WindowView::UpdateMenus(const MenuBar &bar) {
  if (menus_ && menus_->Shows(bar)) menus_->Update();
}

void WindowView::SetModal(bool modal) {
  if (!closed_) gtk_window_set_modal(Toplevel(), modal);
}

void WindowView::Present(uint32_t time) {
  if (!closed_) gtk_window_present_with_time(Toplevel(), time);
}

// A control on a page of the window's tab panel shows only while that page is in front; its
// bounds stay in window coordinates, as the layout gives them.
void WindowView::ApplyControlVisibility() {
  for (const auto &view : controls_) view->SetShown(window_->Shows(view->Model()));
}

ControlView *WindowView::ViewOf(const Control &control) const {
  for (const auto &view : controls_) {
    if (&view->Model() == &control) return view.get();
  }
  return nullptr;
}

ControlView *WindowView::ViewOfWidget(GtkWidget *widget) const {
  for (; widget; widget = gtk_widget_get_parent(widget)) {
    for (const auto &view : controls_) {
      if (view->Widget() == widget || view->FocusWidget() == widget) return view.get();
    }
  }
  return nullptr;
}

gboolean WindowView::OnDelete(GtkWidget *, GdkEvent *, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  std::shared_ptr<Window> window = view->window_;
  view->gate_.Run([window] { WindowCloseBoxPressed(*window); });
  return TRUE;  // the core decides whether the window goes
}

// A window the user dragged keeps its new place in the core, so what opens beside it (the
// completion dialog) opens beside where it is. The window's own origin is read from the server,
// as the gravity that placed it names the window and not the frame around it.
gboolean WindowView::OnConfigure(GtkWidget *, GdkEvent *, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  GdkWindow *own = gtk_widget_get_window(view->toplevel_);
  if (view->closed_ || !view->shown_ || !own) return FALSE;
  int x = 0, y = 0;
  gdk_window_get_origin(own, &x, &y);
  GdkRectangle screen = MainScreenArea();
  int left = x - screen.x, top = y - screen.y;
  if (left == view->placedLeft_ && top == view->placedTop_) return FALSE;
  view->placedLeft_ = left;
  view->placedTop_ = top;
  view->window_->MovedFromOutside(left, top);
  return FALSE;
}

gboolean WindowView::OnFocusIn(GtkWidget *, GdkEventFocus *, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  view->focus_.GotFocus(*view);
  return FALSE;
}

gboolean WindowView::OnFocusOut(GtkWidget *, GdkEventFocus *, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  view->focus_.LostFocus(*view);
  return FALSE;
}

void WindowView::OnSetFocus(GtkWindow *, GtkWidget *widget, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  ControlView *control = widget ? view->ViewOfWidget(widget) : nullptr;
  view->window_->SetFocusedControl(control ? &control->Model() : nullptr);
}

void WindowView::OnRealize(GtkWidget *, gpointer self) {
  auto *view = static_cast<WindowView *>(self);
  const Window &w = *view->window_;
  int functions = GDK_FUNC_MOVE;
  if (w.Resizable) functions |= GDK_FUNC_RESIZE;
  if (w.MinimizeButton) functions |= GDK_FUNC_MINIMIZE;
  if (w.MaximizeButton) functions |= GDK_FUNC_MAXIMIZE;
  if (w.CloseButton) functions |= GDK_FUNC_CLOSE;
  gdk_window_set_functions(gtk_widget_get_window(view->toplevel_), static_cast<GdkWMFunction>(functions));
}

}  // namespace rt::gtk
