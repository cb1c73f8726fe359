// Instances and references for bundles.
#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/boundary.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {
HostObjectRecord *Object(HostObject o) { return static_cast<HostObjectRecord *>(o); }
}  // namespace

extern "C" HostObject PluginNewInstance(const char *className) noexcept {
  if (!className) return nullptr;
  return rt::AtBoundary<HostObject>(nullptr, [&] { return rt::NewHostInstance(className); });
}

extern "C" void REALLockObject(HostObject object) noexcept { rt::LockHostObject(Object(object)); }

extern "C" void REALUnlockObject(HostObject object) noexcept {
  rt::AtBoundary([&] { rt::UnlockHostObject(Object(object)); });
}
