#include "platform/cursor.h"

namespace platform {
namespace {

int32_t gCursorLevel = 0;

}  // namespace

void ShowCursor() {
  if (gCursorLevel < 0) {
    ++gCursorLevel;
  }
}

void HideCursor() { --gCursorLevel; }

void ObscureCursor() {}

int32_t CursorLevel() { return gCursorLevel; }

uint32_t GetDblTime() { return 24; }

}  // namespace platform
