// Tovra runs once per preferences folder: two copies would each save their own whole store over
// the other's, and only one of them can have the hot key. A second start brings up the running
// copy's search window instead, as opening a running application does.
#pragma once

#include <memory>

#include "runtime/core/backend.h"
#include "runtime/core/instance_lock.h"
#include "runtime/core/instance_signal.h"

namespace tovra {

// The lock on this user's preferences folder, held until the process ends. Its state is
// kHeldElsewhere when a copy of Tovra on that folder runs already, whoever started it.
std::unique_ptr<rt::InstanceLock> LockPreferencesFolder();

// Where the copy that holds the lock hears of second starts.
std::unique_ptr<rt::InstanceListener> ListenForSecondStarts();
// From now on, each second start of this user brings up the search window, until the backend
// stops watching the listener.
void AnswerSecondStarts(rt::Backend &backend, rt::InstanceListener &listener);

// A second start: the copy of this user that runs on the folder brings up its search window. Never
// waits on it; a copy of another user is not told.
void BringUpRunningCopy();

}  // namespace tovra
