// Text as GTK may show it. Widgets take UTF-8 only; a name read from a damaged preferences file,
// or a string in another encoding, would otherwise make Pango complain and show nothing useful.
#pragma once

#include <string>

#include "runtime/core/string.h"

namespace rt::gtk {

// The string in UTF-8, each byte that is not part of a character shown as U+FFFD.
std::string DisplayText(const String &text);

}  // namespace rt::gtk
