// Some key combinations never reach a client: the X server's keymap binds them to an action the
// server carries out itself (Ctrl+Alt+F1 switches to the first terminal). A grab of such a
// combination succeeds, and yet no press ever arrives.
#pragma once

#include <gdk/gdk.h>

namespace rt::gtk {

// Whether every key that types `keyval` without modifiers, pressed with `modifiers` (GDK's
// modifier mask, virtual modifiers such as Super included), runs an action of the server's own.
bool ServerKeepsKey(GdkDisplay *display, guint keyval, GdkModifierType modifiers);

}  // namespace rt::gtk
