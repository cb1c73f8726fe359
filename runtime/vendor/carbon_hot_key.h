// CarbonHotKeyQRV: one system-wide hot key per object. A fresh object registers nothing;
// AddKey(keycode, keymodifier, hotkeysignature, hotkeyid) registers a Mac virtual key code and
// modifier mask through the backend and sets LastError (0 on success, read straight from the
// instance data); destroying the object ends its registration.
#pragma once

#include <cstdint>
#include <optional>

#include "abi/host_abi.h"

namespace rt::vendor {

void RegisterCarbonHotKey();

// Carbon's answer when a key combination cannot be had; LastError after a refused AddKey.
inline constexpr intptr_t kHotKeyExistsError = -9878;

struct HotKeyRegistration {
  intptr_t keyCode;
  intptr_t modifierMask;
  intptr_t signature;
  intptr_t id;
};

// The key that `object` holds registered now, if any.
std::optional<HotKeyRegistration> ActiveHotKeyOf(HostObjectRecord *object);

}  // namespace rt::vendor
