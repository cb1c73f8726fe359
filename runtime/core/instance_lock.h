// One running copy per folder.
#pragma once

#include <filesystem>

namespace rt {

// An flock on a folder itself, held while this object lives. Nothing in the folder can be removed
// to lift it, and any user who may read the folder meets it. The kernel drops it with the
// process however the process ends, so a copy that was killed or crashed never blocks the next
// start.
class InstanceLock {
 public:
  enum class State {
    kHeld,           // this process is the running copy
    kHeldElsewhere,  // another process holds the lock
    kUnavailable,    // no lock could be had (no such folder, not a folder, no locks there)
  };

  explicit InstanceLock(const std::filesystem::path &folder);
  ~InstanceLock();
  InstanceLock(const InstanceLock &) = delete;
  InstanceLock &operator=(const InstanceLock &) = delete;

  State state() const { return state_; }

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
};

}  // namespace rt
