// The application's plug-in entry table: one entry per plug-in member it is built against,
// bound by declaration string at start-up and kept unchanged until the process ends.
#pragma once

#include <cstddef>

namespace tovra {

enum PluginEntry : size_t {
  kUseQRVCFPlugin,
  kCarbonApplicationEventsInit,
  kCarbonApplicationEventsExit,
  kCarbonApplicationEventsListen,
  kCarbonHotKeyExit,
  kCarbonHotKeyAddKey,
  kOSTypeFromString,
  kApplicationFrontmostSet,
  kPluginEntryCount
};

extern const char *const kPluginDeclarations[kPluginEntryCount];

void _InitPluginEntrypoints();

// The bound entry. A member no loaded plug-in registered is a runtime error here, never a call
// through an empty entry.
void *PluginEntryPoint(PluginEntry entry);

template <class Function>
Function PluginFunction(PluginEntry entry) {
  return reinterpret_cast<Function>(PluginEntryPoint(entry));
}

}  // namespace tovra
