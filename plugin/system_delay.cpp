#include <cmath>
#include <cstdint>

#include "platform/events.h"
#include "platform/time.h"
#include "plugin/host_callbacks.h"
#include "plugin/system.h"

namespace qrv {
namespace {

enum DelayModeBit : intptr_t {
  kNoPreemptiveYield = 0x01,
  kNoHostYield = 0x02,
  kNoThreadYield = 0x04,
  kNoMoviesTask = 0x08,
  kNoShortSleep = 0x10,
  kNoEventWait = 0x20,
};

double RemainingSeconds(platform::AbsoluteTime deadline) {
  const platform::AbsoluteTime now = platform::UpTime();
  if (deadline <= now) {
    return 0.0;
  }
  return static_cast<double>(platform::AbsoluteDeltaToNanoseconds(deadline, now)) / 1e9;
}

// The deadline arithmetic takes a signed 32-bit count of milliseconds; longer waits are cut to
// the longest it can express. The product is rounded once to a double before it is cut, whatever
// width the FPU computes in: kept at the x87's 80 bits, 0.03 x 1000 is 29.99999999999999889 and
// the wait would end a millisecond early.
platform::Duration WholeMilliseconds(double seconds) {
  const double milliseconds = std::trunc(std::fma(seconds, 1000.0, 0.0));
  return milliseconds >= INT32_MAX ? INT32_MAX : static_cast<platform::Duration>(milliseconds);
}

}  // namespace

void DelayQRV(double time) { DelayWithModeQRV(time, 0); }

// Each pass lets other work run; the pass sleeps a tick while plenty of time remains and
// 10 milliseconds near the end, then spins so it ends close to the deadline.
void DelayWithModeQRV(double time, intptr_t mode) {
  if (!(time > 0.0)) {
    return;
  }
  const platform::AbsoluteTime deadline =
      platform::AddDurationToAbsolute(WholeMilliseconds(time), platform::UpTime());
  double remaining = RemainingSeconds(deadline);
  while (remaining > 0.0) {
    if ((mode & kNoPreemptiveYield) == 0) {
      platform::MPYield();
    }
    if ((mode & kNoHostYield) == 0) {
      HostYield();
    }
    if ((mode & kNoThreadYield) == 0) {
      platform::YieldToAnyThread();
    }
    if ((mode & kNoMoviesTask) == 0) {
      platform::MoviesTask(nullptr, 0);
    }
    if (remaining > 0.02) {
      if ((mode & kNoEventWait) == 0) {
        platform::EventRecord event{};
        platform::WaitNextEvent(0xFFFF, &event, 1, nullptr);
      }
    } else if (remaining > 0.01 && (mode & kNoShortSleep) == 0) {
      const platform::AbsoluteTime until = platform::AddDurationToAbsolute(10, platform::UpTime());
      platform::MPDelayUntil(&until);
    }
    remaining = RemainingSeconds(deadline);
  }
}

}  // namespace qrv
