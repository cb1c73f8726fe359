// Where each StyleDataQRV and StyleDataListQRV value sits in instance data (classic offsets).
#pragma once

#include <cstddef>
#include <cstdint>

#include "abi/host_abi.h"
#include "plugin/host_values.h"
#include "plugin/member_table.h"
#include "plugin/style_run_list.h"

namespace qrv::style {

constexpr size_t kBold = 0;
constexpr size_t kTextOffset = 4;
constexpr size_t kItalic = 8;
constexpr size_t kTextHeight = 12;
constexpr size_t kUnderline = 16;
constexpr size_t kFontID = 20;
constexpr size_t kOutline = 24;
constexpr size_t kFontName = 28;
constexpr size_t kShadow = 32;
constexpr size_t kTextSize = 36;
constexpr size_t kCondense = 40;
constexpr size_t kTextColor = 44;
constexpr size_t kExtend = 48;
constexpr size_t kRed = 52;
constexpr size_t kColorAvailable = 56;
constexpr size_t kGreen = 60;
constexpr size_t kFontAvailable = 64;
constexpr size_t kBlue = 68;
constexpr size_t kText = 72;
constexpr size_t kTextLength = 76;
constexpr size_t kStyle = 80;

// Face bits in the order of their Boolean properties.
constexpr size_t kFaceBits[] = {kBold, kItalic, kUnderline, kOutline, kShadow, kCondense, kExtend};

// A Boolean is the first byte of its slot.
inline unsigned char &Flag(HostObject run, size_t offset) {
  return InstanceField<unsigned char>(run, gStyleDataClass, offset);
}
inline void SetFlag(HostObject run, size_t offset, bool value) { Flag(run, offset) = value ? 1 : 0; }
inline intptr_t &Integer(HostObject run, size_t offset) {
  return InstanceField<intptr_t>(run, gStyleDataClass, offset);
}
inline HostString &String(HostObject run, size_t offset) {
  return InstanceField<HostString>(run, gStyleDataClass, offset);
}

// Integer values are the classic 32-bit ones, widened.
inline int32_t Int32(HostObject run, size_t offset) {
  return static_cast<int32_t>(Integer(run, offset));
}
inline void SetInt32(HostObject run, size_t offset, int32_t value) { Integer(run, offset) = value; }

constexpr size_t kListCount = 0;
constexpr size_t kListHead = 4;

inline intptr_t &ListCount(HostObject list) {
  return InstanceField<intptr_t>(list, gStyleDataListClass, kListCount);
}
inline StyleRunNode *&ListHead(HostObject list) {
  return InstanceField<StyleRunNode *>(list, gStyleDataListClass, kListHead);
}

}  // namespace qrv::style

namespace qrv {
// The family's name as a new Mac Roman string; nil when the family has no name.
HostString FontNameOf(int16_t familyID);
}  // namespace qrv
