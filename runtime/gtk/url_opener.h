// Hands a URL to the desktop's URL opener.
#pragma once

#include <string>

namespace rt::gtk {

// Starts `xdg-open` with the URL as its one argument, without a shell, and returns at once. The
// child is reaped by the GLib main loop when it ends. False when it could not be started.
bool OpenWithDesktop(const std::string &url);

}  // namespace rt::gtk
