// The framework's window. Construction runs the class's Layout, CreateControls and
// AddMenuHandlers, then raises Open, then shows the window when its layout says it is visible.
// Activation is the core's own state (window_list.h): Show, Hide, Close and ShowModal raise
// Deactivate and Activate synchronously, in order.
#pragma once

#include <memory>
#include <vector>

#include "runtime/core/application.h"
#include "runtime/core/controls.h"
#include "runtime/core/menus.h"
#include "runtime/core/string.h"

namespace rt {

class Window : public std::enable_shared_from_this<Window> {
 public:
  enum Frame { kDocument = 0, kMovableModal = 1, kModalDialog = 2 };

  Window() = default;
  virtual ~Window() = default;
  Window(const Window &) = delete;
  Window &operator=(const Window &) = delete;

  // Builds a window of class W and keeps it among the runtime's open windows.
  template <class W, class... Args>
  static std::shared_ptr<W> Create(Args &&...args) {
    auto w = std::make_shared<W>(std::forward<Args>(args)...);
    w->Construct();
    return w;
  }

  // Layout, set by the class's Layout step. The defaults are the framework's: a window that is
  // visible when made, not resizable, with close and minimise buttons and a menu bar.
  String Title;
  int FrameKind = kDocument;
  int MinWidth = 64, MinHeight = 64, MaxWidth = 32000, MaxHeight = 32000;
  bool Resizable = false;
  bool CloseButton = true;
  bool MinimizeButton = true;
  bool MaximizeButton = false;
  bool VisibleAtCreation = true;
  bool MenuBarVisible = true;
  std::shared_ptr<rt::MenuBar> MenuBar;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int left);
  void SetTop(int top);
  void SetSize(int width, int height);
  // From the backend: the user moved the window. The position is taken as it is, not applied.
  void MovedFromOutside(int left, int top) {
    left_ = left;
    top_ = top;
  }

  bool Visible() const { return visible_; }
  bool IsOpen() const { return open_; }
  bool IsModal() const { return modal_; }
  void Show();
  void Hide();
  void Close();
  // Shows the window and runs a nested loop; returns once the window has closed.
  void ShowModal();
  void SetFocus();

  // Events.
  virtual void Event_Open() {}
  virtual void Event_Activate() {}
  virtual void Event_Deactivate() {}
  virtual bool Event_KeyDown(const String &key) { (void)key; return false; }
  virtual void Event_EnableMenuItems() {}

  // Controls, in creation order.
  template <class C>
  std::shared_ptr<C> AddControl(const String &name) {
    auto c = std::make_shared<C>();
    c->Name = name;
    c->SetOwner(this);
    controls_.push_back(c);
    return c;
  }
  const std::vector<std::shared_ptr<Control>> &Controls() const { return controls_; }
  std::shared_ptr<Control> FindControl(const String &name) const;
  Control *FocusedControl() const { return focused_; }
  void SetFocusedControl(Control *control);
  // Whether the control is on screen with the window: visible, and on the tab panel's front page
  // when it lies on a page.
  bool Shows(const Control &control) const;
  // Keys never go to a control the user cannot see or use: when the focused control leaves the
  // screen or goes grey, the focus moves to the first shown, enabled control that takes it (a tab
  // strip last), or to none.
  void KeepFocusOnUsableControl();
  PushButton *DefaultButton() const;
  PushButton *CancelButton() const;

  MenuHandlers menuHandlers;

  // Core bookkeeping the backend may read.
  bool WasActivated() const { return activated_; }

 protected:
  // The class's construction steps.
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void AddMenuHandlers() {}

 private:
  friend void SetActivated(Window &, bool);
  friend void ForgetAllWindows();
  void Construct();
  // The shown, enabled control the window gives its focus to by itself: the first in creation
  // order that takes it, a tab strip only when no other can, as typing belongs to the controls of
  // its page.
  Control *FirstFocusTaker() const;

  int left_ = 0, top_ = 0, width_ = 100, height_ = 100;
  bool visible_ = false;
  bool open_ = false;
  bool modal_ = false;
  bool activated_ = false;
  std::vector<std::shared_ptr<Control>> controls_;
  Control *focused_ = nullptr;
};

}  // namespace rt
