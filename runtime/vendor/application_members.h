// The vendor members that belong to no class of its own: the global UseQRVCFPlugin and the
// application property FrontmostQRV ("application.FrontmostQRV as Boolean.Set").
#pragma once

namespace rt::vendor {

void RegisterApplicationMembers();

}  // namespace rt::vendor
