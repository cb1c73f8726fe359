// Delays, sound, cursor, time zone and the standard streams.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/cursor.h"
#include "plugin/system.h"
#include "plugin/time_zone.h"
#include "tests/plugin/bundle.h"

namespace {

using fake::Host;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

class Delay : public fake::PluginTest {
 protected:
  void (*delay)(double) = host.Global<void(double)>("DelayQRV(time as double)");
  void (*delayWithMode)(double, intptr_t) =
      host.Global<void(double, intptr_t)>("DelayQRV(time as double, mode as integer)");
};

// Each pass of a wait yields to the host unless the mode says not to: no yield, no pass.
TEST_F(Delay, NothingToWaitReturnsAtOnceWithoutYielding) {
  delay(0);
  delay(-1);
  delay(0.0005);  // truncates to 0 milliseconds
  EXPECT_EQ(host.Calls("REALYieldToRB"), 0);
  delay(0.001);
  EXPECT_GT(host.Calls("REALYieldToRB"), 0) << "a millisecond is waited for";
}

TEST_F(Delay, WaitsItsWholeMillisecondsWhileYieldingToTheHost) {
  const Clock::time_point start = Clock::now();
  delay(0.0509);
  const double elapsed = SecondsSince(start);
  EXPECT_GE(elapsed, 0.050);
  EXPECT_LT(elapsed, 0.5);
  EXPECT_GT(host.Calls("REALYieldToRB"), 0);
}

TEST_F(Delay, ModeBitsKeepStepsOut) {
  const Clock::time_point start = Clock::now();
  delayWithMode(0.03, 0x02);
  EXPECT_GE(SecondsSince(start), 0.030);
  EXPECT_EQ(host.Calls("REALYieldToRB"), 0);
  const Clock::time_point spin = Clock::now();
  delayWithMode(0.015, 0x3F);
  EXPECT_GE(SecondsSince(spin), 0.015);
}

// Half of all times written in whole milliseconds are a hair below them as doubles (0.03 is
// 0.0299999999999999989): the product with 1000 must round to the count before it is cut.
TEST_F(Delay, NeverEndsBeforeItsWholeMilliseconds) {
  auto expectNotEarly = [](auto wait, int milliseconds) {
    const int64_t start = MonotonicNanoseconds();
    wait(milliseconds / 1000.0);
    const int64_t elapsed = MonotonicNanoseconds() - start;
    EXPECT_GE(elapsed, int64_t{milliseconds} * 1'000'000) << milliseconds << " ms";
  };
  for (int milliseconds = 1; milliseconds <= 24; ++milliseconds) {
    expectNotEarly([&](double time) { delayWithMode(time, 0x3F); }, milliseconds);
  }
  for (int milliseconds : {15, 22, 30}) {
    expectNotEarly(delay, milliseconds);
  }
}

TEST(Sound, WithoutAnOutputDeviceGettersFallBackAndSettersChangeNothing) {
  fake::LoadedPlugin plugin;
  const Host &host = plugin.host;
  host.Global<void(double)>("SetSoundVolumeQRV(percent as double)")(0.5);
  host.Global<void(double)>("SetSoundVolumeLeftQRV(percent as double)")(0.5);
  host.Global<void(double)>("SetSoundVolumeRightQRV(percent as double)")(50);
  host.Global<void(bool)>("SetSoundMuteQRV(mute as boolean)")(true);
  EXPECT_EQ(host.Global<double()>("GetSoundVolumeQRV as double")(), 0.0);
  EXPECT_EQ(host.Global<double()>("GetSoundVolumeLeftQRV as double")(), 0.0);
  EXPECT_EQ(host.Global<double()>("GetSoundVolumeRightQRV as double")(), 0.0);
  EXPECT_FALSE(host.Global<bool()>("GetSoundMuteQRV as boolean")());
}

TEST(Cursor, HideAndShowBalanceAndShowNeverGoesAboveVisible) {
  qrv::HideCursorQRV();
  qrv::HideCursorQRV();
  EXPECT_EQ(platform::CursorLevel(), -2);
  qrv::ShowCursorQRV();
  qrv::ShowCursorQRV();
  qrv::ShowCursorQRV();
  EXPECT_EQ(platform::CursorLevel(), 0);
  qrv::ObscureCursorQRV();
  qrv::FlashMenuBarQRV();
  EXPECT_EQ(platform::CursorLevel(), 0);
  EXPECT_EQ(qrv::GetDoubleClickIntervalQRV(), 24);  // 400 ms in ticks
}

TEST(TimeZone, GmtDeltaIsASigned24BitCountSplitTowardZero) {
  struct Case {
    int32_t field;
    qrv::GmtDelta expected;
  };
  const Case cases[] = {
      {0x00FFB9B0, {-18000, -5, 0, 0}},
      {static_cast<int32_t>(0x80FFB9B0), {-18000, -5, 0, 0}},  // daylight byte dropped
      {0x00FFF1B3, {-3661, -1, -1, -1}},
      {0x00004D58, {19800, 5, 30, 0}},
      {static_cast<int32_t>(0xFF004D58), {19800, 5, 30, 0}},
  };
  for (const Case &c : cases) {
    const qrv::GmtDelta delta = qrv::SplitGmtDelta(c.field);
    EXPECT_EQ(delta.totalSeconds, c.expected.totalSeconds) << std::hex << c.field;
    EXPECT_EQ(delta.hours, c.expected.hours) << std::hex << c.field;
    EXPECT_EQ(delta.minutes, c.expected.minutes) << std::hex << c.field;
    EXPECT_EQ(delta.seconds, c.expected.seconds) << std::hex << c.field;
  }
}

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char *zone) {
    if (const char *old = std::getenv("TZ")) {
      old_ = old;
    }
    setenv("TZ", zone, 1);
  }
  ~ScopedTimeZone() {
    if (old_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", old_.c_str(), 1);
    }
  }

 private:
  std::string old_;
};

TEST(TimeZone, NewInstanceReadsTheSystemZone) {
  fake::LoadedPlugin plugin;
  ScopedTimeZone zone("XXX1:01:01");  // 3661 seconds west of GMT, no daylight saving
  HostObject instance = plugin.host.NewInstance("TimeZoneQRV");
  auto field = [&](size_t offset) { return plugin.host.Field<intptr_t>(instance, "TimeZoneQRV", offset); };
  EXPECT_EQ(field(0), -3661);
  EXPECT_EQ(field(4), -1);
  EXPECT_EQ(field(8), -1);
  EXPECT_EQ(field(12), -1);
  auto latitude = reinterpret_cast<double (*)(HostObject)>(plugin.host.Property("TimeZoneQRV", "Latitude")->getter);
  EXPECT_EQ(latitude(instance), 0.0);  // no such zone in the zone tables
  plugin.host.ReleaseObject(instance);
}

class StandardStreams : public fake::PluginTest {
 protected:
  HostString (*read)(HostObject, intptr_t) = host.Method<HostString(HostObject, intptr_t)>("StdinQRV", "Read(count as integer) as string");
  void (*write)(HostObject, HostString) = host.Method<void(HostObject, HostString)>("StdoutQRV", "Write(data as string)");
};

TEST_F(StandardStreams, ReadTakesUpToCountBytesAndNilAtTheEnd) {
  const std::string path = ::testing::TempDir() + "qrv-stdin";
  std::ofstream(path) << "hello";
  ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
  HostObject stream = host.NewInstance("StdinQRV");
  EXPECT_EQ(read(stream, 0), nullptr);
  EXPECT_EQ(read(stream, -3), nullptr);
  HostString first = read(stream, 3);
  EXPECT_EQ(Host::Text(first), "hel");
  EXPECT_EQ(Host::Encoding(first), HOST_ENCODING_NONE);
  HostString rest = read(stream, 10);
  EXPECT_EQ(Host::Text(rest), "lo");
  EXPECT_EQ(read(stream, 10), nullptr);
  host.Release(first);
  host.Release(rest);
  host.ReleaseObject(stream);
  std::freopen("/dev/null", "r", stdin);
}

TEST_F(StandardStreams, WriteSendsTheBytesAndNothingForNil) {
  const std::string path = ::testing::TempDir() + "qrv-stdout";
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(file, STDOUT_FILENO);
  HostObject stream = host.NewInstance("StdoutQRV");
  HostString text = host.MakeString(std::string("a\0b", 3));
  HostString empty = host.MakeString("");
  write(stream, nullptr);
  write(stream, empty);
  write(stream, text);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  close(file);
  std::ifstream written(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), std::string("a\0b", 3));
  host.Release(text);
  host.Release(empty);
  host.ReleaseObject(stream);
}

}  // namespace
