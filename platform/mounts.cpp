#include "platform/mounts.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/fnv.h"

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

std::vector<Mount> ParseMounts(std::string_view table) {
  std::vector<Mount> mounts;
  while (!table.empty()) {
    const size_t end = table.find('\n');
    const std::string_view line = table.substr(0, end);
    table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
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

// The mount ID of what `fd` is open on, as /proc/self/fdinfo tells it (statx does not pass it
// through everywhere, an emulator among them).
std::optional<uint32_t> MountIDOf(int fd) {
  const std::string info = "/proc/self/fdinfo/" + std::to_string(fd);
  const int infoFd = open(info.c_str(), O_RDONLY | O_CLOEXEC);
  if (infoFd < 0) {
    return std::nullopt;
  }
  char text[512];
  const ssize_t got = read(infoFd, text, sizeof text - 1);
  close(infoFd);
  const std::string_view lines(text, got > 0 ? static_cast<size_t>(got) : 0);
  const size_t at = lines.find("mnt_id:");
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view value = lines.substr(at + 7);
  value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
  uint32_t id = 0;
  const auto parsed = std::from_chars(value.data(), value.data() + value.size(), id);
  return parsed.ec == std::errc() ? std::optional<uint32_t>(id) : std::nullopt;
}

std::optional<uint64_t> MarkOf(const Mount &mount) {
  const int root = open(mount.point.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    return std::nullopt;
  }
  std::optional<uint64_t> mark;
  struct statfs volume {};
  struct statx born {};
  if (MountIDOf(root) == mount.id && fstatfs(root, &volume) == 0) {
    uint64_t hash = Fnv1a(kFnvBasis, &volume.f_fsid, sizeof volume.f_fsid);
    if (statx(root, "", AT_EMPTY_PATH, STATX_BTIME, &born) == 0 && (born.stx_mask & STATX_BTIME) != 0) {
      const int64_t seconds = born.stx_btime.tv_sec;
      const uint32_t nanoseconds = born.stx_btime.tv_nsec;
      hash = Fnv1a(Fnv1a(hash, &seconds, sizeof seconds), &nanoseconds, sizeof nanoseconds);
    }
    mark = hash == 0 ? 1 : hash;  // 0 stands for no mark in a record
  }
  close(root);
  return mark;
}

// The table as last read, and the marks worked out since; both dropped when the table changes.
class MountTable {
 public:
  std::optional<Mount> ByID(uint32_t id) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Refresh();
    for (const Mount &mount : mounts_) {
      if (mount.id == id) {
        return mount;
      }
    }
    return std::nullopt;
  }

  std::optional<Mount> Holding(const std::string &path) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Refresh();
    const Mount *best = nullptr;
    for (const Mount &mount : mounts_) {
      if (Holds(mount.point, path) && (best == nullptr || mount.point.size() >= best->point.size())) {
        best = &mount;
      }
    }
    return best ? std::optional<Mount>(*best) : std::nullopt;
  }

  std::optional<uint64_t> Mark(uint32_t id) {
    const std::lock_guard<std::mutex> lock(mutex_);
    Refresh();
    if (const auto known = marks_.find(id); known != marks_.end()) {
      return known->second;
    }
    std::optional<uint64_t> mark;
    for (const Mount &mount : mounts_) {
      if (mount.id == id) {
        mark = MarkOf(mount);
      }
    }
    marks_.emplace(id, mark);
    return mark;
  }

  void Hold() { mutex_.lock(); }

  void Release(bool inChild) {
    if (inChild && fd_ >= 0) {
      close(fd_);
      fd_ = -1;
    }
    mutex_.unlock();
  }

  size_t Reads() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return reads_;
  }

 private:
  // The kernel flags an open mountinfo file when the table changes.
  void Refresh() {
    if (fd_ >= 0) {
      pollfd changed{fd_, POLLPRI, 0};
      if (poll(&changed, 1, 0) == 0 || (changed.revents & (POLLPRI | POLLERR)) == 0) {
        return;
      }
    } else {
      fd_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    }
    Read();
  }


  void Read() {
    ++reads_;
    marks_.clear();
    mounts_.clear();
    if (fd_ < 0 || lseek(fd_, 0, SEEK_SET) != 0) {
      return;
    }
    std::string table;
    char buffer[16384];
    for (ssize_t got; (got = read(fd_, buffer, sizeof buffer)) > 0;) {
      table.append(buffer, static_cast<size_t>(got));
    }
    mounts_ = ParseMounts(table);
  }

  std::mutex mutex_;
  int fd_ = -1;
  size_t reads_ = 0;
  std::vector<Mount> mounts_;
  std::unordered_map<uint32_t, std::optional<uint64_t>> marks_;
};

MountTable &Table() {
  static MountTable table;
  return table;
}

}  // namespace

std::optional<Mount> MountByID(uint32_t id) { return Table().ByID(id); }

std::optional<Mount> MountHolding(const std::string &path) { return Table().Holding(path); }

std::optional<uint64_t> MountMark(uint32_t id) { return Table().Mark(id); }

void HoldMountTable() { Table().Hold(); }

void ReleaseMountTable(bool inChild) { Table().Release(inChild); }

size_t MountTableReads() { return Table().Reads(); }

}  // namespace platform
