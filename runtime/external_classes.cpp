#include "runtime/external_classes.h"

#include "runtime/plugin_host/plugin_host.h"
#include "runtime/vendor/vendor_components.h"

namespace rt {

void InitExternalClasses(const std::filesystem::path &pluginFolder) {
  RegisterVendorComponents();
  LoadPluginBundles(pluginFolder);
}

}  // namespace rt
