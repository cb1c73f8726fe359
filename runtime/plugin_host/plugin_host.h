// The runtime's side of its plug-in bundles: loading them, the host routines they resolve by
// name, and the host classes they build on (MemoryBlock and FolderItem).
#pragma once

#include <filesystem>
#include <memory>

#include "abi/host_abi.h"
#include "runtime/core/files.h"

namespace rt {

// Loads every *.so of the folder in name order and lets each register its members. A bundle
// that does not load, or has no entry, is passed over; a missing folder loads nothing.
void LoadPluginBundles(const std::filesystem::path &folder);

// The host routine of that name, or null.
void *ResolveHostCallback(const char *name);

// The runtime classes that bundles extend or build on. Registered again by every load.
void RegisterHostClasses();

// Folder items as plug-ins see them: a host object holding a path.
HostObjectRecord *NewFolderItemObject(const FolderItem &item);
std::shared_ptr<FolderItem> FolderItemOfObject(HostObject object);

}  // namespace rt
