#include "platform/file_identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/fnv.h"
#include "platform/mounts.h"

// Asks for a handle that only tells the item apart, which the kernel gives (from 6.5) for file
// systems that give no handle to open by, overlays among them.
#ifndef AT_HANDLE_FID
#define AT_HANDLE_FID AT_REMOVEDIR
#endif

namespace platform {
namespace {

// A path holds at most PATH_MAX bytes, so no file this layer can name is deeper than this.
constexpr size_t kMostLevels = 2048;
// Reads beyond one per level, for levels where more than one folder matches the chain.
constexpr size_t kMostExtraReads = 64;
// Two searches, as a folder item made from a reference that leads nowhere takes, stay below a
// tenth of a second.
constexpr int64_t kSearchNanoseconds = 40'000'000;
constexpr unsigned kEntriesPerLook = 64;

int64_t ThreadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor &operator=(Descriptor &&other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_;
};

struct Closedir {
  void operator()(DIR *dir) const { closedir(dir); }
};
using Listing = std::unique_ptr<DIR, Closedir>;

// The entries of the folder open as `folder`, read from the start on a descriptor of their own.
Listing ListFolder(int folder) {
  Descriptor own(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!own) {
    return nullptr;
  }
  Listing listing(fdopendir(own.get()));
  if (listing) {
    own.release();
  }
  return listing;
}

bool IsDots(const char *name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

struct FolderID {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FolderID &) const = default;
};

std::optional<FolderID> IDOf(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    return std::nullopt;
  }
  return FolderID{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

struct Subfolder {
  std::string name;
  FolderID id;
  Descriptor fd;
};

// The subfolder `name` of `folder`, when stat gives it an inode that matches `wanted` in `mask`.
std::optional<Subfolder> SubfolderIfMatching(int folder, const char *name, uint64_t wanted, uint64_t mask) {
  Descriptor child(openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  const std::optional<FolderID> id = child ? IDOf(child.get()) : std::nullopt;
  if (id && (id->inode & mask) == wanted) {
    return Subfolder{name, *id, std::move(child)};
  }
  return std::nullopt;
}

bool MayBeFolder(const dirent &entry) { return entry.d_type == DT_DIR || entry.d_type == DT_UNKNOWN; }

// The first subfolder not tried yet whose inode matches `wanted` in the bits of `mask`. A listing's
// numbers are hints, checked by stat: those listed with the number are looked at first, then the
// subfolders listed with another, as btrfs lists a subvolume by its own number and stat gives its
// root folder's inode.
std::optional<Subfolder> MatchingSubfolder(int folder, uint64_t wanted, uint64_t mask,
                                           const std::vector<std::string> &tried, SearchBudget &budget) {
  Listing listing = ListFolder(folder);
  if (!listing) {
    return std::nullopt;
  }
  std::vector<std::string> listedOtherwise;
  while (const dirent *entry = readdir(listing.get())) {
    if (budget.Spent()) {
      return std::nullopt;
    }
    if (!MayBeFolder(*entry) || IsDots(entry->d_name) ||
        std::find(tried.begin(), tried.end(), entry->d_name) != tried.end()) {
      continue;
    }
    if ((static_cast<uint64_t>(entry->d_ino) & mask) != wanted) {
      listedOtherwise.emplace_back(entry->d_name);
    } else if (std::optional<Subfolder> match = SubfolderIfMatching(folder, entry->d_name, wanted, mask)) {
      return match;
    }
  }
  for (const std::string &name : listedOtherwise) {
    struct stat info {};
    if (budget.Spent()) {
      return std::nullopt;
    }
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode) &&
        (static_cast<uint64_t>(info.st_ino) & mask) == wanted) {
      if (std::optional<Subfolder> match = SubfolderIfMatching(folder, name.c_str(), wanted, mask)) {
        return match;
      }
    }
  }
  return std::nullopt;
}

std::string Join(const std::string &folder, std::string_view name) {
  if (name.empty()) {
    return folder;
  }
  return (folder == "/" ? "" : folder) + "/" + std::string(name);
}

std::optional<std::string> RealPath(const std::string &path) {
  std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
  return real ? std::optional<std::string>(real.get()) : std::nullopt;
}

std::string WithoutTrailingSlashes(const std::string &path) {
  const size_t end = path.find_last_not_of('/');
  return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

uint64_t BirthStamp(const struct statx &born) {
  const int64_t seconds = born.stx_btime.tv_sec;
  const uint32_t nanoseconds = born.stx_btime.tv_nsec;
  const uint64_t stamp = Fnv1a(Fnv1a(kFnvBasis, &seconds, sizeof seconds), &nanoseconds, sizeof nanoseconds);
  return stamp == 0 ? 1 : stamp;
}

std::optional<uint64_t> HandleStamp(int folder, const char *name, int flags) {
  alignas(file_handle) unsigned char storage[sizeof(file_handle) + MAX_HANDLE_SZ];
  auto *handle = reinterpret_cast<file_handle *>(storage);
  int mountID = 0;
  // A kernel before identifying handles refuses the flag; once seen, it is not asked again, as
  // this runs on every check of a known item.
  static std::atomic<int> identifying = AT_HANDLE_FID;
  const int asked = identifying.load(std::memory_order_relaxed);
  handle->handle_bytes = MAX_HANDLE_SZ;
  bool got = name_to_handle_at(folder, name, handle, &mountID, flags | asked) == 0;
  if (!got && errno == EINVAL && asked != 0) {
    handle->handle_bytes = MAX_HANDLE_SZ;
    got = name_to_handle_at(folder, name, handle, &mountID, flags) == 0;
    if (got) {
      identifying.store(0, std::memory_order_relaxed);
    }
  }
  if (!got) {
    return std::nullopt;
  }
  const int32_t type = handle->handle_type;
  const uint64_t stamp =
      Fnv1a(Fnv1a(kFnvBasis, &type, sizeof type), handle->f_handle, std::min<size_t>(handle->handle_bytes, MAX_HANDLE_SZ));
  return stamp == 0 ? 1 : stamp;
}

// The inodes of the folders from just below `mountPoint` down to `folder`.
std::optional<std::vector<uint64_t>> FolderInodes(const std::string &mountPoint, const std::string &folder) {
  std::vector<uint64_t> inodes;
  if (folder == mountPoint) {
    return inodes;
  }
  std::string prefix = mountPoint;
  std::string_view below(folder);
  below.remove_prefix(mountPoint == "/" ? 1 : mountPoint.size() + 1);
  while (!below.empty()) {
    const size_t slash = below.find('/');
    prefix = Join(prefix, below.substr(0, slash));
    below.remove_prefix(slash == std::string_view::npos ? below.size() : slash + 1);
    struct stat info {};
    if (lstat(prefix.c_str(), &info) != 0) {
      return std::nullopt;
    }
    inodes.push_back(static_cast<uint64_t>(info.st_ino));
  }
  return inodes;
}

}  // namespace

SearchBudget::SearchBudget() : deadlineNanoseconds_(ThreadNanoseconds() + kSearchNanoseconds) {}

bool SearchBudget::Spent() {
  if (!spent_ && ++calls_ % kEntriesPerLook == 0) {
    spent_ = ThreadNanoseconds() >= deadlineNanoseconds_;
  }
  return spent_;
}

ItemStamp StampOf(int folder, const char *name) {
  const int flags = *name == '\0' ? AT_EMPTY_PATH : 0;
  if (const std::optional<uint64_t> handle = HandleStamp(folder, name, flags)) {
    return {*handle, true};
  }
  struct statx born {};
  if (statx(folder, name, flags | AT_SYMLINK_NOFOLLOW, STATX_BTIME, &born) == 0 && (born.stx_mask & STATX_BTIME) != 0) {
    return {BirthStamp(born), false};
  }
  return {};
}

bool ItemIsAt(const std::string &path, uint64_t device, uint64_t inode, const ItemStamp &stamp) {
  // A handle names one item of its file system for good, so it alone is the check.
  if (stamp.fromHandle) {
    const std::optional<uint64_t> handle = HandleStamp(AT_FDCWD, path.c_str(), 0);
    return handle == stamp.value;
  }
  struct statx info {};
  return statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &info) == 0 &&
         static_cast<uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor)) == device && info.stx_ino == inode &&
         (stamp.value == 0 || ((info.stx_mask & STATX_BTIME) != 0 && BirthStamp(info) == stamp.value));
}

bool IsSubvolumeStandIn(const std::string &path, uint64_t inode) {
  constexpr uint64_t kStandInInode = 2;
  constexpr long kBtrfsMagic = 0x9123683E;
  struct statfs volume {};
  struct stat info {};
  return (inode & 0xFFFFFFFFu) == kStandInInode && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_ino == kStandInInode && statfs(path.c_str(), &volume) == 0 &&
         static_cast<long>(volume.f_type) == kBtrfsMagic;
}

uint64_t FoldedStamp(uint64_t mark, uint64_t stamp) {
  const uint64_t folded = Fnv1a(Fnv1a(kFnvBasis, &mark, sizeof mark), &stamp, sizeof stamp);
  return folded == 0 ? 1 : folded;
}

std::string ParentPath(const std::string &path) {
  const std::string trimmed = WithoutTrailingSlashes(path);
  const size_t slash = trimmed.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? "/" : WithoutTrailingSlashes(trimmed.substr(0, slash));
}

std::string LeafName(const std::string &path) {
  const std::string trimmed = WithoutTrailingSlashes(path);
  const size_t slash = trimmed.find_last_of('/');
  return trimmed == "/" ? "/" : trimmed.substr(slash == std::string::npos ? 0 : slash + 1);
}

std::optional<FileLocation> LocateFile(const std::string &path) {
  if (path.empty() || path[0] != '/') {
    return std::nullopt;
  }
  const std::string leaf = LeafName(path);
  std::optional<std::string> canonical;
  if (leaf == "/" || leaf == "." || leaf == "..") {
    canonical = RealPath(path);
  } else if (const std::optional<std::string> folder = RealPath(ParentPath(path))) {
    canonical = Join(*folder, leaf);
  }
  struct stat item {};
  if (!canonical || lstat(canonical->c_str(), &item) != 0) {
    return std::nullopt;
  }
  std::optional<Mount> mount = MountHolding(*canonical);
  // A file bound over another is not a folder to go down from: it is found in the folder above.
  if (mount && *canonical == mount->point && !S_ISDIR(item.st_mode)) {
    mount = MountHolding(ParentPath(*canonical));
  }
  if (!mount) {
    return std::nullopt;
  }
  FileLocation location;
  location.mountID = mount->id;
  location.mark = MountMark(mount->id).value_or(0);
  location.device = static_cast<uint64_t>(item.st_dev);
  location.inode = static_cast<uint64_t>(item.st_ino);
  location.stamp = StampOf(AT_FDCWD, canonical->c_str());
  location.isMountRoot = *canonical == mount->point;
  location.isFolder = S_ISDIR(item.st_mode);
  if (!location.isMountRoot) {
    std::optional<std::vector<uint64_t>> folders = FolderInodes(mount->point, ParentPath(*canonical));
    if (!folders) {
      return std::nullopt;
    }
    location.folders = std::move(*folders);
  }
  location.path = std::move(*canonical);
  return location;
}

std::optional<std::string> FollowChain(const FolderChain &chain, const ItemInFolder &item, SearchBudget &budget,
                                       bool alone) {
  const size_t levels = chain.folders.size();
  const std::optional<Mount> mount = levels <= kMostLevels ? MountByID(chain.mountID) : std::nullopt;
  const std::optional<uint64_t> mark = mount ? MountMark(mount->id) : std::nullopt;
  if (!mark || (chain.mark != 0 && *mark != chain.mark)) {
    return std::nullopt;
  }
  Descriptor here(open(mount->point.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  const std::optional<FolderID> root = here ? IDOf(here.get()) : std::nullopt;
  if (!root) {
    return std::nullopt;
  }
  const uint64_t mask = chain.bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << chain.bits) - 1;
  std::vector<FolderID> entered = {*root};  // for the way back up
  std::vector<std::string> names;           // of the folders entered, below the mount point
  std::vector<std::vector<std::string>> tried(levels + 1);
  std::optional<std::string> found;
  for (size_t reads = levels + 1 + kMostExtraReads; reads > 0 && !budget.Spent(); --reads) {
    const size_t depth = names.size();
    if (depth == levels) {
      if (std::optional<std::string> leaf = item(here.get())) {
        std::string path = mount->point;
        for (const std::string &name : names) {
          path = Join(path, name);
        }
        if (!alone) {
          return Join(path, *leaf);
        }
        if (found) {
          return std::nullopt;
        }
        found = Join(path, *leaf);
      }
    } else if (std::optional<Subfolder> next =
                   MatchingSubfolder(here.get(), chain.folders[depth] & mask, mask, tried[depth], budget)) {
      tried[depth].push_back(next->name);
      names.push_back(std::move(next->name));
      entered.push_back(next->id);
      here = std::move(next->fd);
      continue;
    }
    // Nothing more down here: back to the folder above, to try its next match.
    if (depth == 0) {
      return found;
    }
    Descriptor up(openat(here.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!up || IDOf(up.get()) != entered[depth - 1]) {
      return std::nullopt;  // moved meanwhile
    }
    tried[depth].clear();
    names.pop_back();
    entered.pop_back();
    here = std::move(up);
  }
  return found;
}

std::optional<std::string> EntryWithInode(int folder, uint64_t device, uint64_t inode,
                                          const std::string &likelyName, SearchBudget &budget) {
  const auto isItem = [&](const char *name) {
    struct stat info {};
    return fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && static_cast<uint64_t>(info.st_dev) == device &&
           static_cast<uint64_t>(info.st_ino) == inode;
  };
  if (!likelyName.empty() && isItem(likelyName.c_str())) {
    return likelyName;
  }
  Listing listing = ListFolder(folder);
  if (!listing) {
    return std::nullopt;
  }
  std::vector<std::string> listedOtherwise;  // folders, whose listed number may not be stat's
  while (const dirent *entry = readdir(listing.get())) {
    if (budget.Spent()) {
      return std::nullopt;
    }
    if (IsDots(entry->d_name)) {
      continue;
    }
    if (static_cast<uint64_t>(entry->d_ino) != inode) {
      if (MayBeFolder(*entry)) {
        listedOtherwise.emplace_back(entry->d_name);
      }
    } else if (isItem(entry->d_name)) {
      return std::string(entry->d_name);
    }
  }
  for (const std::string &name : listedOtherwise) {
    if (budget.Spent()) {
      return std::nullopt;
    }
    if (isItem(name.c_str())) {
      return name;
    }
  }
  return std::nullopt;
}

}  // namespace platform
