#include "app/hotkey/carbon_hot_key.h"

#include "runtime/core/errors.h"
#include "runtime/core/host_objects.h"

namespace tovra {

CarbonHotKeyQRV::CarbonHotKeyQRV() : object_("CarbonHotKeyQRV", kCarbonHotKeyExit) {}

void CarbonHotKeyQRV::AddKey(intptr_t keycode, intptr_t keymodifier, intptr_t hotkeysignature,
                             intptr_t hotkeyid) {
  using AddKeyFunction = void (*)(HostObject, intptr_t, intptr_t, intptr_t, intptr_t);
  PluginFunction<AddKeyFunction>(kCarbonHotKeyAddKey)(Object(), keycode, keymodifier, hotkeysignature,
                                                      hotkeyid);
}

intptr_t CarbonHotKeyQRV::LastError() const {
  intptr_t value = 0;
  if (!rt::GetIntegerProperty(Object(), "LastError", value)) {
    throw rt::RuntimeError("PluginMemberMissing: CarbonHotKeyQRV has no property LastError");
  }
  return value;
}

}  // namespace tovra
