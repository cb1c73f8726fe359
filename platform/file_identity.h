// Finding a file again from numbers alone. A file reference carries no path, and the runtime and
// each bundle hold their own copy of this layer, so a reference made by one copy is resolved by
// another from what it carries: the mount's id and the file's inode. Paths seen before are kept
// and checked; others are found by walking the mount.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileIdentity {
  uint32_t mountID = 0;
  dev_t device = 0;
  ino_t inode = 0;
};

// The identity of an existing path (not following a last symbolic link).
std::optional<FileIdentity> IdentityOf(const std::string &path);
// Where the mount is, by the id that /proc/self/mountinfo gives it.
std::optional<std::string> MountPoint(uint32_t mountID);
// The path of the file with that inode on that mount. `inodeBits` says how many low bits of
// the inode were kept (32 for a directory id).
std::optional<std::string> PathOf(uint32_t mountID, uint64_t inode, unsigned inodeBits);

std::string ParentPath(const std::string &path);
std::string LeafName(const std::string &path);

}  // namespace platform
