#include "app/single_copy.h"

#include "app/hotkey/hot_key_event_handler.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"

namespace tovra {
namespace {

std::filesystem::path PreferencesFolder() {
  auto folder = rt::SpecialFolder::Preferences();
  return folder ? folder->Path() : std::filesystem::path();
}

}  // namespace

// The folder itself, not a file in it: a lock file can be removed as stale while its copy runs,
// or belong to another user who started Tovra with sudo, and either let a second copy in.
std::unique_ptr<rt::InstanceLock> LockPreferencesFolder() {
  return std::make_unique<rt::InstanceLock>(PreferencesFolder());
}

std::unique_ptr<rt::InstanceListener> ListenForSecondStarts() {
  return std::make_unique<rt::InstanceListener>(PreferencesFolder());
}

void AnswerSecondStarts(rt::Backend &backend, rt::InstanceListener &listener) {
  if (listener.Descriptor() < 0) return;
  backend.WatchReadable(listener.Descriptor(), [&listener] {
    // A message box of the start-up runs the loop before there may be an application object.
    if (listener.TakeRequests() && rt::RuntimeAppObject()) BringUpSearchWindow();
  });
}

void BringUpRunningCopy() { rt::AskRunningCopyToComeForward(PreferencesFolder()); }

}  // namespace tovra
