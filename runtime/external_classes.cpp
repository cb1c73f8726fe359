#include "runtime/external_classes.h"

#include "runtime/vendor/vendor_components.h"

namespace rt {

void InitExternalClasses(const std::filesystem::path &pluginFolder) {
  // The plug-in bundles of `pluginFolder` and the vendor components register here.
  (void)pluginFolder;
  RegisterVendorComponents();
}

}  // namespace rt
