#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "runtime/plugin_host/plugin_host.h"

namespace rt {

void RegisterMemoryBlockClass();
void RegisterFolderItemClass();

void RegisterHostClasses() {
  RegisterMemoryBlockClass();
  RegisterFolderItemClass();
}

void LoadPluginBundles(const std::filesystem::path &folder) {
  RegisterHostClasses();
  std::error_code ec;
  std::vector<std::filesystem::path> bundles;
  for (const auto &entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".so") bundles.push_back(entry.path());
  }
  std::sort(bundles.begin(), bundles.end());
  for (const auto &path : bundles) {
    // Kept open for the life of the process: the registry points into it.
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) continue;
    auto entry = reinterpret_cast<PluginMainFunction>(dlsym(handle, "REALPluginMain"));
    if (entry) entry(&ResolveHostCallback);
  }
}

}  // namespace rt
