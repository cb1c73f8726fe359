// The Font Manager's family numbers and names: the classic Mac families by their fixed
// numbers. Names compare without regard to case, as the Font Manager compares them.
#pragma once

#include <cstdint>

namespace platform {

using Str255 = unsigned char[256];  // length byte, then the characters

// An empty name for a number no family has.
void GetFontName(int16_t familyID, Str255 name);
// 0 (the system font) for a name no family has.
void GetFNum(const unsigned char *name, int16_t *familyID);

}  // namespace platform
