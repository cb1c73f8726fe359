#include "platform/time.h"

#include <sched.h>
#include <time.h>

#include <cerrno>

namespace platform {
namespace {

constexpr uint64_t kNanosecondsPerSecond = 1'000'000'000;

timespec ToTimespec(AbsoluteTime time) {
  timespec spec{};
  spec.tv_sec = static_cast<time_t>(time / kNanosecondsPerSecond);
  spec.tv_nsec = static_cast<long>(time % kNanosecondsPerSecond);
  return spec;
}

}  // namespace

AbsoluteTime UpTime() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * kNanosecondsPerSecond +
         static_cast<uint64_t>(now.tv_nsec);
}

Nanoseconds AbsoluteDeltaToNanoseconds(AbsoluteTime left, AbsoluteTime right) {
  return left > right ? left - right : 0;
}

AbsoluteTime AddDurationToAbsolute(Duration duration, AbsoluteTime time) {
  const int64_t nanoseconds = duration >= 0 ? int64_t{duration} * 1'000'000
                                            : -int64_t{duration} * 1'000;
  return time + static_cast<uint64_t>(nanoseconds);
}

int32_t MPYield() {
  sched_yield();
  return 0;
}

int32_t MPDelayUntil(const AbsoluteTime *deadline) {
  const timespec until = ToTimespec(*deadline);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
  return 0;
}

int32_t YieldToAnyThread() { return 0; }

}  // namespace platform
