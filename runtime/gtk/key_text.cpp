#include "runtime/gtk/key_text.h"

#include <gdk/gdk.h>

namespace rt::gtk {

std::optional<std::string> KeyText(unsigned keyval) {
  auto code = [](char c) { return std::optional<std::string>(std::string(1, c)); };
  switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_ISO_Enter:
      return code(13);
    case GDK_KEY_KP_Enter:
      return code(3);
    case GDK_KEY_Escape:
      return code(27);
    case GDK_KEY_BackSpace:
      return code(8);
    case GDK_KEY_Tab:
    case GDK_KEY_KP_Tab:
    case GDK_KEY_ISO_Left_Tab:  // Shift+Tab
      return code(9);
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
      return code(28);
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
      return code(29);
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      return code(30);
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      return code(31);
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
      return code(127);
    default:
      break;
  }
  gunichar c = gdk_keyval_to_unicode(keyval);
  if (c < 32 || c == 127) return std::nullopt;  // no text, or a control character
  char utf8[8];
  int length = g_unichar_to_utf8(c, utf8);
  return std::string(utf8, static_cast<size_t>(length));
}

}  // namespace rt::gtk
