#include "plugin/strings.h"

#include <array>
#include <bit>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"

namespace qrv {
namespace {

constexpr uint32_t kFourBlanks = 0x20202020;

// Integers that are 32-bit values on the classic host reach the caller sign-extended.
intptr_t FromInt32(uint32_t value) { return static_cast<int32_t>(value); }

// Up to four bytes from the most significant end down; bytes not given stay blank.
uint32_t PackCode(std::string_view bytes) {
  uint32_t code = kFourBlanks;
  const size_t count = bytes.size() < 5 ? bytes.size() : 4;
  for (size_t i = 0; i < count; ++i) {
    const unsigned shift = 24 - 8 * static_cast<unsigned>(i);
    code &= ~(0xFFu << shift);
    code |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << shift;
  }
  return code;
}

// Long texts go through a table of the locale's lower-case mapping so the loop carries no call.
constexpr size_t kTableWorthIt = 256;

uint32_t HashBytes(const unsigned char *bytes, size_t length) {
  uint32_t h = static_cast<uint32_t>(length) + 1;
  if (length < kTableWorthIt) {
    for (size_t i = 0; i < length; ++i) {
      h = std::rotl(h, 3) ^ static_cast<uint32_t>(std::tolower(bytes[i]));
    }
    return h;
  }
  std::array<uint32_t, 256> lower;
  for (int c = 0; c < 256; ++c) {
    lower[static_cast<size_t>(c)] = static_cast<uint32_t>(std::tolower(c));
  }
  for (size_t i = 0; i < length; ++i) {
    h = std::rotl(h, 3) ^ lower[bytes[i]];
  }
  return h;
}

}  // namespace

intptr_t OSTypeFromStringQRV(HostString str) {
  if (str == nullptr) {
    return FromInt32(kFourBlanks);
  }
  HostString roman = HostConvertString(str, HOST_ENCODING_MAC_ROMAN);
  if (roman == nullptr) {
    return FromInt32(PackCode(StringBytes(str)));
  }
  const uint32_t code = PackCode(StringBytes(roman));
  HostUnlockString(roman);
  return FromInt32(code);
}

HostString StringFromOSTypeQRV(intptr_t code) {
  const auto value = static_cast<uint32_t>(code);
  const unsigned char bytes[4] = {static_cast<unsigned char>(value >> 24),
                                  static_cast<unsigned char>(value >> 16),
                                  static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value)};
  const uint32_t encoding =
      (value & 0x80808080u) != 0 ? HOST_ENCODING_MAC_ROMAN : HOST_ENCODING_ASCII;
  return NewStringFromBytes(bytes, sizeof bytes, encoding);
}

intptr_t GetHash32QRV(HostString s) {
  const std::string_view text = StringBytes(s);
  return FromInt32(HashBytes(reinterpret_cast<const unsigned char *>(text.data()), text.size()));
}

HostString BitwiseXORStringBytesQRV(HostString s, intptr_t v) {
  const std::string_view text = StringBytes(s);
  if (text.empty()) {
    return nullptr;
  }
  auto *copy = static_cast<unsigned char *>(std::calloc(text.size() + 4, 1));
  if (copy == nullptr) {
    return nullptr;
  }
  std::memcpy(copy, text.data(), text.size());
  // The mask repeats one byte, so XOR of whole words is XOR of each of their bytes; a tail of
  // fewer than four bytes is left as it is.
  const auto mask = static_cast<unsigned char>(v & 0xFF);
  const size_t wholeWordBytes = text.size() / 4 * 4;
  for (size_t i = 0; i < wholeWordBytes; ++i) {
    copy[i] ^= mask;
  }
  HostString result = NewStringFromBytes(copy, static_cast<intptr_t>(text.size()), HOST_ENCODING_NONE);
  std::free(copy);
  return result;
}

intptr_t GetEncodingOfStringQRV(HostString s) { return FromInt32(HostGetStringEncoding(s)); }

void SetEncodingOfStringQRV(HostString s, intptr_t encoding) {
  if (s != nullptr) {
    HostSetStringEncoding(s, static_cast<uint32_t>(encoding));
  }
}

HostString CloneStringQRV(HostString s) {
  const std::string_view text = StringBytes(s);
  if (text.empty()) {
    return nullptr;
  }
  const uint32_t encoding = HostGetStringEncoding(s);
  return NewStringFromBytes(text.data(), static_cast<intptr_t>(text.size()), encoding);
}

}  // namespace qrv
