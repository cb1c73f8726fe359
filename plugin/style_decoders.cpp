#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "plugin/host_callbacks.h"
#include "plugin/style_data.h"
#include "plugin/style_fields.h"

namespace qrv {

using namespace style;

namespace {

// Reads a styles string without ever passing its end: bytes beyond it read as 0.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  size_t size() const { return bytes_.size(); }
  unsigned char Byte(size_t at) const {
    return at < bytes_.size() ? static_cast<unsigned char>(bytes_[at]) : 0;
  }
  std::string Bytes(size_t at, size_t count) const {
    std::string out(count, '\0');
    if (at < bytes_.size()) {
      bytes_.copy(out.data(), count, at);
    }
    return out;
  }
  template <typename T>
  T Native(size_t at) const {
    T value{};
    const std::string raw = Bytes(at, sizeof value);
    std::memcpy(&value, raw.data(), sizeof value);
    return value;
  }

 private:
  std::string_view bytes_;
};

// Hands the runs to a new list, or drops them when there are none or no list can be had.
HostObject FinishList(StyleRunList &runs) {
  if (runs.count > 0) {
    HostObject list = HostNewInstance("StyleDataListQRV");
    if (list != nullptr) {
      ListCount(list) = static_cast<intptr_t>(runs.count);
      ListHead(list) = runs.head;
      return list;
    }
  }
  FreeRuns(runs.head);
  return nullptr;
}

// The list takes the only reference that stays; a run it cannot take is dropped.
void AppendAndRelease(StyleRunList &runs, HostObject run) {
  AppendRun(runs, run);
  HostUnlockObject(run);
}

constexpr size_t kMacCountBytes = 2;
constexpr size_t kMacRunBytes = 20;

struct MacRun {
  int32_t start;
  uint16_t lineHeight;
  uint16_t fontFamily;
  unsigned char face;
  uint16_t size;
  uint16_t red, green, blue;
};

MacRun ReadMacRun(const ByteReader &styles, size_t at) {
  return {styles.Native<int32_t>(at),      styles.Native<uint16_t>(at + 4),
          styles.Native<uint16_t>(at + 8), styles.Byte(at + 10),
          styles.Native<uint16_t>(at + 12), styles.Native<uint16_t>(at + 14),
          styles.Native<uint16_t>(at + 16), styles.Native<uint16_t>(at + 18)};
}

void FillMacRun(HostObject run, const MacRun &fields) {
  SetInt32(run, kTextOffset, fields.start);
  SetInt32(run, kTextHeight, fields.lineHeight);
  SetInt32(run, kFontID, fields.fontFamily);
  SetInt32(run, kStyle, fields.face);
  for (size_t bit = 0; bit < std::size(kFaceBits); ++bit) {
    SetFlag(run, kFaceBits[bit], (fields.face >> bit) & 1);
  }
  SetInt32(run, kTextSize, fields.size);
  SetInt32(run, kRed, fields.red);
  SetInt32(run, kGreen, fields.green);
  SetInt32(run, kBlue, fields.blue);
  SetInt32(run, kTextColor, ((fields.red >> 8) << 16) | (fields.green & 0xFF00) | (fields.blue >> 8));
}

constexpr unsigned char kWinFontFollows = 0x08;
constexpr unsigned char kWinColorFollows = 0x10;

size_t WinRecordLength(const ByteReader &styles, size_t at) {
  const unsigned char flags = styles.Byte(at);
  size_t length = 1;
  if (flags & kWinFontFollows) {
    length += 1 + styles.Byte(at + 1);
  }
  if (flags & kWinColorFollows) {
    length += 3;
  }
  return length + 1;
}

}  // namespace

// Runs announced beyond the styles given are not read: only whole runs are decoded.
HostObject DecompileMacStyleDataQRV(HostString text, HostString styles) {
  const ByteReader reader(StringBytes(styles));
  if (reader.size() < kMacCountBytes + kMacRunBytes) {
    return nullptr;
  }
  const int16_t announced = reader.Native<int16_t>(0);
  if (announced <= 0) {
    return nullptr;
  }
  const size_t present = (reader.size() - kMacCountBytes) / kMacRunBytes;
  const size_t count = std::min<size_t>(static_cast<size_t>(announced), present);
  const uint32_t encoding = HostGetStringEncoding(text);
  const std::string_view textBytes = StringBytes(text);
  const auto textLength = static_cast<int64_t>(textBytes.size());

  StyleRunList runs;
  for (size_t k = 0; k < count; ++k) {
    HostObject run = HostNewInstance("StyleDataQRV");
    if (run == nullptr) {
      continue;
    }
    const MacRun fields = ReadMacRun(reader, kMacCountBytes + k * kMacRunBytes);
    FillMacRun(run, fields);
    if (textLength > 0) {
      const int64_t start = fields.start;
      const int64_t end = k + 1 < count
                              ? reader.Native<int32_t>(kMacCountBytes + (k + 1) * kMacRunBytes)
                              : textLength;
      if (start >= 0 && end >= start && end <= textLength) {
        String(run, kText) = NewStringFromBytes(textBytes.data() + start, end - start, encoding);
        SetInt32(run, kTextLength, static_cast<int32_t>(end - start));
      }
    }
    String(run, kFontName) = FontNameOf(static_cast<int16_t>(fields.fontFamily));
    AppendAndRelease(runs, run);
  }
  return FinishList(runs);
}

// A last record that runs past the end of the styles still counts; its missing bytes read as 0.
// A record beyond the end of the text gets no text.
HostObject DecompileWinStyleDataQRV(HostString text, HostString styles) {
  const ByteReader reader(StringBytes(styles));
  if (reader.size() == 0) {
    return nullptr;
  }
  size_t count = 0;
  for (size_t at = 0; at < reader.size(); at += WinRecordLength(reader, at)) {
    ++count;
  }
  const uint32_t encoding = HostGetStringEncoding(text);
  const std::string_view textBytes = StringBytes(text);

  StyleRunList runs;
  unsigned char color[3] = {0, 0, 0};
  size_t at = 0;
  for (size_t k = 0; k < count; ++k) {
    const unsigned char flags = reader.Byte(at++);
    HostString fontName = nullptr;
    if (flags & kWinFontFollows) {
      const size_t nameLength = reader.Byte(at++);
      const std::string name = reader.Bytes(at, nameLength);
      fontName = NewStringFromBytes(name.data(), static_cast<intptr_t>(nameLength),
                                    HOST_ENCODING_MAC_ROMAN);
      at += nameLength;
    }
    const bool hasColor = (flags & kWinColorFollows) != 0;
    if (hasColor) {
      for (unsigned char &component : color) {
        component = reader.Byte(at++);
      }
    }
    const unsigned char size = reader.Byte(at++);

    HostObject run = HostNewInstance("StyleDataQRV");
    if (run == nullptr) {
      HostUnlockString(fontName);
      continue;
    }
    SetFlag(run, kColorAvailable, hasColor);
    SetInt32(run, kRed, color[0] * 257);
    SetInt32(run, kBlue, color[1] * 257);
    SetInt32(run, kGreen, color[2] * 257);
    SetInt32(run, kTextColor, 0);
    SetFlag(run, kBold, flags & 0x01);
    SetFlag(run, kItalic, flags & 0x02);
    SetFlag(run, kUnderline, flags & 0x04);
    SetInt32(run, kStyle, flags & 0x07);
    SetInt32(run, kTextSize, size);
    SetFlag(run, kFontAvailable, fontName != nullptr);
    String(run, kFontName) = fontName;
    if (k < textBytes.size()) {
      String(run, kText) = NewStringFromBytes(textBytes.data() + k, 1, encoding);
    }
    AppendAndRelease(runs, run);
  }
  return FinishList(runs);
}

}  // namespace qrv
