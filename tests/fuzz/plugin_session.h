// QRVUtil as built, loaded once and registered with the tests' fake host for a whole fuzz run.
#pragma once

#include <cstddef>

#include "tests/plugin/fake_host.h"

namespace fuzz {

// The host the bundle is registered with. Misuse the host notices (a reference to a dead
// object, say) ends the run as a crash.
fake::Host &PluginHost();

// The global the bundle registered under `declaration`; the run ends when there is none.
template <typename Signature>
Signature *PluginGlobal(const char *declaration) {
  return PluginHost().Global<Signature>(declaration);
}

struct HeldReferences {
  size_t strings = 0;
  size_t objects = 0;
};

// What the host holds as an input starts; the calls of earlier inputs are forgotten.
HeldReferences StartInput();
// Ends the run when the host holds more than `before`: every reference handed out came back.
void CheckAllGivenBack(const HeldReferences &before);

}  // namespace fuzz
