#include "runtime/gtk/mac_key_codes.h"

namespace rt::gtk {
namespace {

struct KeyName {
  uint32_t macKeyCode;
  const char *keysym;
};

// The keys a hot key may be, by their place on the Mac keyboard; Help sits where a PC keyboard
// has Insert.
constexpr KeyName kKeys[] = {
    {122, "F1"},  {120, "F2"},  {99, "F3"},          {118, "F4"},         {96, "F5"},
    {97, "F6"},   {98, "F7"},   {100, "F8"},         {101, "F9"},         {109, "F10"},
    {103, "F11"}, {111, "F12"}, {105, "F13"},        {107, "F14"},        {113, "F15"},
    {106, "F16"}, {53, "Escape"}, {48, "Tab"},       {49, "space"},       {126, "Up"},
    {125, "Down"}, {123, "Left"}, {124, "Right"},    {51, "BackSpace"},   {36, "Return"},
    {76, "KP_Enter"}, {117, "Delete"}, {114, "Insert"}, {116, "Page_Up"}, {121, "Page_Down"},
    {115, "Home"}, {119, "End"},
};

struct ModifierName {
  uint32_t macMask;
  const char *accelerator;
};

// Command is the Super key here, option is Alt.
constexpr ModifierName kModifiers[] = {
    {0x100, "<Super>"},
    {0x200, "<Shift>"},
    {0x800, "<Alt>"},
    {0x1000, "<Control>"},
};

}  // namespace

std::string HotKeyAccelerator(uint32_t macKeyCode, uint32_t macModifierMask) {
  for (const KeyName &key : kKeys) {
    if (key.macKeyCode != macKeyCode) continue;
    std::string accelerator;
    for (const ModifierName &modifier : kModifiers) {
      if (macModifierMask & modifier.macMask) accelerator += modifier.accelerator;
    }
    return accelerator + key.keysym;
  }
  return "";
}

}  // namespace rt::gtk
