// QRVUtil's decoders of styled-text data on any text and styles, called through the host, then
// each run read and set as a caller would. Input: a flag byte (bit 0: Windows data, bits 1 to 3:
// the text's encoding, bit 4: the host refuses the next allocation), the text's length (2
// bytes), a colour and a font number (4 bytes each), the text, then the styles.
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/plugin_session.h"

namespace {

using fake::Host;

constexpr const char *kRun = "StyleDataQRV";
constexpr const char *kList = "StyleDataListQRV";
constexpr size_t kTextOffset = 4;
constexpr size_t kFontName = 28;
constexpr size_t kText = 72;
constexpr size_t kTextLength = 76;

// Eight, for three bits of the flag byte; an unknown value among them.
constexpr uint32_t kEncodings[] = {HOST_ENCODING_UTF8, HOST_ENCODING_MAC_ROMAN, HOST_ENCODING_UTF16,
                                   HOST_ENCODING_ASCII, HOST_ENCODING_NONE,     0x12345678u,
                                   HOST_ENCODING_UTF8,  HOST_ENCODING_NONE};

using Decoder = HostObject(HostString, HostString);

template <typename Value>
void Set(const char *property, HostObject run, Value value) {
  const PluginPropertyRecord *record = fuzz::PluginHost().Property(kRun, property);
  fuzz::Check(record != nullptr && record->setter != nullptr, "a run property has no setter");
  reinterpret_cast<void (*)(HostObject, Value)>(record->setter)(run, value);
}

// A run's text is a piece of the text it was decoded from, and its length field says how long.
// A piece of UTF-16 text comes converted to UTF-8, so only its presence is checked.
void CheckRun(HostObject run, std::string_view text, uint32_t encoding, bool windows) {
  Host &host = fuzz::PluginHost();
  (void)Host::Text(host.Field<HostString>(run, kRun, kFontName));
  const std::string runText = Host::Text(host.Field<HostString>(run, kRun, kText));
  if (host.Field<HostString>(run, kRun, kText) == nullptr || encoding == HOST_ENCODING_UTF16) return;
  fuzz::Check(text.find(runText) != std::string_view::npos, "a run's text is not part of the text");
  if (!windows) {
    fuzz::Check(host.Field<intptr_t>(run, kRun, kTextLength) == static_cast<intptr_t>(runText.size()),
                "a run's text length is not its text's");
    const intptr_t start = host.Field<intptr_t>(run, kRun, kTextOffset);
    fuzz::Check(start >= 0 && text.substr(static_cast<size_t>(start), runText.size()) == runText,
                "a run's text is not the text at its offset");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static Decoder *const mac =
      fuzz::PluginGlobal<Decoder>("DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV");
  static Decoder *const win =
      fuzz::PluginGlobal<Decoder>("DecompileWinStyleDataQRV(text as string, styles as string) as StyleDataListQRV");
  static auto *const style = fuzz::PluginHost().Method<HostObject(HostObject, intptr_t)>(
      kList, "Style(index as integer) as StyleDataQRV");
  Host &host = fuzz::PluginHost();
  const fuzz::HeldReferences before = fuzz::StartInput();

  fuzz::Input in(data, size);
  const uint8_t flags = in.Byte();
  const bool windows = (flags & 1) != 0;
  const uint32_t encoding = kEncodings[(flags >> 1) & 7];
  const size_t textLength = static_cast<size_t>(in.Byte()) << 8 | in.Byte();
  const int32_t color = in.Int32();
  const int32_t fontID = in.Int32();
  const std::string_view text = in.Take(textLength);
  const std::string_view styles = in.Rest();

  HostString textString = host.MakeString(text, encoding);
  HostString stylesString = host.MakeString(styles, HOST_ENCODING_NONE);
  if (flags & 0x10) host.FailNextAllocations(1);
  HostObject list = (windows ? win : mac)(textString, stylesString);
  host.FailNextAllocations(0);

  if (list != nullptr) {
    const intptr_t count = host.Field<intptr_t>(list, kList, 0);
    fuzz::Check(count >= 1, "a list was made with no runs");
    fuzz::Check(style(list, 0) == nullptr && style(list, count + 1) == nullptr, "a run outside the list");
    for (intptr_t i = 1; i <= count; ++i) {
      HostObject run = style(list, i);
      fuzz::Check(run != nullptr, "a run of the list is missing");
      CheckRun(run, text, encoding, windows);
      host.ReleaseObject(run);
    }
    HostObject first = style(list, 1);
    Set<intptr_t>("TextColor", first, color);
    Set<intptr_t>("Red", first, fontID);
    Set<intptr_t>("FontID", first, fontID);
    Set<HostString>("FontName", first, textString);
    Set<HostString>("FontName", first, host.Field<HostString>(first, kRun, kFontName));
    Set<HostString>("Text", first, stylesString);
    Set<HostString>("Text", first, nullptr);
    host.ReleaseObject(first);
    host.ReleaseObject(list);
  }
  host.Release(textString);
  host.Release(stylesString);
  fuzz::CheckAllGivenBack(before);
  return 0;
}
