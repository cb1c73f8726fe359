// Start-up loading of the plug-in bundles of one folder.
#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

std::vector<std::filesystem::path> BundlesIn(const std::filesystem::path &folder) {
  std::vector<std::filesystem::path> bundles;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  // Stepping with an error code: a folder that goes away or cannot be read ends the list.
  for (; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".so") bundles.push_back(it->path());
  }
  std::sort(bundles.begin(), bundles.end());
  return bundles;
}

}  // namespace

void LoadPluginBundles(const std::filesystem::path &folder) {
  RegisterHostClasses();
  for (const auto &path : BundlesIn(folder)) {
    // Never closed: the registry and live objects point into the bundle.
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) continue;
    auto entry = reinterpret_cast<PluginMainFunction>(dlsym(handle, "REALPluginMain"));
    if (!entry) continue;
    try {
      entry(&ResolveHostCallback);
    } catch (...) {
      // A bundle that throws out of its entry keeps what it registered until then.
    }
  }
}

}  // namespace rt
