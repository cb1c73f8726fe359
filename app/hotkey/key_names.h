// The hot key vocabulary: key names and modifier names as the store keeps them, turned into a
// Mac virtual key code and modifier mask. Names compare without regard to letter case and are
// taken exactly as stored: nothing is trimmed.
#pragma once

#include <cstdint>

#include "runtime/core/string.h"

namespace tovra::Utilities {

// The code of the first equal key name, or 0 for a name the table does not know.
int32_t KeyNameToKeyCode(const rt::String &name);

// The bits of the modifier names joined by "-" ("Shift-Command"); an unknown name, such as
// "none", adds nothing.
int32_t ModifierNameToMask(const rt::String &modifiers);

}  // namespace tovra::Utilities
