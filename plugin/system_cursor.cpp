#include "platform/cursor.h"
#include "plugin/system.h"

namespace qrv {

void ShowCursorQRV() { platform::ShowCursor(); }

void HideCursorQRV() { platform::HideCursor(); }

void ObscureCursorQRV() { platform::ObscureCursor(); }

void FlashMenuBarQRV() {}

intptr_t GetDoubleClickIntervalQRV() { return static_cast<int32_t>(platform::GetDblTime()); }

}  // namespace qrv
