#include "app/single_copy.h"

#include "runtime/core/files.h"

namespace tovra {

std::unique_ptr<rt::InstanceLock> LockPreferencesFolder() {
  auto folder = rt::SpecialFolder::Preferences();
  return std::make_unique<rt::InstanceLock>(folder ? folder->Path() / kInstanceLockFileName
                                                   : std::filesystem::path());
}

}  // namespace tovra
