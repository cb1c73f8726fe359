// One running copy per lock file.
#pragma once

#include <filesystem>

namespace rt {

// An flock on a file, held while this object lives. The kernel drops it with the process
// however the process ends, so a copy that was killed or crashed never blocks the next start.
class InstanceLock {
 public:
  enum class State {
    kHeld,           // this process is the running copy
    kHeldElsewhere,  // another process holds the lock
    kUnavailable,    // no lock could be made here (no such folder, not a regular file)
  };

  explicit InstanceLock(const std::filesystem::path &lockFile);
  ~InstanceLock();
  InstanceLock(const InstanceLock &) = delete;
  InstanceLock &operator=(const InstanceLock &) = delete;

  State state() const { return state_; }

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
};

}  // namespace rt
