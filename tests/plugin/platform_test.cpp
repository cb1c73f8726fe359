// The platform layer's pieces whose answers do not depend on the machine.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/fonts.h"
#include "platform/location.h"
#include "platform/time.h"

namespace {

TEST(Location, ZoneTableCoordinatesAreDegreesMinutesAndSeconds) {
  const auto berlin = platform::ParseZoneCoordinates("+5230+01322");
  ASSERT_TRUE(berlin);
  EXPECT_DOUBLE_EQ(berlin->latitudeDegrees, 52.5);
  EXPECT_NEAR(berlin->longitudeDegrees, 13 + 22 / 60.0, 1e-12);
  const auto honolulu = platform::ParseZoneCoordinates("+211825-1575130");
  ASSERT_TRUE(honolulu);
  EXPECT_NEAR(honolulu->latitudeDegrees, 21 + 18 / 60.0 + 25 / 3600.0, 1e-12);
  EXPECT_NEAR(honolulu->longitudeDegrees, -(157 + 51 / 60.0 + 30 / 3600.0), 1e-12);
  EXPECT_FALSE(platform::ParseZoneCoordinates("5230+01322"));
  EXPECT_FALSE(platform::ParseZoneCoordinates("+52x0+01322"));
}

TEST(Location, ZoneIsFoundByNameInATable) {
  const std::string table = ::testing::TempDir() + "qrv-zone.tab";
  std::ofstream(table) << "# comment\nDE\t+5230+01322\tEurope/Berlin\n"
                       << "US\t+404251-0740023\tAmerica/New_York\tEastern (most areas)\n";
  const auto newYork = platform::FindZoneCoordinates(table, "America/New_York");
  ASSERT_TRUE(newYork);
  EXPECT_NEAR(newYork->latitudeDegrees, 40.714, 1e-3);
  EXPECT_FALSE(platform::FindZoneCoordinates(table, "Europe/Paris"));
}

TEST(Location, GmtDeltaKeepsSignedSecondsBelowTheDaylightByte) {
  EXPECT_EQ(platform::GmtDeltaField(-18000, false), 0x00FFB9B0);
  EXPECT_EQ(platform::GmtDeltaField(19800, true), static_cast<int32_t>(0x80004D58));
  EXPECT_DOUBLE_EQ(platform::Frac2X(platform::X2Frac(0.5)), 0.5);
  EXPECT_DOUBLE_EQ(platform::Frac2X(0x40000000), 1.0);
}

TEST(Time, DurationsAreMillisecondsOrNegativeMicroseconds) {
  EXPECT_EQ(platform::AddDurationToAbsolute(10, 1000), 1000 + 10'000'000u);
  EXPECT_EQ(platform::AddDurationToAbsolute(-10, 1000), 1000 + 10'000u);
  EXPECT_EQ(platform::AbsoluteDeltaToNanoseconds(5, 9), 0u);
  EXPECT_EQ(platform::AbsoluteDeltaToNanoseconds(9, 5), 4u);
}

TEST(Fonts, ClassicFamiliesByNumberAndByNameInAnyCase) {
  platform::Str255 name{};
  platform::GetFontName(4, name);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(name + 1), name[0]), "Monaco");
  platform::GetFontName(999, name);
  EXPECT_EQ(name[0], 0);
  const unsigned char helvetica[] = "\x09HELVETICA";
  int16_t number = -1;
  platform::GetFNum(helvetica, &number);
  EXPECT_EQ(number, 21);
  const unsigned char unknown[] = "\x04Nope";
  platform::GetFNum(unknown, &number);
  EXPECT_EQ(number, 0);
}

}  // namespace
