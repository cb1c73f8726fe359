#include "runtime/core/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace rt {

// Close-on-exec: a program the running copy starts (the URL opener, a browser it leaves behind)
// must not keep the lock after the copy is gone. Non-blocking and no link followed: whatever
// sits at the path, opening it never waits and never creates a file elsewhere.
InstanceLock::InstanceLock(const std::filesystem::path &lockFile) {
  if (lockFile.empty()) return;
  constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
  fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
  if (fd_ < 0 && (errno == EACCES || errno == EROFS)) fd_ = ::open(lockFile.c_str(), O_RDONLY | kFlags);
  if (fd_ < 0) return;
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return;
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
