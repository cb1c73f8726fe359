#include "runtime/gtk/display_text.h"

#include <glib.h>

#include "runtime/core/encoding.h"

namespace rt::gtk {

std::string DisplayText(const String &text) {
  uint32_t encoding = text.Encoding();
  String utf8 = encoding == kEncodingMacRoman || encoding == kEncodingUTF16 ? ConvertEncoding(text, kEncodingUTF8)
                                                                          : text;
  std::string_view bytes = utf8.Bytes();
  if (g_utf8_validate_len(bytes.data(), bytes.size(), nullptr)) return std::string(bytes);
  gchar *valid = g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size()));
  std::string result(valid);
  g_free(valid);
  return result;
}

}  // namespace rt::gtk
