// The outside vendor components the application binds by declaration string: the global hot
// key CarbonHotKeyQRV, the application events listener CarbonApplicationEventsQRV, the
// application property FrontmostQRV and the global UseQRVCFPlugin.
#pragma once

namespace rt {

// Registers them in the declaration registry, before the application binds its entry table.
void RegisterVendorComponents();

}  // namespace rt
