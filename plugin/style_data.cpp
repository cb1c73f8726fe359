#include "plugin/style_data.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/fonts.h"
#include "plugin/host_callbacks.h"
#include "plugin/style_fields.h"

namespace qrv {

using namespace style;

namespace {

// Takes the new reference before dropping the old, so storing the same string again is safe.
void Replace(HostString &slot, HostString value) {
  if (value != nullptr) {
    HostLockString(value);
  }
  HostString old = slot;
  slot = value;
  HostUnlockString(old);
}

void ReleaseHeld(HostString &slot) {
  HostUnlockString(slot);
  slot = nullptr;
}

// 0xRRGGBB from the high byte of each 16-bit component; values outside 0 to 65535 spill into
// the neighbouring bytes, as on the classic host.
void ComposeTextColor(HostObject run) {
  const int32_t red = Int32(run, kRed);
  const int32_t green = Int32(run, kGreen);
  const int32_t blue = Int32(run, kBlue);
  SetInt32(run, kTextColor, ((red >> 8) << 16) | (green & static_cast<int32_t>(0xFFFFFF00)) | (blue >> 8));
  SetFlag(run, kColorAvailable, true);
}

}  // namespace

HostString FontNameOf(int16_t familyID) {
  platform::Str255 name{};
  platform::GetFontName(familyID, name);
  return NewStringFromBytes(name + 1, name[0], HOST_ENCODING_MAC_ROMAN);
}

void StyleDataDestructor(HostObject run) {
  ReleaseHeld(String(run, kFontName));
  ReleaseHeld(String(run, kText));
}

void SetTextColor(HostObject run, intptr_t color) {
  const auto c = static_cast<int32_t>(color);
  SetInt32(run, kTextColor, c);
  SetInt32(run, kRed, ((c >> 16) & 0xFF) * 257);
  SetInt32(run, kGreen, ((c >> 8) & 0xFF) * 257);
  SetInt32(run, kBlue, (c & 0xFF) * 257);
  SetFlag(run, kColorAvailable, true);
}

void SetRed(HostObject run, intptr_t red) {
  SetInt32(run, kRed, static_cast<int32_t>(red));
  ComposeTextColor(run);
}

void SetGreen(HostObject run, intptr_t green) {
  SetInt32(run, kGreen, static_cast<int32_t>(green));
  ComposeTextColor(run);
}

void SetBlue(HostObject run, intptr_t blue) {
  SetInt32(run, kBlue, static_cast<int32_t>(blue));
  ComposeTextColor(run);
}

void SetFontID(HostObject run, intptr_t fontID) {
  SetInt32(run, kFontID, static_cast<int32_t>(fontID));
  HostString &name = String(run, kFontName);
  HostUnlockString(name);
  name = FontNameOf(static_cast<int16_t>(fontID));
  SetFlag(run, kFontAvailable, true);
}

// The Font Manager takes the storage as a Str255, length byte first; that byte may differ from
// the record's length, so never more than the text's bytes are taken.
void SetFontName(HostObject run, HostString name) {
  Replace(String(run, kFontName), name);
  if (name == nullptr) {
    SetInt32(run, kFontID, 0);
    return;
  }
  const std::string_view text = StringBytes(name);
  platform::Str255 pascal{};
  if (!text.empty()) {
    pascal[0] = static_cast<unsigned char>(std::min<size_t>(StringRecord(name)->storage[0], text.size()));
  }
  if (pascal[0] != 0) std::memcpy(pascal + 1, text.data(), pascal[0]);
  int16_t familyID = 0;
  platform::GetFNum(pascal, &familyID);
  SetInt32(run, kFontID, familyID);
  SetFlag(run, kFontAvailable, true);
}

void SetText(HostObject run, HostString text) {
  Replace(String(run, kText), text);
  SetInt32(run, kTextLength, static_cast<int32_t>(StringBytes(text).size()));
}

void StyleDataListDestructor(HostObject list) {
  FreeRuns(ListHead(list));
  ListCount(list) = 0;
}

HostObject StyleDataListStyle(HostObject list, intptr_t index) {
  if (index < 1) {
    return nullptr;
  }
  StyleRunNode *node = ListHead(list);
  for (intptr_t i = 1; node != nullptr && i < index; ++i) {
    node = node->next;
  }
  if (node == nullptr) {
    return nullptr;
  }
  HostLockObject(node->run);
  return node->run;
}

}  // namespace qrv
