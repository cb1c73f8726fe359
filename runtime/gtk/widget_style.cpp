#include "runtime/gtk/widget_style.h"

#include <string>

namespace rt::gtk {

namespace {
// The layouts were drawn at 72 dpi, where a point is a pixel; the theme's paddings and minimum
// heights would push a 20 pixel button or field over its neighbours.
constexpr char kCompactControls[] =
    "button { min-height: 0; min-width: 0; padding: 0 6px; }"
    "entry { min-height: 0; padding: 0 4px; }"
    "combobox button { padding: 0 4px; }"
    "notebook tab { min-height: 0; padding: 2px 8px; }";
}  // namespace

void InstallWidgetStyle() {
  GtkCssProvider *provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kCompactControls, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

void FitPopupRowsToBox(GtkWidget *combo) {
  GList *cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  // Ellipsizing lowers the minimum width, the limit the natural one, which is what a fixed
  // container allocates; the size request then gives the popup its width. The cell's own
  // padding would make the popup three pixels taller than the buttons beside it.
  for (GList *cell = cells; cell; cell = cell->next) {
    g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, "max-width-chars", 1, "ypad", 0, nullptr);
  }
  g_list_free(cells);
}

void ApplyFont(GtkWidget *widget, int size, bool bold) {
  if (size <= 0 && !bold) return;
  std::string css = "* {";
  if (size > 0) css += " font-size: " + std::to_string(size) + "px;";
  if (bold) css += " font-weight: bold;";
  css += " }";
  GtkCssProvider *provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(widget), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

}  // namespace rt::gtk
