#include "platform/file_identity.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace platform {
namespace {

struct Mount {
  uint32_t id = 0;
  dev_t device = 0;
  std::string point;
};

// "\040" and the like stand for blanks and other bytes in mountinfo paths.
std::string Unescape(const std::string &field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      out.push_back(static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8)));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::deque<Mount> ReadMounts() {
  std::deque<Mount> mounts;
  std::ifstream info("/proc/self/mountinfo");
  std::string line;
  while (std::getline(info, line)) {
    std::istringstream fields(line);
    Mount mount;
    std::string parent, majorMinor, root, point;
    if (!(fields >> mount.id >> parent >> majorMinor >> root >> point)) {
      continue;
    }
    const size_t colon = majorMinor.find(':');
    if (colon == std::string::npos) {
      continue;
    }
    mount.device = makedev(std::stoul(majorMinor.substr(0, colon)), std::stoul(majorMinor.substr(colon + 1)));
    mount.point = Unescape(point);
    mounts.push_back(mount);
  }
  return mounts;
}

// The innermost mount that holds `path`: the longest mount point that prefixes it on the same
// device.
std::optional<Mount> MountOf(const std::string &path, dev_t device) {
  std::optional<Mount> best;
  for (const Mount &mount : ReadMounts()) {
    const bool prefixes = mount.point == "/" || path == mount.point ||
                          path.compare(0, mount.point.size() + 1, mount.point + "/") == 0;
    if (mount.device == device && prefixes && (!best || mount.point.size() >= best->point.size())) {
      best = mount;
    }
  }
  return best;
}

std::map<std::pair<uint32_t, uint64_t>, std::string> &SeenPaths() {
  static std::map<std::pair<uint32_t, uint64_t>, std::string> seen;
  return seen;
}

bool Matches(const std::string &path, dev_t device, uint64_t inode, uint64_t mask) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 && info.st_dev == device && (info.st_ino & mask) == inode;
}

}  // namespace

std::string ParentPath(const std::string &path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "/" : parent;
}

std::string LeafName(const std::string &path) {
  return path == "/" ? "/" : std::filesystem::path(path).filename().string();
}

std::optional<FileIdentity> IdentityOf(const std::string &path) {
  struct stat info {};
  if (path.empty() || path[0] != '/' || lstat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  const std::string canonical = std::filesystem::weakly_canonical(path).string();
  const std::optional<Mount> mount = MountOf(canonical, info.st_dev);
  if (!mount) {
    return std::nullopt;
  }
  SeenPaths()[{mount->id, info.st_ino}] = canonical;
  SeenPaths()[{mount->id, info.st_ino & 0xFFFFFFFFu}] = canonical;
  return FileIdentity{mount->id, info.st_dev, info.st_ino};
}

std::optional<std::string> MountPoint(uint32_t mountID) {
  for (const Mount &mount : ReadMounts()) {
    if (mount.id == mountID) {
      return mount.point;
    }
  }
  return std::nullopt;
}

std::optional<std::string> PathOf(uint32_t mountID, uint64_t inode, unsigned inodeBits) {
  std::optional<Mount> mount;
  for (const Mount &candidate : ReadMounts()) {
    if (candidate.id == mountID) {
      mount = candidate;
    }
  }
  if (!mount) {
    return std::nullopt;
  }
  const uint64_t mask = inodeBits >= 64 ? ~uint64_t{0} : (uint64_t{1} << inodeBits) - 1;
  const auto seen = SeenPaths().find({mountID, inode});
  if (seen != SeenPaths().end() && Matches(seen->second, mount->device, inode, mask)) {
    return seen->second;
  }
  // Not seen by this copy: walk the mount breadth first, without leaving it, so the shallow
  // folders where files are usually kept are found soon. The walk has a budget: a reference to a
  // file that is not there (or made up by a caller) must not hold the program up for the time a
  // whole disk takes to list.
  constexpr size_t kMostEntries = 50000;
  size_t examined = 0;
  std::deque<std::string> folders = {mount->point};
  while (!folders.empty() && examined < kMostEntries) {
    const std::string folder = folders.front();
    folders.pop_front();
    if (Matches(folder, mount->device, inode, mask)) {
      SeenPaths()[{mountID, inode}] = folder;
      return folder;
    }
    DIR *entries = opendir(folder.c_str());
    if (entries == nullptr) {
      continue;
    }
    while (dirent *entry = readdir(entries)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      if (++examined > kMostEntries) {
        break;
      }
      const std::string path = (folder == "/" ? "" : folder) + "/" + name;
      struct stat info {};
      if (lstat(path.c_str(), &info) != 0 || info.st_dev != mount->device) {
        continue;
      }
      if (S_ISDIR(info.st_mode)) {
        folders.push_back(path);
      } else if ((info.st_ino & mask) == inode) {
        closedir(entries);
        SeenPaths()[{mountID, inode}] = path;
        return path;
      }
    }
    closedir(entries);
  }
  return std::nullopt;
}

}  // namespace platform
