#include "platform/location.h"

#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace platform {
namespace {

constexpr double kFractOne = 1073741824.0;  // 1 << 30
constexpr double kDegreesPerFractOne = 90.0;

// "+DD[MM[SS]]" with the given count of degree digits; the sign is part of the text.
std::optional<double> ParseAngle(std::string_view text, size_t degreeDigits) {
  if (text.size() < 1 + degreeDigits + 2 || (text[0] != '+' && text[0] != '-')) {
    return std::nullopt;
  }
  double parts[3] = {0, 0, 0};
  const size_t widths[3] = {degreeDigits, 2, 2};
  size_t position = 1;
  for (size_t part = 0; part < 3 && position < text.size(); ++part) {
    if (position + widths[part] > text.size()) {
      return std::nullopt;
    }
    for (size_t i = 0; i < widths[part]; ++i) {
      const char c = text[position + i];
      if (c < '0' || c > '9') {
        return std::nullopt;
      }
      parts[part] = parts[part] * 10 + (c - '0');
    }
    position += widths[part];
  }
  const double degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
  return text[0] == '-' ? -degrees : degrees;
}

std::string ReadFirstLine(const char *path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

}  // namespace

double Frac2X(Fract value) { return value / kFractOne; }

Fract X2Frac(double value) {
  const double scaled = std::round(value * kFractOne);
  if (!(scaled > std::numeric_limits<Fract>::min())) {
    return std::numeric_limits<Fract>::min();
  }
  if (scaled >= std::numeric_limits<Fract>::max()) {
    return std::numeric_limits<Fract>::max();
  }
  return static_cast<Fract>(scaled);
}

int32_t GmtDeltaField(long secondsEastOfGmt, bool daylightSaving) {
  const auto seconds = static_cast<uint32_t>(secondsEastOfGmt) & 0x00FFFFFFu;
  return static_cast<int32_t>(seconds | (daylightSaving ? 0x80000000u : 0u));
}

std::string SystemTimeZoneName() {
  if (const char *tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
    return tz[0] == ':' ? tz + 1 : tz;
  }
  char target[4096];
  const ssize_t length = readlink("/etc/localtime", target, sizeof target - 1);
  if (length > 0) {
    const std::string path(target, static_cast<size_t>(length));
    const std::string marker = "zoneinfo/";
    if (const size_t at = path.rfind(marker); at != std::string::npos) {
      return path.substr(at + marker.size());
    }
  }
  return ReadFirstLine("/etc/timezone");
}

std::optional<Coordinates> ParseZoneCoordinates(std::string_view text) {
  const size_t split = text.find_first_of("+-", 1);
  if (split == std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<double> latitude = ParseAngle(text.substr(0, split), 2);
  const std::optional<double> longitude = ParseAngle(text.substr(split), 3);
  if (!latitude || !longitude) {
    return std::nullopt;
  }
  return Coordinates{*latitude, *longitude};
}

std::optional<Coordinates> FindZoneCoordinates(const std::string &tablePath, std::string_view zone) {
  std::ifstream table(tablePath);
  std::string line;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    // country codes, coordinates, zone name[, comment], tab-separated
    const size_t first = line.find('\t');
    const size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) {
      continue;
    }
    const size_t third = line.find('\t', second + 1);
    const std::string_view name = std::string_view(line).substr(
        second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    if (name == zone) {
      return ParseZoneCoordinates(std::string_view(line).substr(first + 1, second - first - 1));
    }
  }
  return std::nullopt;
}

void ReadLocation(MachineLocation *location) {
  tzset();  // localtime_r need not notice a changed TZ on its own
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  location->gmtDelta = GmtDeltaField(local.tm_gmtoff, local.tm_isdst > 0);

  std::optional<Coordinates> where;
  const std::string zone = SystemTimeZoneName();
  for (const char *table : {"/usr/share/zoneinfo/zone1970.tab", "/usr/share/zoneinfo/zone.tab"}) {
    if (!where && !zone.empty()) {
      where = FindZoneCoordinates(table, zone);
    }
  }
  location->latitude = where ? X2Frac(where->latitudeDegrees / kDegreesPerFractOne) : 0;
  location->longitude = where ? X2Frac(where->longitudeDegrees / kDegreesPerFractOne) : 0;
}

}  // namespace platform
