// A GDK key as the runtime core's key text.
#pragma once

#include <optional>
#include <string>

namespace rt::gtk {

// Return chr(13), keypad Enter chr(3), Escape chr(27), Backspace chr(8), Tab chr(9), the arrows
// chr(28) to chr(31) (left, right, up, down), forward Delete chr(127), a key that types a
// character that character in UTF-8; nothing for keys without text (Shift, F1, Home and the like).
std::optional<std::string> KeyText(unsigned keyval);

}  // namespace rt::gtk
