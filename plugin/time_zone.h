// The GMT delta of the machine location, split as TimeZoneQRV shows it.
#pragma once

#include <cstdint>

namespace qrv {

struct GmtDelta {
  int32_t totalSeconds;
  int32_t hours;
  int32_t minutes;
  int32_t seconds;
};

// The low 24 bits of the field are signed seconds; its high byte (daylight saving) is dropped.
GmtDelta SplitGmtDelta(int32_t gmtDeltaField);

}  // namespace qrv
