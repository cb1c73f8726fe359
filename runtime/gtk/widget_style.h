// How the framework's controls look in GTK.
#pragma once

#include <gtk/gtk.h>

namespace rt::gtk {

// Once per display: lets buttons, fields and menus keep to the small boxes the layouts give them.
void InstallWidgetStyle();
// A control's own font: `size` in points of the layout (0 is the theme's size), bold or not.
// A popup's rows are cut short with an ellipsis rather than widening it past its laid-out width,
// and take no more height than a button's caption.
void FitPopupRowsToBox(GtkWidget *combo);

void ApplyFont(GtkWidget *widget, int size, bool bold);

}  // namespace rt::gtk
