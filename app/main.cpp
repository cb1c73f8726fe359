// Tovra: a resident utility that turns a typed line into a web search.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/single_copy.h"
#include "app/startup.h"

#ifdef TOVRA_HAVE_GTK
#include "runtime/gtk/gtk_backend.h"
#endif

static std::filesystem::path PluginFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::current_path() : exe.parent_path()) / "plugins";
}

int main(int argc, char **argv) {
  // Before the display is opened: a second start touches nothing of the first.
  auto lock = tovra::LockPreferencesFolder();
  if (lock->state() == rt::InstanceLock::State::kHeldElsewhere) {
    tovra::BringUpRunningCopy();
    std::fprintf(stderr, "Tovra is already running.\n");
    return 0;
  }
  // Made before the backend, so it is gone only after the backend has stopped watching it.
  std::unique_ptr<rt::InstanceListener> secondStarts;
  if (lock->state() == rt::InstanceLock::State::kHeld) secondStarts = tovra::ListenForSecondStarts();
  if (lock->state() == rt::InstanceLock::State::kUnavailable) {
    std::fprintf(stderr,
                 "Tovra cannot lock its preferences folder, so it cannot tell whether another copy "
                 "runs; it starts anyway.\n");
  }
#ifdef TOVRA_HAVE_GTK
  auto backend = rt::GtkBackend::Open(&argc, &argv);
  if (!backend) {
    std::fprintf(stderr, "Tovra needs an X11 display: set DISPLAY and start it again.\n");
    return 1;
  }
  return tovra::ProgramEntry(*backend, PluginFolder(), secondStarts.get());
#else
  (void)argc;
  (void)argv;
  (void)PluginFolder;
  std::fprintf(stderr, "This build of Tovra has no desktop backend (GTK 3 was missing).\n");
  return 1;
#endif
}
