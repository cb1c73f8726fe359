#include "runtime/gtk/main_screen.h"

namespace rt::gtk {

GdkRectangle MainScreenArea() {
  GdkRectangle area{0, 0, 0, 0};
  GdkDisplay *display = gdk_display_get_default();
  if (!display) return area;
  GdkMonitor *monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  if (monitor) gdk_monitor_get_geometry(monitor, &area);
  return area;
}

}  // namespace rt::gtk
