#include "app/hotkey/key_names.h"

#include "runtime/core/string_functions.h"

namespace tovra::Utilities {
namespace {

struct Named {
  const char *name;
  int32_t value;
};

// Tested in this order; the first equal name wins.
constexpr Named kKeys[] = {
    {"esc", 53},
    {"f1", 122},
    {"f2", 120},
    {"f3", 99},
    {"f4", 118},
    {"f5", 96},
    {"f6", 97},
    {"f7", 98},
    {"f8", 100},
    {"f9", 101},
    {"f10", 109},
    {"f11", 103},
    {"f12", 111},
    {"f13", 105},
    {"f14", 107},
    {"f15", 113},
    {"f16", 106},
    {"tab", 48},
    {"space", 49},
    {"cursor-up", 126},
    {"cursor-down", 125},
    {"cursor-left", 123},
    {"cursor-right", 124},
    {"backspace", 51},
    {"return", 36},
    {"enter", 36},          // the Return key's code, not the keypad Enter's 76
    {"delete", 117},        // forward delete; the key that deletes backwards is "backspace"
    {"help", 114},
    {"page-up", 116},
    {"page-down", 121},
    {"page-start", 115},    // Home
    {"page-end", 119},      // End
};

constexpr Named kModifiers[] = {
    {"command", 0x100},
    {"shift", 0x200},
    {"option", 0x800},
    {"control", 0x1000},
};

}  // namespace

int32_t KeyNameToKeyCode(const rt::String &name) {
  for (const Named &key : kKeys) {
    if (name == rt::String(key.name)) return key.value;
  }
  return 0;
}

int32_t ModifierNameToMask(const rt::String &modifiers) {
  int32_t mask = 0;
  int count = rt::CountFields(modifiers, "-");
  for (int i = 1; i <= count; ++i) {
    rt::String field = rt::NthField(modifiers, "-", i);
    for (const Named &modifier : kModifiers) {
      if (field == rt::String(modifier.name)) {
        mask |= modifier.value;
        break;
      }
    }
  }
  return mask;
}

}  // namespace tovra::Utilities
