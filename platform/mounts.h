// The mounts this process sees, as /proc/self/mountinfo lists them. The table is kept and read
// again only when the kernel reports a change to it (or in a new process), so each call costs
// at most one read of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct Mount {
  uint32_t id = 0;
  std::string point;
};

std::optional<Mount> MountByID(uint32_t id);
// The mount that holds `path` (absolute, free of links): the longest mount point above it, and
// of several mounts on one point the last, which hides the others.
std::optional<Mount> MountHolding(const std::string &path);

// A mark of the file system instance a mount shows, the same in every process: its file system
// ID and the birth time of the mount's root folder. A file system unmounted and another mounted
// under the same mount ID and device has another mark. Nothing when the mount's point does not
// lead to the mount itself (it is gone, or another mount covers it).
std::optional<uint64_t> MountMark(uint32_t id);

// Held across a fork by the platform library's fork handlers, so that neither side sees the table
// half-changed. The child opens its own table at its first call: it may unshare its mounts.
void HoldMountTable();
void ReleaseMountTable(bool inChild);

// How often this process has read the mount table, for the tests that bound it.
size_t MountTableReads();

}  // namespace platform
