#include "runtime/core/dispatch.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/menu_bar_view.h"

namespace rt::gtk {

std::string MnemonicLabel(const std::string &text) {
  std::string label;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '&' && i + 1 < text.size() && text[i + 1] == '&') {
      label += '&';
      ++i;
    } else if (c == '&') {
      label += '_';
    } else if (c == '_') {
      label += "__";
    } else {
      label += c;
    }
  }
  return label;
}

namespace {

// "Cmd+W" as the Ctrl shortcut GTK shows beside the item; nothing for other notations.
void ShowShortcut(GtkWidget *item, const std::string &shortcut) {
  const std::string prefix = "Cmd+";
  if (shortcut.size() <= prefix.size() || shortcut.compare(0, prefix.size(), prefix) != 0) return;
  std::string key = shortcut.substr(prefix.size());
  guint keyval = key.size() == 1 ? gdk_unicode_to_keyval(static_cast<unsigned char>(key[0]))
                                 : gdk_keyval_from_name(key.c_str());
  if (keyval == 0 || keyval == GDK_KEY_VoidSymbol) return;
  GtkWidget *label = gtk_bin_get_child(GTK_BIN(item));
  if (GTK_IS_ACCEL_LABEL(label)) {
    gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), gdk_keyval_to_lower(keyval), GDK_CONTROL_MASK);
  }
}

}  // namespace

MenuBarView::MenuBarView(std::shared_ptr<MenuBar> bar, CoreGate &gate)
    : bar_(std::move(bar)), gate_(gate), widget_(gtk_menu_bar_new()) {
  AddItems(widget_, *bar_);
  Update();
}

void MenuBarView::AddItems(GtkWidget *shell, const MenuItem &menu) {
  for (int i = 0; i < menu.Count(); ++i) {
    std::shared_ptr<MenuItem> item = menu.Item(i);
    if (item->IsSeparator()) {
      gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
      continue;
    }
    GtkWidget *widget = gtk_menu_item_new_with_mnemonic(MnemonicLabel(DisplayText(item->Text)).c_str());
    gtk_menu_shell_append(GTK_MENU_SHELL(shell), widget);
    items_.emplace_back(widget, item);
    if (item->Count() > 0) {
      GtkWidget *submenu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(widget), submenu);
      // The items' enabled state is settled by the core just before the menu comes up.
      g_signal_connect(submenu, "show", G_CALLBACK(OnMenuShown), this);
      AddItems(submenu, *item);
    } else {
      ShowShortcut(widget, item->KeyboardShortcut.ToStd());
      g_signal_connect(widget, "activate", G_CALLBACK(OnItemActivated), this);
    }
  }
}

void MenuBarView::Update() {
  for (const auto &[widget, item] : items_) gtk_widget_set_sensitive(widget, item->Enabled);
}

void MenuBarView::OnMenuShown(GtkWidget *, gpointer self) {
  // The core answers with MenusChanged, which brings every view of the bar up to date. When a
  // handler is running already, the state of its last update stands.
  static_cast<MenuBarView *>(self)->gate_.RunNow([] { UpdateMenus(); });
}

void MenuBarView::OnItemActivated(GtkMenuItem *widget, gpointer self) {
  auto *view = static_cast<MenuBarView *>(self);
  for (const auto &[w, item] : view->items_) {
    if (w != GTK_WIDGET(widget)) continue;
    String name = item->Name;
    view->gate_.Run([name] { ChooseMenuItem(name); });
    return;
  }
}

}  // namespace rt::gtk
