// A GtkTreeModel that reads the rows of a core list where they are: the widget asks for the rows
// it draws, so a list of any length costs the widget nothing per row.
#pragma once

#include <gtk/gtk.h>

#include "runtime/core/controls.h"

namespace rt::gtk {

// A new model (one reference) over the list, showing no rows yet. The list outlives it.
GtkTreeModel *NewListModel(const Listbox &list);
// How many rows the model shows. A widget learns of a new count only by taking the model anew
// (gtk_tree_view_set_model), so this changes only while no widget has the model.
int ListModelRows(GtkTreeModel *model);
void SetListModelRows(GtkTreeModel *model, int rows);

}  // namespace rt::gtk
