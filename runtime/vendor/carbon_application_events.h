// CarbonApplicationEventsQRV: the application events listener. After Listen, each press of a hot
// key that a CarbonHotKeyQRV registered raises HotKeyPressed(signature, id) on the object, on
// the event loop, through the object's event sink.
#pragma once

#include <cstdint>

namespace rt::vendor {

void RegisterCarbonApplicationEvents();

// A registered hot key was pressed: queues HotKeyPressed for every listening object.
void RaiseHotKeyPressed(intptr_t signature, intptr_t id);

}  // namespace rt::vendor
