#include "runtime/plugin_host/host_classes.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {

void RegisterHostClasses() {
  RegisterMemoryBlockClass();
  RegisterFolderItemClass();
}

}  // namespace rt
