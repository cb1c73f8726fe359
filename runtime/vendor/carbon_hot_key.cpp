#include "runtime/vendor/carbon_hot_key.h"

#include <cstddef>

#include "runtime/core/host_objects.h"
#include "runtime/core/runtime.h"
#include "runtime/vendor/carbon_application_events.h"

namespace rt::vendor {
namespace {

constexpr char kClassName[] = "CarbonHotKeyQRV";

// All zero in a fresh object: no error, no registration.
struct HotKeyData {
  intptr_t LastError;
  intptr_t handle;  // the backend's registration, 0 when none
  HotKeyRegistration key;
};

HotKeyData &DataOf(HostObject object) {
  return *static_cast<HotKeyData *>(InstanceData(static_cast<HostObjectRecord *>(object), kClassName));
}

void EndRegistration(HotKeyData &data) {
  // Once the runtime has stopped, its backend and every registration are gone already.
  if (data.handle != 0 && RuntimeRunning()) CurrentBackend().UnregisterHotKey(static_cast<int>(data.handle));
  data.handle = 0;
}

void AddKey(HostObject object, intptr_t keycode, intptr_t keymodifier, intptr_t hotkeysignature,
            intptr_t hotkeyid) {
  HotKeyData &data = DataOf(object);
  EndRegistration(data);  // one key per object: a further AddKey replaces the earlier one
  int handle = CurrentBackend().RegisterHotKey(
      static_cast<uint32_t>(keycode), static_cast<uint32_t>(keymodifier),
      [hotkeysignature, hotkeyid] { RaiseHotKeyPressed(hotkeysignature, hotkeyid); });
  data.handle = handle;
  data.LastError = handle != 0 ? 0 : kHotKeyExistsError;
  data.key = {keycode, keymodifier, hotkeysignature, hotkeyid};
}

void Destructor(HostObject object) { EndRegistration(DataOf(object)); }

PluginMethodRecord methods[] = {
    {reinterpret_cast<void *>(&AddKey), nullptr,
     "AddKey(keycode as integer, keymodifier as integer, hotkeysignature as integer, hotkeyid as "
     "integer)",
     0},
};

// Read-only, and read by the host straight from the instance data.
PluginPropertyRecord properties[] = {
    {.name = "LastError",
     .type = "Integer",
     .getter = PLUGIN_DIRECT_ACCESS,
     .param = offsetof(HotKeyData, LastError)},
};

PluginClassRecord record = {
    .version = 9,
    .name = kClassName,
    .dataSize = sizeof(HotKeyData),
    .destructor = reinterpret_cast<void *>(&Destructor),
    .properties = properties,
    .propertyCount = 1,
    .methods = methods,
    .methodCount = 1,
};

}  // namespace

void RegisterCarbonHotKey() { RegisterHostClass(&record); }

std::optional<HotKeyRegistration> ActiveHotKeyOf(HostObjectRecord *object) {
  if (!IsInstanceOf(object, kClassName)) return std::nullopt;
  const HotKeyData &data = DataOf(object);
  if (data.handle == 0) return std::nullopt;
  return data.key;
}

}  // namespace rt::vendor
