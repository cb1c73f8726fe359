#include "runtime/gtk/list_model.h"

#include "runtime/gtk/display_text.h"

namespace {

struct CoreListModel {
  GObject parent;
  const rt::Listbox *list;
  int rows;
  int stamp;  // changes with the rows, so an iterator made before is seen to be stale
};

struct CoreListModelClass {
  GObjectClass parent;
};

void core_list_model_tree_model_init(GtkTreeModelIface *iface);

G_DEFINE_TYPE_WITH_CODE(CoreListModel, core_list_model, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, core_list_model_tree_model_init))

CoreListModel *Self(GtkTreeModel *model) {
  return G_TYPE_CHECK_INSTANCE_CAST(model, core_list_model_get_type(), CoreListModel);
}

int RowOf(const GtkTreeIter *it) { return GPOINTER_TO_INT(it->user_data); }

bool SetIter(CoreListModel *self, GtkTreeIter *it, int row) {
  if (row < 0 || row >= self->rows) {
    it->stamp = 0;
    return false;
  }
  it->stamp = self->stamp;
  it->user_data = GINT_TO_POINTER(row);
  return true;
}

GtkTreeModelFlags GetFlags(GtkTreeModel *) { return GTK_TREE_MODEL_LIST_ONLY; }
gint GetNColumns(GtkTreeModel *) { return 1; }
GType GetColumnType(GtkTreeModel *, gint) { return G_TYPE_STRING; }

gboolean GetIter(GtkTreeModel *model, GtkTreeIter *it, GtkTreePath *path) {
  if (gtk_tree_path_get_depth(path) != 1) return FALSE;
  return SetIter(Self(model), it, gtk_tree_path_get_indices(path)[0]);
}

GtkTreePath *GetPath(GtkTreeModel *, GtkTreeIter *it) { return gtk_tree_path_new_from_indices(RowOf(it), -1); }

// A row the core no longer has (its list shrank inside a call that is still running) shows empty
// until the widget follows.
void GetValue(GtkTreeModel *model, GtkTreeIter *it, gint, GValue *value) {
  const rt::Listbox &list = *Self(model)->list;
  g_value_init(value, G_TYPE_STRING);
  int row = RowOf(it);
  if (row < list.ListCount()) g_value_set_string(value, rt::gtk::DisplayText(list.Cell(row, 0)).c_str());
}

gboolean IterNext(GtkTreeModel *model, GtkTreeIter *it) { return SetIter(Self(model), it, RowOf(it) + 1); }

gboolean IterPrevious(GtkTreeModel *model, GtkTreeIter *it) { return SetIter(Self(model), it, RowOf(it) - 1); }

gboolean IterNthChild(GtkTreeModel *model, GtkTreeIter *it, GtkTreeIter *parent, gint n) {
  if (parent) return SetIter(Self(model), it, -1);
  return SetIter(Self(model), it, n);
}

gboolean IterChildren(GtkTreeModel *model, GtkTreeIter *it, GtkTreeIter *parent) {
  return IterNthChild(model, it, parent, 0);
}

gboolean IterHasChild(GtkTreeModel *, GtkTreeIter *) { return FALSE; }

gint IterNChildren(GtkTreeModel *model, GtkTreeIter *it) { return it ? 0 : Self(model)->rows; }

gboolean IterParent(GtkTreeModel *, GtkTreeIter *it, GtkTreeIter *) {
  it->stamp = 0;
  return FALSE;
}

void core_list_model_tree_model_init(GtkTreeModelIface *iface) {
  iface->get_flags = GetFlags;
  iface->get_n_columns = GetNColumns;
  iface->get_column_type = GetColumnType;
  iface->get_iter = GetIter;
  iface->get_path = GetPath;
  iface->get_value = GetValue;
  iface->iter_next = IterNext;
  iface->iter_previous = IterPrevious;
  iface->iter_children = IterChildren;
  iface->iter_has_child = IterHasChild;
  iface->iter_n_children = IterNChildren;
  iface->iter_nth_child = IterNthChild;
  iface->iter_parent = IterParent;
}

void core_list_model_class_init(CoreListModelClass *) {}

void core_list_model_init(CoreListModel *self) {
  self->list = nullptr;
  self->rows = 0;
  self->stamp = 1;
}

}  // namespace

namespace rt::gtk {

GtkTreeModel *NewListModel(const Listbox &list) {
  auto *model = static_cast<CoreListModel *>(g_object_new(core_list_model_get_type(), nullptr));
  model->list = &list;
  return GTK_TREE_MODEL(model);
}

int ListModelRows(GtkTreeModel *model) { return Self(model)->rows; }

void SetListModelRows(GtkTreeModel *model, int rows) {
  CoreListModel *self = Self(model);
  self->rows = rows;
  ++self->stamp;
}

}  // namespace rt::gtk
