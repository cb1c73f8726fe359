#include "runtime/gtk/gtk_backend.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <keybinder.h>

#include <map>

#include "runtime/core/runtime.h"
#include "runtime/core/window_list.h"
#include "runtime/gtk/core_gate.h"
#include "runtime/gtk/focus_tracker.h"
#include "runtime/gtk/gtk_dialogs.h"
#include "runtime/gtk/hot_keys.h"
#include "runtime/gtk/main_screen.h"
#include "runtime/gtk/url_opener.h"
#include "runtime/gtk/widget_style.h"
#include "runtime/gtk/window_views.h"

namespace rt {

// Built in this order and destroyed in reverse: windows and hot keys tell the focus tracker and
// the gate of their end, so those two outlive them.
struct GtkBackend::Parts {
  Parts()
      : gate([this] { AfterCoreCall(); }), focus(gate, windows), windows(gate, focus), hotKeys(gate, focus) {}
  ~Parts() {
    if (drainSource) g_source_remove(drainSource);
    for (const auto &[fd, watch] : watches) {
      if (watch->source) g_source_remove(watch->source);
    }
    if (clock) gdk_window_destroy(clock);
  }
  Parts(const Parts &) = delete;
  Parts &operator=(const Parts &) = delete;

  // The core's queued events run from an idle source, all that are queued at each wake-up.
  void ScheduleDrain() {
    if (!drainSource) drainSource = g_idle_add_full(G_PRIORITY_DEFAULT, Drain, this, nullptr);
  }

  static gboolean Drain(gpointer self) {
    auto *parts = static_cast<Parts *>(self);
    parts->drainSource = 0;
    parts->gate.RunQueued();
    return G_SOURCE_REMOVE;
  }

  // Events queued while a call ran (a hot key pressed in a message box's loop) run after it.
  void AfterCoreCall() {
    focus.Sync();
    if (HasPendingEvents()) ScheduleDrain();
  }

  // A message box is parented to the core's active window, and that window has the focus again
  // once the box is gone.
  GtkWindow *DialogParent() {
    Window *active = ActiveWindow();
    gtk::WindowView *view = active ? windows.Find(*active) : nullptr;
    return view && view->Shown() ? view->Toplevel() : nullptr;
  }

  struct Watch {
    Parts *parts;
    int fd;
    std::function<void()> readable;
    guint source = 0;
  };

  void Arm(Watch &watch) {
    if (!watch.source) watch.source = g_unix_fd_add(watch.fd, G_IO_IN, OnReadable, &watch);
  }

  // The source goes until the handler has run: a descriptor that stays readable while a message
  // box's loop holds the handler back would wake that loop over and over.
  static gboolean OnReadable(gint, GIOCondition, gpointer data) {
    auto *watch = static_cast<Watch *>(data);
    watch->source = 0;
    Parts *parts = watch->parts;
    const int fd = watch->fd;
    // What the descriptor brings is the user's doing elsewhere (a start from a terminal or a
    // launcher): a window it brings up takes the focus as one the hot key brings up does.
    if (uint32_t now = parts->ServerTime()) parts->focus.HotKeyPressed(now);
    parts->gate.Run([parts, fd] {
      struct Rearm {
        Parts *parts;
        int fd;
        ~Rearm() {
          auto it = parts->watches.find(fd);
          if (it != parts->watches.end()) parts->Arm(*it->second);
        }
      } rearm{parts, fd};
      auto it = parts->watches.find(fd);
      if (it == parts->watches.end()) return;
      std::function<void()> readable = it->second->readable;
      readable();
    });
    return G_SOURCE_REMOVE;
  }

  // The X server's time now, read through a window of our own that is never shown and hears its
  // own property changes (the read waits for one).
  uint32_t ServerTime() {
    if (!clock) {
      GdkWindowAttr attributes{};
      attributes.event_mask = GDK_PROPERTY_CHANGE_MASK;
      attributes.width = attributes.height = 1;
      attributes.wclass = GDK_INPUT_ONLY;
      attributes.window_type = GDK_WINDOW_TEMP;
      clock = gdk_window_new(nullptr, &attributes, 0);
    }
    return GDK_IS_X11_WINDOW(clock) ? gdk_x11_get_server_time(clock) : 0;
  }

  gtk::CoreGate gate;
  gtk::FocusTracker focus;
  gtk::WindowViews windows;
  gtk::HotKeys hotKeys;
  guint drainSource = 0;
  std::map<int, std::unique_ptr<Watch>> watches;
  GdkWindow *clock = nullptr;
};

std::unique_ptr<GtkBackend> GtkBackend::Open(int *argc, char ***argv) {
  gdk_set_allowed_backends("x11");  // keybinder grabs its keys on X11
  if (!gtk_init_check(argc, argv)) return nullptr;
  keybinder_init();
  gtk::InstallWidgetStyle();
  return std::unique_ptr<GtkBackend>(new GtkBackend());
}

GtkBackend::GtkBackend() : parts_(std::make_unique<Parts>()) {}

GtkBackend::~GtkBackend() = default;

void GtkBackend::RunLoop(const std::function<bool()> &finished) {
  while (!finished()) g_main_context_iteration(nullptr, TRUE);
}

void GtkBackend::Wake() { parts_->ScheduleDrain(); }

// Lets the X server see what a long handler changed so far; dispatches nothing.
void GtkBackend::Breathe() { gdk_display_flush(gdk_display_get_default()); }

void GtkBackend::RunModal(Window &window) {
  std::shared_ptr<Window> keep = window.shared_from_this();
  if (gtk::WindowView *view = parts_->windows.Find(window)) view->SetModal(true);
  gtk::CoreGate::ModalLoop loop(parts_->gate);
  while (window.IsOpen() && !QuitRequested()) g_main_context_iteration(nullptr, TRUE);
}

void GtkBackend::ShowMessage(const String &text) {
  gtk::RunMessageBox(parts_->DialogParent(), text);
  parts_->focus.BringToFront();
}

int GtkBackend::ShowMessageDialog(const MessageDialog &dialog) {
  int answer = gtk::RunMessageDialog(parts_->DialogParent(), dialog);
  parts_->focus.BringToFront();
  return answer;
}

void GtkBackend::OpenURL(const String &url) { gtk::OpenWithDesktop(url.ToStd()); }

std::optional<String> GtkBackend::ClipboardText() {
  gchar *text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
  if (!text) return std::nullopt;
  String result(text);
  g_free(text);
  return result;
}

void GtkBackend::SetClipboardText(const String &text) {
  std::string bytes = text.ToStd();
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), bytes.data(),
                         static_cast<gint>(bytes.size()));
}

ScreenSize GtkBackend::MainScreen() {
  GdkRectangle area = gtk::MainScreenArea();
  return ScreenSize{area.width, area.height};
}

void GtkBackend::WindowOpened(Window &window) { parts_->windows.Open(window); }

void GtkBackend::WindowChanged(Window &window) {
  if (gtk::WindowView *view = parts_->windows.Find(window)) view->Update();
}

void GtkBackend::WindowClosed(Window &window) { parts_->windows.Close(window); }

void GtkBackend::WindowFocused(Window &window) {
  gtk::WindowView *view = parts_->windows.Find(window);
  if (!view) return;
  gtk_window_set_focus(view->Toplevel(), nullptr);  // the window itself, no control
  parts_->focus.BringToFront();
}

void GtkBackend::WindowToFront(Window &window) {
  if (gtk::WindowView *view = parts_->windows.Find(window)) view->Present(parts_->focus.UserTime());
}

void GtkBackend::ControlChanged(Control &control) {
  if (!control.Owner()) return;
  if (gtk::WindowView *view = parts_->windows.Find(*control.Owner())) view->UpdateControl(control);
}

void GtkBackend::MenusChanged(MenuBar &bar) {
  for (const auto &view : parts_->windows.All()) view->UpdateMenus(bar);
}

void GtkBackend::ApplicationToFront() { parts_->focus.BringToFront(); }

bool GtkBackend::EditNatively(Control &field, EditCommand command) {
  gtk::WindowView *window = field.Owner() ? parts_->windows.Find(*field.Owner()) : nullptr;
  gtk::ControlView *view = window ? window->ViewOf(field) : nullptr;
  return view && view->Edit(command);
}

int GtkBackend::RegisterHotKey(uint32_t macKeyCode, uint32_t macModifierMask, std::function<void()> pressed) {
  return parts_->hotKeys.Register(macKeyCode, macModifierMask, std::move(pressed));
}

void GtkBackend::UnregisterHotKey(int handle) { parts_->hotKeys.Unregister(handle); }

void GtkBackend::WatchReadable(int fd, std::function<void()> readable) {
  StopWatching(fd);
  auto watch = std::make_unique<Parts::Watch>(Parts::Watch{parts_.get(), fd, std::move(readable)});
  parts_->Arm(*watch);
  parts_->watches[fd] = std::move(watch);
}

void GtkBackend::StopWatching(int fd) {
  auto it = parts_->watches.find(fd);
  if (it == parts_->watches.end()) return;
  if (it->second->source) g_source_remove(it->second->source);
  parts_->watches.erase(it);
}

}  // namespace rt
