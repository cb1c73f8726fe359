#include "runtime/core/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace rt {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNameCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kUniquePartLength = 6;

// A temporary file is ".<name>.XXXXXX" beside the file, XXXXXX six letters or digits.
std::string TemporaryPrefix(const fs::path &file) { return "." + file.filename().string() + "."; }

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

// Makes a new temporary file beside `file`, open for writing. The kernel applies the umask (and
// any default ACL of the folder) to its 0666, as for any new file.
int CreateTemporaryBeside(const fs::path &file, std::string &name) {
  static std::minstd_rand pick(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
  std::uniform_int_distribution<size_t> character(0, kNameCharacters.size() - 1);
  std::string prefix = (FolderOf(file) / TemporaryPrefix(file)).string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = prefix;
    for (size_t i = 0; i < kUniquePartLength; ++i) name += kNameCharacters[character(pick)];
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
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

bool ReplaceFile(const fs::path &path, std::string_view bytes) {
  std::optional<fs::path> target = FileBehindLinks(path);
  if (!target) return false;
  // Whatever an earlier, killed save left goes first, so at most this save's file can stay.
  RemoveTemporaryFilesBeside(*target);
  struct stat old {};
  bool existed = ::stat(target->c_str(), &old) == 0;
  std::string temp;
  int fd = CreateTemporaryBeside(*target, temp);
  if (fd < 0) return false;
  // A file system that keeps no permission bits refuses fchmod; the save still counts.
  if (existed) (void)::fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target->c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself must reach the disk before the save counts as done.
  int dir = ::open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void RemoveInterruptedReplacements(const fs::path &path) {
  if (std::optional<fs::path> target = FileBehindLinks(path)) RemoveTemporaryFilesBeside(*target);
}

}  // namespace rt
