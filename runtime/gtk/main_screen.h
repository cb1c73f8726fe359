// The main screen: the primary monitor. Its top-left corner is the origin of the core's window
// coordinates, as the main screen's is on the Mac.
#pragma once

#include <gdk/gdk.h>

namespace rt::gtk {

// The primary monitor's area, or the first monitor's when none is marked primary.
GdkRectangle MainScreenArea();

}  // namespace rt::gtk
