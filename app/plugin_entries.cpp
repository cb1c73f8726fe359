#include "app/plugin_entries.h"

#include <string>

#include "runtime/core/declarations.h"
#include "runtime/core/errors.h"

namespace tovra {

const char *const kPluginDeclarations[kPluginEntryCount] = {
    "UseQRVCFPlugin",
    "CarbonApplicationEventsQRV.__init",
    "CarbonApplicationEventsQRV.__exit",
    "CarbonApplicationEventsQRV.Listen",
    "CarbonHotKeyQRV.__exit",
    ("CarbonHotKeyQRV.AddKey(keycode as integer, keymodifier as integer, hotkeysignature as "
     "integer, hotkeyid as integer)"),
    "OSTypeFromStringQRV(str as string) as integer",
    "application.FrontmostQRV as Boolean.Set",
};

namespace {
void **entryTable = nullptr;
}

void _InitPluginEntrypoints() {
  entryTable = rt::RuntimeAllocatePluginEntrypointsTable(kPluginEntryCount);
  for (size_t k = 0; k < kPluginEntryCount; ++k) {
    entryTable[k] = rt::RuntimeLookupPluginEntrypoint(kPluginDeclarations[k]);
  }
}

void *PluginEntryPoint(PluginEntry entry) {
  void *function = entryTable ? entryTable[entry] : nullptr;
  if (!function) {
    throw rt::RuntimeError(std::string("PluginMemberMissing: no loaded plug-in provides \"") +
                           kPluginDeclarations[entry] + "\"");
  }
  return function;
}

}  // namespace tovra
