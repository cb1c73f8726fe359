// A window's menu bar: GTK menus built from the core's menu tree. "&" marks become mnemonics and
// "Cmd+" shortcuts show as Ctrl shortcuts; the keys themselves reach the core through the
// window's key handler, so no GTK accelerator is installed.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/core/menus.h"
#include "runtime/gtk/core_gate.h"

namespace rt::gtk {

class MenuBarView {
 public:
  MenuBarView(std::shared_ptr<MenuBar> bar, CoreGate &gate);
  MenuBarView(const MenuBarView &) = delete;
  MenuBarView &operator=(const MenuBarView &) = delete;

  GtkWidget *Widget() const { return widget_; }
  bool Shows(const MenuBar &bar) const { return bar_.get() == &bar; }
  // Takes each item's enabled state from the core.
  void Update();

 private:
  void AddItems(GtkWidget *shell, const MenuItem &menu);
  static void OnMenuShown(GtkWidget *menu, gpointer self);
  static void OnItemActivated(GtkMenuItem *item, gpointer self);

  std::shared_ptr<MenuBar> bar_;
  CoreGate &gate_;
  GtkWidget *widget_;
  std::vector<std::pair<GtkWidget *, std::shared_ptr<MenuItem>>> items_;
};

// "&File" as the GTK mnemonic label "_File"; "&&" is a plain "&".
std::string MnemonicLabel(const std::string &text);

}  // namespace rt::gtk
