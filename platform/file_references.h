// The bytes of FSRef and FSSpec on this platform, as abi/host_abi.h describes them: made from a
// file's location, and followed back to a path, through the catalog when the item is known.
#pragma once

#include <optional>
#include <string>

#include "abi/host_abi.h"
#include "platform/file_identity.h"
#include "platform/files.h"

namespace platform {

FSRef RefFor(const FileLocation &location);
// Keeps the item in the catalog, so that references to it resolve by its path.
void Remember(const FileLocation &location);
// The path of the item the reference names, if it is still there.
std::optional<std::string> PathOfRef(const FSRef &ref);

// The FSSpec of the entry `name` of `folder`, or with `isVolume` of the mount whose root `folder` is.
OSErr SpecFor(const FileLocation &folder, const std::string &name, bool isVolume, FSSpec &spec);
// The path the FSSpec names: fnfErr when its folder is not found; the entry need not exist.
OSErr PathOfSpec(const FSSpec &spec, std::string &path);

}  // namespace platform
