// Inside the plug-in host: the host classes' registration and the folder item's path.
#pragma once

#include <string>

#include "abi/host_abi.h"

namespace rt {

void RegisterMemoryBlockClass();
void RegisterFolderItemClass();

// A new FolderItem object with one reference, or null.
HostObjectRecord *NewFolderItemAt(std::string absolutePath);
// The path a FolderItem object holds; null for nil, another class or an item without one.
const std::string *PathOfFolderItem(HostObject object);

}  // namespace rt
