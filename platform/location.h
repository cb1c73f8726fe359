// The machine location: where the system time zone lies and how far it is from GMT.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

using Fract = int32_t;  // 2.30 fixed point

double Frac2X(Fract value);
Fract X2Frac(double value);

struct MachineLocation {
  Fract latitude;   // fraction of 90 degrees, north positive
  Fract longitude;  // fraction of 90 degrees, east positive
  // Low 24 bits: seconds east of GMT, signed; high byte: 0x80 while daylight saving is on.
  int32_t gmtDelta;
};

// The location of the system time zone's main city, and its current GMT delta.
void ReadLocation(MachineLocation *location);

// Parts of ReadLocation, kept apart so each can be checked on its own.
int32_t GmtDeltaField(long secondsEastOfGmt, bool daylightSaving);
std::string SystemTimeZoneName();
struct Coordinates {
  double latitudeDegrees;
  double longitudeDegrees;
};
// "+DDMM+DDDMM" or "+DDMMSS+DDDMMSS" as the time zone tables write them.
std::optional<Coordinates> ParseZoneCoordinates(std::string_view text);
// The coordinates of `zone` in a zone table (zone.tab or zone1970.tab).
std::optional<Coordinates> FindZoneCoordinates(const std::string &tablePath, std::string_view zone);

}  // namespace platform
