#include "runtime/core/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace rt {

// Close-on-exec: a program the running copy starts (the URL opener, a browser it leaves behind)
// must not keep the lock after the copy is gone. O_DIRECTORY and O_NONBLOCK: whatever else sits
// at the path, opening it fails at once and never waits.
InstanceLock::InstanceLock(const std::filesystem::path &folder) {
  if (folder.empty()) return;
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) return;
  int result;
  do {
    result = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) {
    state_ = State::kHeld;
  } else if (errno == EWOULDBLOCK) {
    state_ = State::kHeldElsewhere;
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace rt
