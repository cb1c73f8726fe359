#include "app/hotkey/plugin_object.h"

#include <string>

#include "runtime/core/errors.h"
#include "runtime/core/host_objects.h"

namespace tovra {

using ObjectFunction = void (*)(HostObject);

PluginObject::PluginObject(const char *className, PluginEntry exit, std::optional<PluginEntry> init)
    : object_(rt::NewHostInstance(className, !init)), exit_(exit) {
  if (!object_) {
    throw rt::RuntimeError(std::string("PluginClassMissing: no loaded plug-in provides the class ") +
                           className);
  }
  if (!init) return;
  try {
    PluginFunction<ObjectFunction>(*init)(object_);
  } catch (...) {
    // Never constructed, so nothing may run its destructor.
    rt::MarkDestructed(object_);
    rt::UnlockHostObject(object_);
    throw;
  }
}

PluginObject::~PluginObject() {
  try {
    PluginFunction<ObjectFunction>(exit_)(object_);
    rt::MarkDestructed(object_);
  } catch (const rt::RuntimeError &) {
    // No bound __exit (a destructor cannot raise): the runtime runs the class's own destructor
    // when this last reference goes, so a registration still ends.
  }
  rt::UnlockHostObject(object_);
}

}  // namespace tovra
