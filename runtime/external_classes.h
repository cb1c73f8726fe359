// The classes from outside the application: the plug-in bundles and the vendor components,
// registered in the declaration registry before the application binds its entry table.
#pragma once

#include <filesystem>

namespace rt {

void InitExternalClasses(const std::filesystem::path &pluginFolder);

}  // namespace rt
