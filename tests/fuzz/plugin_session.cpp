#include "tests/fuzz/plugin_session.h"

#include <gtest/gtest.h>

#include "tests/fuzz/fuzz_input.h"
#include "tests/plugin/bundle.h"

namespace fuzz {
namespace {

// The fake host reports misuse as test failures; no test runs here, so a failure ends the run.
class AbortOnFailure : public ::testing::EmptyTestEventListener {
  void OnTestPartResult(const ::testing::TestPartResult &result) override {
    Check(!result.failed(), result.message());
  }
};

struct Listening {
  Listening() { ::testing::UnitTest::GetInstance()->listeners().Append(new AbortOnFailure); }
};

// The listener is in place before the bundle loads.
struct Session : Listening {
  fake::LoadedPlugin plugin;
};

}  // namespace

fake::Host &PluginHost() {
  static Session session;
  return session.plugin.host;
}

HeldReferences StartInput() {
  fake::Host &host = PluginHost();
  host.ForgetCalls();
  return {host.LiveStrings(), host.LiveObjects()};
}

void CheckAllGivenBack(const HeldReferences &before) {
  Check(PluginHost().LiveStrings() == before.strings, "a string reference was not given back");
  Check(PluginHost().LiveObjects() == before.objects, "an object reference was not given back");
}

}  // namespace fuzz
