#include "app/single_copy.h"

#include "runtime/core/files.h"

namespace tovra {

// The folder itself, not a file in it: a lock file can be removed as stale while its copy runs,
// or belong to another user who started Tovra with sudo, and either let a second copy in.
std::unique_ptr<rt::InstanceLock> LockPreferencesFolder() {
  auto folder = rt::SpecialFolder::Preferences();
  return std::make_unique<rt::InstanceLock>(folder ? folder->Path() : std::filesystem::path());
}

}  // namespace tovra
