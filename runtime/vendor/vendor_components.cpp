#include "runtime/vendor/vendor_components.h"

#include "runtime/vendor/application_members.h"
#include "runtime/vendor/carbon_application_events.h"
#include "runtime/vendor/carbon_hot_key.h"

namespace rt {

void RegisterVendorComponents() {
  vendor::RegisterCarbonApplicationEvents();
  vendor::RegisterCarbonHotKey();
  vendor::RegisterApplicationMembers();
}

}  // namespace rt
