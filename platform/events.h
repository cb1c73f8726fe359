// The Event Manager's wait and QuickTime's movie task. This process has no Mac event queue and
// no movies, so waiting only sleeps and the movie task has nothing to serve.
#pragma once

#include <cstdint>

namespace platform {

struct EventRecord {
  uint16_t what;
  uintptr_t message;
  uint32_t when;
  int16_t whereV;
  int16_t whereH;
  uint16_t modifiers;
};

// Sleeps `sleepTicks` sixtieths of a second and reports no event (a null event in *event).
bool WaitNextEvent(uint16_t eventMask, EventRecord *event, uint32_t sleepTicks, const void *mouseRegion);
void MoviesTask(const void *movie, int32_t maxMilliseconds);

}  // namespace platform
