// Tovra runs once per preferences folder: two copies would each save their own whole store over
// the other's, and only one of them can have the hot key.
#pragma once

#include <memory>

#include "runtime/core/instance_lock.h"

namespace tovra {

// The lock on this user's preferences folder, held until the process ends. Its state is
// kHeldElsewhere when a copy of Tovra on that folder runs already, whoever started it.
std::unique_ptr<rt::InstanceLock> LockPreferencesFolder();

}  // namespace tovra
