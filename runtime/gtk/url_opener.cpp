#include "runtime/gtk/url_opener.h"

#include <glib.h>
#include <signal.h>
#include <spawn.h>

extern char **environ;

namespace rt::gtk {

bool OpenWithDesktop(const std::string &url) {
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // The opener starts with the signals as a fresh program has them, whatever GLib changed here.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string program = "xdg-open";
  std::string argument = url;
  char *argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  int failed = posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (failed) return false;
  g_child_watch_add(pid, [](GPid child, gint, gpointer) { g_spawn_close_pid(child); }, nullptr);
  return true;
}

}  // namespace rt::gtk
