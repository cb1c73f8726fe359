#include "plugin/time_zone.h"

#include "platform/location.h"
#include "plugin/host_values.h"
#include "plugin/member_table.h"
#include "plugin/system.h"

namespace qrv {
namespace {

constexpr size_t kTotalOffset = 0;
constexpr size_t kSecondsOffset = 4;
constexpr size_t kMinutesOffset = 8;
constexpr size_t kHoursOffset = 12;
constexpr size_t kLatitudeOffset = 16;
constexpr size_t kLongitudeOffset = 24;

}  // namespace

GmtDelta SplitGmtDelta(int32_t gmtDeltaField) {
  uint32_t bits = static_cast<uint32_t>(gmtDeltaField) & 0x00FFFFFFu;
  if ((bits & 0x00800000u) != 0) {
    bits |= 0xFF000000u;
  }
  const auto total = static_cast<int32_t>(bits);
  // C++ division truncates toward zero and the remainder takes the sign of the total.
  return {total, total / 3600, total % 3600 / 60, total % 60};
}

void TimeZoneConstructor(HostObject zone) {
  platform::MachineLocation location{};
  platform::ReadLocation(&location);
  const GmtDelta delta = SplitGmtDelta(location.gmtDelta);
  InstanceField<intptr_t>(zone, gTimeZoneClass, kTotalOffset) = delta.totalSeconds;
  InstanceField<intptr_t>(zone, gTimeZoneClass, kSecondsOffset) = delta.seconds;
  InstanceField<intptr_t>(zone, gTimeZoneClass, kMinutesOffset) = delta.minutes;
  InstanceField<intptr_t>(zone, gTimeZoneClass, kHoursOffset) = delta.hours;
  InstanceField<double>(zone, gTimeZoneClass, kLatitudeOffset) = platform::Frac2X(location.latitude);
  InstanceField<double>(zone, gTimeZoneClass, kLongitudeOffset) = platform::Frac2X(location.longitude);
}

double LatitudeGetter(HostObject zone) {
  return InstanceField<double>(zone, gTimeZoneClass, kLatitudeOffset);
}

double LongitudeGetter(HostObject zone) {
  return InstanceField<double>(zone, gTimeZoneClass, kLongitudeOffset);
}

}  // namespace qrv
