// One instance of a plug-in class that the application owns. It is destroyed through the
// class's __exit entry of the entry table, as the application destroys every plug-in object.
#pragma once

#include <optional>

#include "abi/host_abi.h"
#include "app/plugin_entries.h"

namespace tovra {

class PluginObject {
 public:
  // With `init`, the application constructs the object through that entry, the way a subclass
  // constructs its base part; without, the runtime runs the class's constructor. A class no
  // loaded plug-in registered is a runtime error.
  PluginObject(const char *className, PluginEntry exit, std::optional<PluginEntry> init = std::nullopt);
  ~PluginObject();
  PluginObject(const PluginObject &) = delete;
  PluginObject &operator=(const PluginObject &) = delete;

  HostObjectRecord *Get() const { return object_; }

 private:
  HostObjectRecord *object_;
  PluginEntry exit_;
};

}  // namespace tovra
