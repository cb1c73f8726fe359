// The GTK widget that shows one control of a window. The core's control holds the state; the view
// shows it after every change, and reports what the user does to the native widget back to the
// control, through the core gate.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "runtime/core/backend.h"
#include "runtime/core/controls.h"
#include "runtime/gtk/core_gate.h"

namespace rt::gtk {

class ControlView {
 public:
  static std::unique_ptr<ControlView> Create(Control &control, CoreGate &gate);
  virtual ~ControlView() = default;
  ControlView(const ControlView &) = delete;
  ControlView &operator=(const ControlView &) = delete;

  Control &Model() const { return control_; }
  // The widget placed in the window at the control's bounds.
  GtkWidget *Widget() const { return widget_; }
  // The widget that takes the keyboard focus; for a list, the list inside its scrolled frame.
  GtkWidget *FocusWidget() const { return focusWidget_; }

  // Brings the widget up to date with the control.
  void Update();
  void SetShown(bool shown);
  // Whether the native widget itself edits with this key (a typed character in a text field):
  // the window's KeyDown is offered the key first, then the widget edits and reports the text.
  virtual bool EditsKeyNatively(const std::string &key) const {
    (void)key;
    return false;
  }

  // Carries out a standard Edit command on the native widget's selection; false when the widget
  // edits no text.
  virtual bool Edit(EditCommand command) {
    (void)command;
    return false;
  }

 protected:
  ControlView(Control &control, CoreGate &gate, GtkWidget *widget, GtkWidget *focusWidget);
  virtual void UpdateContent() = 0;

  // A change signal comes from the user only while the widget is on screen and not being brought
  // up to date; GTK also signals changes it makes itself, as a notebook turning to its first page.
  bool IsUserChange() const { return !updating_ && gtk_widget_get_mapped(widget_); }

  Control &control_;
  CoreGate &gate_;
  // Set while the widget is brought up to date from the control, so its change signals, which
  // fire for that too, report nothing back.
  bool updating_ = false;

 private:
  GtkWidget *widget_;
  GtkWidget *focusWidget_;
};

std::unique_ptr<ControlView> MakeListboxView(Listbox &list, CoreGate &gate);
std::unique_ptr<ControlView> MakePopupMenuView(PopupMenu &popup, CoreGate &gate);
std::unique_ptr<ControlView> MakeTabPanelView(TabPanel &panel, CoreGate &gate);

}  // namespace rt::gtk
