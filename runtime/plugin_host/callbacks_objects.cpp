// Registration, instances and the runtime's services for bundles.
#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/runtime.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {
HostObjectRecord *Object(HostObject o) { return static_cast<HostObjectRecord *>(o); }

// Bundles compare this with 5.0, 5.4, 5.9 and 2006.04 to pick their record forms.
constexpr double kHostVersion = 2026.0;
}  // namespace

// Every bundle speaks the one interface version this runtime has.
extern "C" void RegisterPluginVersion(int32_t version) { (void)version; }

extern "C" void PluginRegisterMethod(PluginMethodRecord *record) {
  if (record && record->declaration && record->function) {
    rt::RegisterDeclaration(record->declaration, record->function);
  }
}

extern "C" void PluginRegisterClass(PluginClassRecord *record) { rt::RegisterHostClass(record); }

extern "C" void PluginRegisterClassExtension(PluginClassRecord *record) {
  rt::RegisterHostClassExtension(record);
}

extern "C" HostObject PluginNewInstance(const char *className) {
  return className ? rt::NewHostInstance(className) : nullptr;
}

extern "C" void REALLockObject(HostObject object) { rt::LockHostObject(Object(object)); }

extern "C" void REALUnlockObject(HostObject object) { rt::UnlockHostObject(Object(object)); }

extern "C" double REALGetRBVersion() { return kHostVersion; }

extern "C" void REALYieldToRB() { rt::YieldPoint(); }

// There are no movies to give time to.
extern "C" void REALenterMovies() {}
