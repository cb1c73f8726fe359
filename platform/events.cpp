#include "platform/events.h"

#include "platform/time.h"

namespace platform {

bool WaitNextEvent(uint16_t, EventRecord *event, uint32_t sleepTicks, const void *) {
  if (event != nullptr) {
    *event = EventRecord{};
  }
  const AbsoluteTime deadline = UpTime() + uint64_t{sleepTicks} * 1'000'000'000 / 60;
  MPDelayUntil(&deadline);
  return false;
}

void MoviesTask(const void *, int32_t) {}

}  // namespace platform
