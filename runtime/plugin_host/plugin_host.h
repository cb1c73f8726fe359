// The runtime's side of its plug-in bundles: loading them, the host routines they resolve by
// name, and the host classes they build on (MemoryBlock and FolderItem).
#pragma once

#include <filesystem>
#include <memory>

#include "abi/host_abi.h"
#include "runtime/core/files.h"

namespace rt {

// Loads every *.so of the folder in name order and lets each register its members. A bundle
// that does not load, has no entry or throws from it is passed over; a missing folder loads
// nothing. Bundles stay loaded for the life of the process: the registry points into them.
void LoadPluginBundles(const std::filesystem::path &folder);

// The resolver handed to every bundle: the host routine of that name, or null.
extern "C" void *ResolveHostCallback(const char *name) noexcept;

// The runtime classes that bundles extend or build on; registered once, until the class
// registry is forgotten.
void RegisterHostClasses();

// Folder items as bundles see them: a host object holding an absolute path. The object
// carries one reference; null for an object that is no FolderItem.
HostObjectRecord *NewFolderItemObject(const FolderItem &item);
std::shared_ptr<FolderItem> FolderItemOfObject(HostObject object);

}  // namespace rt
