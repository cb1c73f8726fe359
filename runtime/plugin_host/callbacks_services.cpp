// The runtime's services for bundles: its version and giving it time.
#include "runtime/core/runtime.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {
// Bundles compare this with 5.0, 5.4, 5.9 and 2006.04 to pick record forms; this host takes
// the newest of each (four-word method records, shared methods in the class record).
constexpr double kHostVersion = 2026.0;
}  // namespace

extern "C" double REALGetRBVersion() noexcept { return kHostVersion; }

// A yield point, never a handler: a bundle's busy loop must not re-enter the application.
extern "C" void REALYieldToRB() noexcept { rt::YieldPoint(); }

// There are no movies to give time to.
extern "C" void REALenterMovies() noexcept {}
