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
