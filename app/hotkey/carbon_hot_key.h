// The application's hot key registration object: a CarbonHotKeyQRV of the vendor plug-in,
// reached through the entry table. Dropping the last reference ends its registration.
#pragma once

#include <cstdint>

#include "app/hotkey/plugin_object.h"

namespace tovra {

class CarbonHotKeyQRV {
 public:
  CarbonHotKeyQRV();

  void AddKey(intptr_t keycode, intptr_t keymodifier, intptr_t hotkeysignature, intptr_t hotkeyid);
  // Read through the runtime's property access, not the entry table: 0 after a successful AddKey.
  intptr_t LastError() const;

  HostObjectRecord *Object() const { return object_.Get(); }

 private:
  PluginObject object_;
};

}  // namespace tovra
