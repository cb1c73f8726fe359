// Lists, popup menus and tab panels: controls with rows or pages and a selection, which the core
// holds and the widget follows.
#include "runtime/gtk/control_view.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/list_model.h"
#include "runtime/gtk/widget_style.h"

namespace rt::gtk {
namespace {

// A one-column list without heading in a scrolled frame, the vertical bar only when needed. The
// widget reads the core's rows through a model; rows have one fixed height, so a long list is
// neither copied nor measured row by row.
class ListboxView : public ControlView {
 public:
  ListboxView(Listbox &list, CoreGate &gate, GtkWidget *scrolled, GtkWidget *tree, GtkTreeModel *model)
      : ControlView(list, gate, scrolled, tree), list_(list), tree_(GTK_TREE_VIEW(g_object_ref(tree))), model_(model) {
    GtkTreeSelection *selection = gtk_tree_view_get_selection(tree_);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    gtk_tree_selection_set_select_function(selection, MaySelect, this, nullptr);
    g_signal_connect(selection, "changed", G_CALLBACK(OnSelectionChanged), this);
    g_signal_connect(tree, "row-activated", G_CALLBACK(OnRowActivated), this);
    g_signal_connect(tree, "grab-focus", G_CALLBACK(OnFocusArriving), this);
    g_signal_connect_after(tree, "grab-focus", G_CALLBACK(OnFocusArrived), this);
  }
  ~ListboxView() override {
    if (pendingSync_) g_source_remove(pendingSync_);
    // A destroyed tree has let its selection go, and the selection's handlers with it.
    if (GtkTreeSelection *selection = gtk_tree_view_get_selection(tree_)) {
      g_signal_handlers_disconnect_by_data(selection, this);
      gtk_tree_selection_set_select_function(selection, nullptr, nullptr, nullptr);
    }
    g_signal_handlers_disconnect_by_data(tree_, this);
    // The model reads the core's list, which may go before the widget does.
    gtk_tree_view_set_model(tree_, nullptr);
    g_object_unref(model_);
    g_object_unref(tree_);
  }

 private:
  // A list is filled a row at a time: the widget follows once the core's call is over, ahead of
  // any input GTK has waiting.
  void UpdateContent() override {
    if (!pendingSync_) pendingSync_ = g_idle_add_full(G_PRIORITY_HIGH, Sync, this, nullptr);
  }

  static gboolean Sync(gpointer self) {
    auto *view = static_cast<ListboxView *>(self);
    view->pendingSync_ = 0;
    view->updating_ = true;
    view->SyncRows();
    view->updating_ = false;
    return G_SOURCE_REMOVE;
  }

  void SyncRows() {
    int count = list_.ListCount();
    if (count != ListModelRows(model_)) {
      ShowRowCount(count);
    } else {
      gtk_widget_queue_draw(GTK_WIDGET(tree_));  // texts are read as rows are drawn
    }

    GtkTreeSelection *selection = gtk_tree_view_get_selection(tree_);
    if (list_.ListIndex() < 0) {
      gtk_tree_selection_unselect_all(selection);
      return;
    }
    GtkTreePath *path = gtk_tree_path_new_from_indices(list_.ListIndex(), -1);
    gtk_tree_selection_select_path(selection, path);
    gtk_tree_view_set_cursor(tree_, path, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(tree_, path, nullptr, FALSE, 0, 0);
    gtk_tree_path_free(path);
  }

  // The widget takes a new row count by taking the model anew, in one step however many rows
  // came or went; the row at the top stays at the top.
  void ShowRowCount(int count) {
    GtkTreePath *top = nullptr;
    if (gtk_widget_get_realized(GTK_WIDGET(tree_))) gtk_tree_view_get_visible_range(tree_, &top, nullptr);
    gtk_tree_view_set_model(tree_, nullptr);
    SetListModelRows(model_, count);
    gtk_tree_view_set_model(tree_, model_);
    if (!top) return;
    if (gtk_tree_path_get_indices(top)[0] < count) gtk_tree_view_scroll_to_cell(tree_, top, nullptr, TRUE, 0, 0);
    gtk_tree_path_free(top);
  }

  static void OnSelectionChanged(GtkTreeSelection *selection, gpointer self) {
    auto *view = static_cast<ListboxView *>(self);
    if (!view->IsUserChange()) return;
    int row = -1;
    GtkTreeModel *model = nullptr;
    GtkTreeIter it;
    if (gtk_tree_selection_get_selected(selection, &model, &it)) {
      GtkTreePath *path = gtk_tree_model_get_path(model, &it);
      row = gtk_tree_path_get_indices(path)[0];
      gtk_tree_path_free(path);
    }
    Listbox *list = &view->list_;
    view->gate_.Run([list, row] { list->SetListIndex(row); });
  }

  // A tree taking the focus without a cursor row puts the cursor on its first row and selects
  // that row. Focus passing by selects nothing here: the cursor rests on the row, and a click,
  // an arrow key or Space selects.
  static void OnFocusArriving(GtkWidget *, gpointer self) { static_cast<ListboxView *>(self)->focusArriving_ = true; }
  static void OnFocusArrived(GtkWidget *, gpointer self) { static_cast<ListboxView *>(self)->focusArriving_ = false; }
  static gboolean MaySelect(GtkTreeSelection *, GtkTreeModel *, GtkTreePath *, gboolean selected, gpointer self) {
    return selected || !static_cast<ListboxView *>(self)->focusArriving_;
  }

  // GTK also activates a row with Return or Space; only the mouse's activation, a double click,
  // is the list's DoubleClick.
  static void OnRowActivated(GtkTreeView *, GtkTreePath *, GtkTreeViewColumn *, gpointer self) {
    GdkEvent *event = gtk_get_current_event();
    bool doubleClick = event && (event->type == GDK_BUTTON_PRESS || event->type == GDK_2BUTTON_PRESS);
    if (event) gdk_event_free(event);
    if (!doubleClick) return;
    auto *view = static_cast<ListboxView *>(self);
    Listbox *list = &view->list_;
    view->gate_.Run([list] {
      if (list->DoubleClick) list->DoubleClick();
    });
  }

  Listbox &list_;
  GtkTreeView *tree_;  // held, as the window's widgets may be destroyed before this view
  GtkTreeModel *model_;
  guint pendingSync_ = 0;
  bool focusArriving_ = false;
};

class PopupMenuView : public ControlView {
 public:
  PopupMenuView(PopupMenu &popup, CoreGate &gate, GtkWidget *combo)
      : ControlView(popup, gate, combo, combo), popup_(popup), combo_(GTK_COMBO_BOX_TEXT(combo)) {
    g_signal_connect(combo, "changed", G_CALLBACK(OnChanged), this);
  }

 private:
  void UpdateContent() override {
    if (rows_ != Rows()) {
      rows_ = Rows();
      gtk_combo_box_text_remove_all(combo_);
      for (const std::string &row : rows_) gtk_combo_box_text_append_text(combo_, row.c_str());
    }
    if (gtk_combo_box_get_active(GTK_COMBO_BOX(combo_)) != popup_.ListIndex()) {
      gtk_combo_box_set_active(GTK_COMBO_BOX(combo_), popup_.ListIndex());
    }
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < popup_.ListCount(); ++i) rows.push_back(DisplayText(popup_.List(i)));
    return rows;
  }

  static void OnChanged(GtkComboBox *combo, gpointer self) {
    auto *view = static_cast<PopupMenuView *>(self);
    if (!view->IsUserChange()) return;
    PopupMenu *popup = &view->popup_;
    int row = gtk_combo_box_get_active(combo);
    view->gate_.Run([popup, row] { popup->SetListIndex(row); });
  }

  PopupMenu &popup_;
  GtkComboBoxText *combo_;
  std::vector<std::string> rows_;
};

// The notebook shows the tabs only: the controls of each page sit in the window itself, at their
// window coordinates, and the window shows those of the page in front.
class TabPanelView : public ControlView {
 public:
  TabPanelView(TabPanel &panel, CoreGate &gate, GtkWidget *notebook)
      : ControlView(panel, gate, notebook, notebook), panel_(panel), notebook_(GTK_NOTEBOOK(notebook)) {
    for (const String &tab : panel.Tabs) {
      GtkWidget *page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
      gtk_widget_show(page);  // a notebook will not turn to a hidden page
      gtk_notebook_append_page(notebook_, page, gtk_label_new(DisplayText(tab).c_str()));
    }
    g_signal_connect(notebook, "switch-page", G_CALLBACK(OnSwitchPage), this);
  }

 private:
  void UpdateContent() override {
    if (gtk_notebook_get_current_page(notebook_) != panel_.Value()) {
      gtk_notebook_set_current_page(notebook_, panel_.Value());
    }
  }

  static void OnSwitchPage(GtkNotebook *, GtkWidget *, guint page, gpointer self) {
    auto *view = static_cast<TabPanelView *>(self);
    if (!view->IsUserChange()) return;
    TabPanel *panel = &view->panel_;
    int value = static_cast<int>(page);
    view->gate_.Run([panel, value] { panel->SetValue(value); });
  }

  TabPanel &panel_;
  GtkNotebook *notebook_;
};

}  // namespace

std::unique_ptr<ControlView> MakeListboxView(Listbox &list, CoreGate &gate) {
  GtkTreeModel *model = NewListModel(list);
  GtkWidget *tree = gtk_tree_view_new_with_model(model);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(tree), FALSE);
  gtk_tree_view_set_enable_search(GTK_TREE_VIEW(tree), FALSE);  // typing belongs to the window
  GtkTreeViewColumn *column =
      gtk_tree_view_column_new_with_attributes("", gtk_cell_renderer_text_new(), "text", 0, nullptr);
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_expand(column, TRUE);
  gtk_tree_view_append_column(GTK_TREE_VIEW(tree), column);
  gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(tree), TRUE);
  GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scrolled), tree);
  return std::make_unique<ListboxView>(list, gate, scrolled, tree, model);
}

std::unique_ptr<ControlView> MakePopupMenuView(PopupMenu &popup, CoreGate &gate) {
  GtkWidget *combo = gtk_combo_box_text_new();
  FitPopupRowsToBox(combo);
  return std::make_unique<PopupMenuView>(popup, gate, combo);
}

std::unique_ptr<ControlView> MakeTabPanelView(TabPanel &panel, CoreGate &gate) {
  return std::make_unique<TabPanelView>(panel, gate, gtk_notebook_new());
}

}  // namespace rt::gtk
