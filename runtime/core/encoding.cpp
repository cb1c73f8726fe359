#include "runtime/core/encoding.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <vector>

namespace rt {
namespace {

const char *IconvName(uint32_t encoding) {
  switch (encoding) {
    case kEncodingUTF8: return "UTF-8";
    case kEncodingASCII: return "ASCII";
    case kEncodingMacRoman: return "MACINTOSH";
    case kEncodingUTF16:
      return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
    default: return nullptr;
  }
}

// Converts with iconv; `substitute` turns each unconvertible character into "?".
std::optional<std::string> Convert(std::string_view in, const char *from, const char *to,
                                   bool substitute) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::vector<char> buffer(in.size() * 4 + 16);
  auto *src = const_cast<char *>(in.data());
  size_t srcLeft = in.size();
  bool ok = true;
  while (srcLeft > 0) {
    char *dst = buffer.data();
    size_t dstLeft = buffer.size();
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer.data(), buffer.size() - dstLeft);
    if (r != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!substitute) { ok = false; break; }
    // Skip one unconvertible input character (one unit of the source) and write "?".
    std::optional<std::string> mark = Convert("?", "ASCII", to, false);
    if (mark) out += *mark;
    size_t skip = 1;
    if (std::string_view(from) == "UTF-8") {
      while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    } else if (std::string_view(from).starts_with("UTF-16")) {
      skip = srcLeft >= 2 ? 2 : srcLeft;
    }
    src += skip;
    srcLeft -= skip;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

std::optional<String> TryConvertEncoding(const String &s, uint32_t to) {
  const char *toName = IconvName(to);
  const char *fromName = IconvName(s.Encoding());
  if (!toName) return String(s.Bytes(), to);
  if (!fromName || s.Encoding() == to) return String(s.Bytes(), to);
  std::optional<std::string> bytes = Convert(s.Bytes(), fromName, toName, false);
  if (!bytes) return std::nullopt;
  return String(*bytes, to);
}

String ConvertEncoding(const String &s, uint32_t to) {
  const char *toName = IconvName(to);
  const char *fromName = IconvName(s.Encoding());
  if (!toName || !fromName || s.Encoding() == to) return String(s.Bytes(), to);
  std::optional<std::string> bytes = Convert(s.Bytes(), fromName, toName, true);
  return String(bytes ? *bytes : std::string(), to);
}

}  // namespace rt
