#include "runtime/core/file_replacement.h"

#include <acl/libacl.h>
#include <attr/libattr.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/files.h"

namespace rt {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNameCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kUniquePartLength = 6;

// A temporary file is ".<name>.tovra-save-XXXXXX" beside the file, XXXXXX six letters or digits.
// The word marks it as ours: cleaning up never takes a user's ".<name>.backup" or another tool's
// ".<name>.Ab12Cd".
std::string TemporaryPrefix(const fs::path &file) {
  return "." + file.filename().string() + ".tovra-save-";
}

bool IsTemporaryName(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kUniquePartLength || !name.starts_with(prefix)) return false;
  name.remove_prefix(prefix.size());
  return name.find_first_not_of(kNameCharacters) == std::string_view::npos;
}

fs::path FolderOf(const fs::path &file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// The file at the end of the chain of links from `path`; nothing for a loop of links.
std::optional<fs::path> FileBehindLinks(fs::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code ec;
    fs::path next = fs::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = next.is_absolute() ? next : FolderOf(path) / next;
  }
  return std::nullopt;
}

// The process's umask, read without changing it, as another thread may be making a file.
mode_t CurrentUmask() {
  if (std::optional<std::string> status = ReadWholeFile("/proc/self/status")) {
    size_t at = status->find("\nUmask:");
    if (at != std::string::npos) return static_cast<mode_t>(std::strtoul(status->c_str() + at + 7, nullptr, 8) & 0777);
  }
  mode_t mask = ::umask(077);  // a kernel that does not show it
  ::umask(mask);
  return mask;
}

// The file a save replaces, at the end of the chain of links, and what it is when it exists
// already.
struct ReplaceableFile {
  fs::path path;
  std::optional<struct stat> existing;
};

// Nothing when the end of the links is a device, FIFO, socket or folder (not ours to replace) or
// cannot be looked at.
std::optional<ReplaceableFile> FindReplaceableFile(const fs::path &path) {
  std::optional<fs::path> target = FileBehindLinks(path);
  if (!target) return std::nullopt;
  struct stat info {};
  if (::lstat(target->c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    return ReplaceableFile{*target, info};
  }
  if (errno != ENOENT) return std::nullopt;
  return ReplaceableFile{*target, std::nullopt};
}

// Makes a new temporary file beside `file`, open for writing and private from its first byte.
int CreateTemporaryBeside(const fs::path &file, std::string &name) {
  static std::minstd_rand pick(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
  std::uniform_int_distribution<size_t> character(0, kNameCharacters.size() - 1);
  std::string prefix = (FolderOf(file) / TemporaryPrefix(file)).string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix;
    for (size_t i = 0; i < kUniquePartLength; ++i) name += kNameCharacters[character(pick)];
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The attributes a save carries over: not the ACL, which goes its own way, nor what
// /etc/xattr.conf says to leave, nor the security modules' labels, which the system gives the new
// file itself and which a user may not always set (IMA's hash), so that every save would fail.
int IsCarriedOver(const char *name, struct error_context *context) {
  return std::string_view(name).starts_with("security.") ? 0 : ::attr_copy_check_permissions(name, context);
}

// Gives the written temporary file `fd` what the old file carries besides its bytes, all before
// it takes the old file's place. First the owner and group where this process may set them: root
// may give the file back to its user; anybody else's save stays theirs, as before. Then the
// extended attributes, as a change of owner drops some, and the ACL. False when an attribute or
// the ACL is there but cannot be carried over; a file system that keeps none is no failure.
bool TakeOverFrom(const fs::path &oldPath, int old, const struct stat &info, const std::string &path, int fd) {
  if (::fchown(fd, info.st_uid, info.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
  if (::attr_copy_fd(oldPath.c_str(), old, path.c_str(), fd, IsCarriedOver, nullptr) != 0 && errno != ENOTSUP) {
    return false;
  }
  // Even an ACL that says no more than the permission bits: it replaces whatever the folder's
  // default ACL gave the new file.
  acl_t acl = ::acl_get_fd(old);
  if (!acl) return errno == ENOTSUP;
  bool set = ::acl_set_fd(fd, acl) == 0 || errno == ENOTSUP;
  ::acl_free(acl);
  return set;
}

void RemoveTemporaryFilesBeside(const fs::path &file) {
  int dir = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  DIR *entries = ::fdopendir(dir);
  if (!entries) {
    ::close(dir);
    return;
  }
  std::string prefix = TemporaryPrefix(file);
  std::vector<std::string> leftovers;
  while (const dirent *entry = ::readdir(entries)) {
    if (IsTemporaryName(entry->d_name, prefix)) leftovers.emplace_back(entry->d_name);
  }
  // Only regular files: a link of that name is not ours, and neither is what it points to.
  for (const std::string &name : leftovers) {
    struct stat info {};
    if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
      ::unlinkat(dir, name.c_str(), 0);
    }
  }
  ::closedir(entries);
}

}  // namespace

int OpenLookedAtFile(const fs::path &path, int flags, struct stat &info) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags);
  if (fd < 0) return -1;
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != info.st_dev ||
      opened.st_ino != info.st_ino) {
    ::close(fd);
    return -1;
  }
  info = opened;
  return fd;
}

bool ReplaceFile(const fs::path &path, std::string_view bytes) {
  std::optional<ReplaceableFile> replaceable = FindReplaceableFile(path);
  if (!replaceable) return false;
  const fs::path &target = replaceable->path;
  // Whatever an earlier, killed save left goes first, so at most this save's file can stay.
  RemoveTemporaryFilesBeside(target);
  std::optional<struct stat> &old = replaceable->existing;
  int oldFd = old ? OpenLookedAtFile(target, O_NOFOLLOW, *old) : -1;
  if (old && oldFd < 0) return false;
  std::string temp;
  int fd = CreateTemporaryBeside(target, temp);
  if (fd < 0) {
    if (oldFd >= 0) ::close(oldFd);
    return false;
  }
  bool ok = WriteAll(fd, bytes);
  if (ok && old) ok = TakeOverFrom(target, oldFd, *old, temp, fd);
  if (oldFd >= 0) ::close(oldFd);
  // The final mode only now, on the open file, before it takes the file's place, and after the
  // owner, whose change may clear set-id bits, and the ACL, which sets the bits its own way. A
  // file system that keeps no permission bits refuses it; the save still counts, and the file
  // stays private.
  if (ok) (void)::fchmod(fd, old ? old->st_mode & 07777 : 0666 & ~CurrentUmask());
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself must reach the disk before the save counts as done.
  int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void RemoveInterruptedReplacements(const fs::path &path) {
  if (auto replaceable = FindReplaceableFile(path)) RemoveTemporaryFilesBeside(replaceable->path);
}

}  // namespace rt
