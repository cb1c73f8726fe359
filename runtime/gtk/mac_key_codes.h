// The application names its hot key as a Mac virtual key code and modifier mask; keybinder takes
// an accelerator string such as "<Super><Shift>F3".
#pragma once

#include <cstdint>
#include <string>

namespace rt::gtk {

// The accelerator for the key and modifiers, or "" when the key code has no X11 key here.
std::string HotKeyAccelerator(uint32_t macKeyCode, uint32_t macModifierMask);

}  // namespace rt::gtk
