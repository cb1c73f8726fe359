// The desktop backend's windows with lists, on a real X server: the list widget reads the core's
// rows where they are, follows the core's selection and edits, and a closed window takes its
// widgets and the core objects they showed with it.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "runtime/core/application.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window.h"
#include "runtime/gtk/gtk_backend.h"

namespace {

class ListWindow : public rt::Window {
 public:
  std::shared_ptr<rt::Listbox> list;

 protected:
  void Layout() override {
    Title = "List window";
    FrameKind = kModalDialog;
    SetSize(180, 180);
  }
  void CreateControls() override {
    list = AddControl<rt::Listbox>("list");
    list->SetBounds(0, 0, 180, 180);
  }
};

rt::String RowText(int row) {
  char text[16];
  snprintf(text, sizeof text, "row %05d", row);
  return rt::String(text);
}

void RunPendingGtk() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

// Runs GTK until the condition holds, at most a second: what the X server answers comes later.
template <class Condition>
bool RunGtkUntil(Condition condition) {
  gint64 end = g_get_monotonic_time() + G_USEC_PER_SEC;
  while (!condition() && g_get_monotonic_time() < end) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
  }
  return condition();
}

bool ShowsRow(GtkTreeView *tree, int row) {
  GtkTreePath *first = nullptr, *last = nullptr;
  if (!gtk_tree_view_get_visible_range(tree, &first, &last)) return false;
  bool shown = gtk_tree_path_get_indices(first)[0] <= row && row <= gtk_tree_path_get_indices(last)[0];
  gtk_tree_path_free(first);
  gtk_tree_path_free(last);
  return shown;
}

GtkWidget *FindTreeView(GtkWidget *widget) {
  if (GTK_IS_TREE_VIEW(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GtkWidget *found = nullptr;
  GList *children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList *child = children; child && !found; child = child->next) {
    found = FindTreeView(GTK_WIDGET(child->data));
  }
  g_list_free(children);
  return found;
}

GtkWindow *ToplevelTitled(const char *title) {
  GtkWindow *found = nullptr;
  GList *toplevels = gtk_window_list_toplevels();
  for (GList *top = toplevels; top && !found; top = top->next) {
    const char *shown = gtk_window_get_title(GTK_WINDOW(top->data));
    if (shown && std::string(shown) == title) found = GTK_WINDOW(top->data);
  }
  g_list_free(toplevels);
  return found;
}

std::string ShownText(GtkTreeModel *model, int row) {
  GtkTreeIter it;
  if (!gtk_tree_model_iter_nth_child(model, &it, nullptr, row)) return "(no row)";
  gchar *text = nullptr;
  gtk_tree_model_get(model, &it, 0, &text, -1);
  std::string result = text ? text : "(no text)";
  g_free(text);
  return result;
}

int SelectedRow(GtkTreeView *tree) {
  GtkTreeModel *model = nullptr;
  GtkTreeIter it;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(tree), &model, &it)) return -1;
  GtkTreePath *path = gtk_tree_model_get_path(model, &it);
  int row = gtk_tree_path_get_indices(path)[0];
  gtk_tree_path_free(path);
  return row;
}

class ListWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    backend = rt::GtkBackend::Open(nullptr, nullptr).release();
    // A misuse GTK reports (a call on a widget already gone) fails the test.
    g_log_set_always_fatal(static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
  }
  static void TearDownTestSuite() {
    delete backend;
    backend = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(backend, nullptr) << "no X display";
    rt::RuntimeInit(*backend);
    rt::RuntimeRegisterAppObject(std::make_shared<rt::Application>());
    window = rt::Window::Create<ListWindow>();
    top = ToplevelTitled("List window");
    ASSERT_NE(top, nullptr);
    tree = GTK_TREE_VIEW(FindTreeView(GTK_WIDGET(top)));
    ASSERT_NE(tree, nullptr);
  }
  void TearDown() override {
    if (window) window->Close();
    window.reset();
    RunPendingGtk();
    rt::RuntimeExit();
  }

  void Fill(int rows) {
    window->list->DeleteAllRows();
    for (int i = 0; i < rows; ++i) window->list->AddRow(RowText(i));
    RunPendingGtk();
  }

  static rt::GtkBackend *backend;
  std::shared_ptr<ListWindow> window;
  GtkWindow *top = nullptr;
  GtkTreeView *tree = nullptr;
};

rt::GtkBackend *ListWindows::backend = nullptr;

TEST_F(ListWindows, LongListIsShownFromTheCoresRowsWithoutARowByRowCopy) {
  GtkTreeModel *model = gtk_tree_view_get_model(tree);
  EXPECT_FALSE(GTK_IS_LIST_STORE(model)) << "the rows are copied into a list store";
  EXPECT_TRUE(gtk_tree_view_get_fixed_height_mode(tree)) << "each row would be measured";
  int inserted = 0;
  g_signal_connect(model, "row-inserted", G_CALLBACK(+[](GtkTreeModel *, GtkTreePath *, GtkTreeIter *, gpointer n) {
                     ++*static_cast<int *>(n);
                   }),
                   &inserted);

  constexpr int kRows = 20000;
  Fill(kRows);
  EXPECT_EQ(gtk_tree_view_get_model(tree), model);
  EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), kRows);
  EXPECT_LT(inserted, 10) << "the rows were added to the widget one at a time";
  EXPECT_EQ(ShownText(model, 0), "row 00000");
  EXPECT_EQ(ShownText(model, 12345), "row 12345");
  EXPECT_EQ(ShownText(model, kRows - 1), "row 19999");
  g_signal_handlers_disconnect_by_data(model, &inserted);
}

TEST_F(ListWindows, SelectionAndEditsOfTheCoresListShowInTheWidget) {
  window->Show();
  Fill(200);
  rt::Listbox &list = *window->list;
  list.SetListIndex(150);
  RunPendingGtk();
  EXPECT_EQ(SelectedRow(tree), 150);
  EXPECT_TRUE(RunGtkUntil([this] { return ShowsRow(tree, 150); })) << "the selected row is out of sight";

  GtkTreeModel *model = gtk_tree_view_get_model(tree);
  list.SetCell(150, 0, "renamed");
  RunPendingGtk();
  EXPECT_EQ(ShownText(model, 150), "renamed");

  list.RemoveRow(10);
  RunPendingGtk();
  EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 199);
  EXPECT_EQ(ShownText(model, 10), "row 00011");
  EXPECT_EQ(SelectedRow(tree), 149);

  Fill(3);
  EXPECT_EQ(gtk_tree_model_iter_n_children(model, nullptr), 3);
  EXPECT_EQ(SelectedRow(tree), -1);

  // The user's choice in the widget becomes the core's selection.
  GtkTreePath *path = gtk_tree_path_new_from_indices(2, -1);
  gtk_tree_selection_select_path(gtk_tree_view_get_selection(tree), path);
  gtk_tree_path_free(path);
  RunPendingGtk();
  EXPECT_EQ(list.ListIndex(), 2);
}

void Finalized(gpointer flag, GObject *) { *static_cast<bool *>(flag) = true; }

TEST_F(ListWindows, ClosedModalWindowFreesItsWidgetsAndTheCoresObjectsAtOnce) {
  Fill(20000);
  window->list->SetListIndex(15000);
  bool topGone = false, treeGone = false, modelGone = false;
  g_object_weak_ref(G_OBJECT(top), Finalized, &topGone);
  g_object_weak_ref(G_OBJECT(tree), Finalized, &treeGone);
  GObject *model = G_OBJECT(gtk_tree_view_get_model(tree));
  g_object_weak_ref(model, Finalized, &modelGone);
  std::weak_ptr<rt::Window> core = window;
  std::weak_ptr<rt::Listbox> coreList = window->list;

  // Closed from its own loop, as a key in a modal dialog closes it.
  auto dialog = window;
  rt::Post([dialog] { dialog->Close(); });
  window.reset();
  dialog->ShowModal();
  dialog.reset();
  // Gone before GTK draws again, not once it has nothing else left to do.
  bool drawTime = false;
  g_idle_add_full(GDK_PRIORITY_REDRAW, +[](gpointer flag) {
    *static_cast<bool *>(flag) = true;
    return G_SOURCE_REMOVE;
  }, &drawTime, nullptr);
  RunGtkUntil([&drawTime] { return drawTime; });

  EXPECT_TRUE(topGone) << "the closed window's GtkWindow lives on";
  EXPECT_TRUE(treeGone) << "its list widget lives on";
  EXPECT_TRUE(modelGone) << "its list model lives on";
  EXPECT_TRUE(core.expired()) << "the core's window is still held";
  EXPECT_TRUE(coreList.expired()) << "the core's list is still held";
  if (!topGone) g_object_weak_unref(G_OBJECT(top), Finalized, &topGone);
  if (!treeGone) g_object_weak_unref(G_OBJECT(tree), Finalized, &treeGone);
  if (!modelGone) g_object_weak_unref(model, Finalized, &modelGone);
}

}  // namespace
