// The area below a window's menu bar: a GtkFixed that places each control at its layout position,
// but asks for the layout's size rather than for the extent of its children, so a label that
// reaches past the window's edge (as the search window's version mark does) is cut off instead of
// widening the window.
#pragma once

#include <gtk/gtk.h>

namespace rt::gtk {

GtkWidget *NewContentBox();
// The size the box asks for: the window's size, or its smallest size when it may be resized.
void SetContentBoxSize(GtkWidget *box, int width, int height);

}  // namespace rt::gtk
