// Timing and yielding as the Mac OS offers them, on the monotonic clock.
#pragma once

#include <cstdint>

namespace platform {

using AbsoluteTime = uint64_t;  // nanoseconds of CLOCK_MONOTONIC
using Nanoseconds = uint64_t;
// Positive: milliseconds; negative: microseconds.
using Duration = int32_t;

AbsoluteTime UpTime();
// left - right; 0 when right is later.
Nanoseconds AbsoluteDeltaToNanoseconds(AbsoluteTime left, AbsoluteTime right);
AbsoluteTime AddDurationToAbsolute(Duration duration, AbsoluteTime time);

// Lets other threads of any process run.
int32_t MPYield();
// Sleeps until the deadline has passed.
int32_t MPDelayUntil(const AbsoluteTime *deadline);
// There are no cooperative threads here, so nothing else can run.
int32_t YieldToAnyThread();

}  // namespace platform
