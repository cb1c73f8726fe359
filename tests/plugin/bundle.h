// A fresh copy of the built QRVUtil.so for each test: every load starts with empty callback
// slots and an unasked host version, as a process that loads the bundle once does.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "abi/host_abi.h"
#include "tests/plugin/fake_host.h"

namespace fake {

class Bundle {
 public:
  Bundle();
  ~Bundle();
  Bundle(const Bundle &) = delete;
  Bundle &operator=(const Bundle &) = delete;

  void Main(HostCallbackResolver resolver) const { main_(resolver); }

 private:
  void *handle_ = nullptr;
  PluginMainFunction main_ = nullptr;
};

// A bundle loaded and registered with a fake host of the given version. The host goes before
// the bundle, so objects whose destructors live in the bundle are gone before it unloads.
struct LoadedPlugin {
  explicit LoadedPlugin(std::optional<double> version = kCurrentHost) : host(version) {
    bundle.Main(Host::Resolver());
  }
  Bundle bundle;
  Host host;
};

// Base of the tests that call handlers of a registered bundle on a current host.
class PluginTest : public ::testing::Test {
 protected:
  LoadedPlugin plugin;
  Host &host = plugin.host;
};

}  // namespace fake
