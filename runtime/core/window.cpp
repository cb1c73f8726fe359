#include "runtime/core/window.h"

#include <algorithm>

#include "runtime/core/runtime.h"
#include "runtime/core/window_list.h"

namespace rt {

void Window::Construct() {
  Layout();
  CreateControls();
  AddMenuHandlers();
  ScreenSize screen = CurrentBackend().MainScreen();
  // Placement 0: the framework centres a new window on the main screen. On a screen smaller than
  // the window its top left corner stays on screen, where the title and the first controls are.
  left_ = std::max(0, (screen.width - width_) / 2);
  top_ = std::max(0, (screen.height - height_) / 2);
  open_ = true;
  focused_ = FirstFocusTaker();
  AddOpenWindow(shared_from_this());
  CurrentBackend().WindowOpened(*this);
  for (const auto &c : std::vector<std::shared_ptr<Control>>(controls_)) {
    if (c->Open) c->Open();
  }
  // A window that is visible by layout is on screen when Open runs, so Open may hide it; it is
  // shown and activated only when Open left it visible.
  visible_ = VisibleAtCreation;
  Event_Open();
  if (open_ && visible_) {
    visible_ = false;
    Show();
  }
}

void Window::SetLeft(int left) {
  left_ = left;
  if (open_) CurrentBackend().WindowChanged(*this);
}

void Window::SetTop(int top) {
  top_ = top;
  if (open_) CurrentBackend().WindowChanged(*this);
}

void Window::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  if (open_) CurrentBackend().WindowChanged(*this);
}

void Window::Show() {
  if (!open_) return;
  auto keep = shared_from_this();
  if (!visible_) {
    visible_ = true;
    BringToFront(*this);
    CurrentBackend().WindowChanged(*this);
  } else {
    BringToFront(*this);
    CurrentBackend().WindowToFront(*this);
  }
  Activate(*this);
}

void Window::Hide() {
  if (!visible_) return;
  auto keep = shared_from_this();
  visible_ = false;
  if (open_) CurrentBackend().WindowChanged(*this);
  if (activated_) Deactivate(*this);
}

void Window::Close() {
  if (!open_) return;
  auto keep = shared_from_this();
  visible_ = false;
  open_ = false;
  if (activated_) Deactivate(*this);
  RemoveOpenWindow(*this);
  CurrentBackend().WindowClosed(*this);
}

void Window::ShowModal() {
  if (!open_) return;
  auto keep = shared_from_this();
  modal_ = true;
  Show();
  if (open_) CurrentBackend().RunModal(*this);
  modal_ = false;
}

void Window::SetFocus() {
  focused_ = nullptr;
  if (open_) CurrentBackend().WindowFocused(*this);
}

std::shared_ptr<Control> Window::FindControl(const String &name) const {
  for (const auto &c : controls_) {
    if (c->Name == name) return c;
  }
  return nullptr;
}

void Window::SetFocusedControl(Control *control) { focused_ = control; }

bool Window::Shows(const Control &control) const {
  if (!control.Visible()) return false;
  if (control.PanelIndex == 0) return true;
  for (const auto &c : controls_) {
    if (c->ControlKind() != Control::Kind::kTabPanel) continue;
    const auto &panel = static_cast<const TabPanel &>(*c);
    return panel.Visible() && panel.Value() == control.PanelIndex - 1;
  }
  return true;
}

void Window::KeepFocusOnUsableControl() {
  if (!focused_ || (Shows(*focused_) && focused_->Enabled())) return;
  focused_ = FirstFocusTaker();
}

Control *Window::FirstFocusTaker() const {
  Control *strip = nullptr;
  for (const auto &c : controls_) {
    if (!c->TakesFocus() || !c->Enabled() || !Shows(*c)) continue;
    if (c->ControlKind() != Control::Kind::kTabPanel) return c.get();
    if (!strip) strip = c.get();
  }
  return strip;
}

// The first push button, in creation order, with that flag set.
static PushButton *FirstButton(const std::vector<std::shared_ptr<Control>> &controls,
                               bool PushButton::*flag) {
  for (const auto &c : controls) {
    if (c->ControlKind() != Control::Kind::kPushButton) continue;
    auto *b = static_cast<PushButton *>(c.get());
    if (b->*flag) return b;
  }
  return nullptr;
}

PushButton *Window::DefaultButton() const { return FirstButton(controls_, &PushButton::Default); }

PushButton *Window::CancelButton() const { return FirstButton(controls_, &PushButton::Cancel); }

}  // namespace rt
