// The mounts this process sees, as /proc/self/mountinfo lists them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Mount {
  uint32_t id = 0;
  std::string point;
};

std::vector<Mount> ReadMounts();
std::optional<Mount> MountByID(uint32_t id);
// The mount that holds `path` (absolute, free of links): the longest mount point above it, and
// of several mounts on one point the last, which hides the others.
std::optional<Mount> MountHolding(const std::string &path);

}  // namespace platform
