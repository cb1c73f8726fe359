// How keys and menu commands reach the application.
#pragma once

#include "runtime/core/string.h"

namespace rt {

class Window;
class MenuBar;

// The menu bar in use: the front window's, else the application's.
MenuBar *CurrentMenuBar();
// Sets each item's enabled state, then raises EnableMenuItems on the front window and the
// application. Runs before a menu opens and before a shortcut is dispatched.
void UpdateMenus();
// Runs the command of the item of that name: the front window's handler, then the
// application's, then the framework's own behaviour. False when nothing handled it.
bool ChooseMenuItem(const String &itemName);
// A key for a window. With `command` (Ctrl here) it is a menu shortcut first; otherwise the
// window's KeyDown, the focused control, then the default and cancel buttons. Return and Enter
// reach the default button only from a control that leaves them (a list, a one-line field).
bool KeyPressed(Window &window, const String &key, bool command = false);

}  // namespace rt
