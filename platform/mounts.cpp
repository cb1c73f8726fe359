#include "platform/mounts.h"

#include <charconv>
#include <fstream>
#include <string_view>

namespace platform {
namespace {

// "\040" and the like stand for blanks and other bytes in mountinfo paths.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    unsigned code = 0;
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::from_chars(field.data() + i + 1, field.data() + i + 4, code, 8).ptr == field.data() + i + 4 &&
        code <= 0xFF) {
      out.push_back(static_cast<char>(code));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

// Field `index` (from 0) of a line of blank-separated fields; empty when the line is shorter.
std::string_view Field(std::string_view line, size_t index) {
  for (size_t i = 0; i < index; ++i) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) {
      return {};
    }
    line.remove_prefix(blank + 1);
  }
  return line.substr(0, line.find(' '));
}

bool Holds(const std::string &point, const std::string &path) {
  return point == "/" || path == point || (path.size() > point.size() && path.compare(0, point.size(), point) == 0 &&
                                           path[point.size()] == '/');
}

}  // namespace

std::vector<Mount> ReadMounts() {
  std::vector<Mount> mounts;
  std::ifstream info("/proc/self/mountinfo");
  std::string line;
  while (std::getline(info, line)) {
    const std::string_view id = Field(line, 0);
    const std::string_view point = Field(line, 4);
    Mount mount;
    if (point.empty() || std::from_chars(id.data(), id.data() + id.size(), mount.id).ptr != id.data() + id.size()) {
      continue;
    }
    mount.point = Unescape(point);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

std::optional<Mount> MountByID(uint32_t id) {
  for (Mount &mount : ReadMounts()) {
    if (mount.id == id) {
      return std::move(mount);
    }
  }
  return std::nullopt;
}

std::optional<Mount> MountHolding(const std::string &path) {
  std::optional<Mount> best;
  for (Mount &mount : ReadMounts()) {
    if (Holds(mount.point, path) && (!best || mount.point.size() >= best->point.size())) {
      best = std::move(mount);
    }
  }
  return best;
}

}  // namespace platform
