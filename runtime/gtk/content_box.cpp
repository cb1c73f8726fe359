#include "runtime/gtk/content_box.h"

namespace rt::gtk {
namespace {

struct ContentBox {
  GtkFixed parent;
  int width;
  int height;
};

struct ContentBoxClass {
  GtkFixedClass parent;
};

G_DEFINE_TYPE(ContentBox, content_box, GTK_TYPE_FIXED)

ContentBox *AsContentBox(GtkWidget *widget) {
  return G_TYPE_CHECK_INSTANCE_CAST(widget, content_box_get_type(), ContentBox);
}

void PreferredWidth(GtkWidget *widget, gint *minimum, gint *natural) {
  *minimum = *natural = AsContentBox(widget)->width;
}

void PreferredHeight(GtkWidget *widget, gint *minimum, gint *natural) {
  *minimum = *natural = AsContentBox(widget)->height;
}

void content_box_class_init(ContentBoxClass *boxClass) {
  GtkWidgetClass *widgetClass = GTK_WIDGET_CLASS(boxClass);
  widgetClass->get_preferred_width = PreferredWidth;
  widgetClass->get_preferred_height = PreferredHeight;
}

void content_box_init(ContentBox *box) {
  box->width = 0;
  box->height = 0;
}

}  // namespace

GtkWidget *NewContentBox() { return GTK_WIDGET(g_object_new(content_box_get_type(), nullptr)); }

void SetContentBoxSize(GtkWidget *box, int width, int height) {
  ContentBox *content = AsContentBox(box);
  content->width = width;
  content->height = height;
  gtk_widget_queue_resize(box);
}

}  // namespace rt::gtk
