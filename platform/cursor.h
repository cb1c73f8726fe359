// The cursor's hide level, as the Mac OS counts it, and the double-click interval. This layer
// has no display of its own: it keeps the level so balanced calls stay balanced.
#pragma once

#include <cstdint>

namespace platform {

void ShowCursor();
void HideCursor();
// Hides the cursor until the mouse next moves; without a display there is nothing to hide.
void ObscureCursor();
// 0 when the cursor shows; each HideCursor lowers it, each ShowCursor raises it up to 0.
int32_t CursorLevel();
// In ticks (sixtieths of a second): the desktop's usual 400 milliseconds.
uint32_t GetDblTime();

}  // namespace platform
