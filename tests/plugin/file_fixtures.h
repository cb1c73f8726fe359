// Folders for the file tests, and bytes made by another process, as references made by other
// programs reach the bundle.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fake {

// A fresh folder, removed with everything in it afterwards: in the tests' temporary folder (on
// the machine's large mounts), or on the tmpfs at /dev/shm, a mount of its own, when asked for
// one. `path()` is empty when there is no such tmpfs.
class ScratchFolder {
 public:
  enum Where { kTemporary, kTmpfs };
  explicit ScratchFolder(Where where = kTemporary);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  const std::string &path() const { return path_; }
  // `levels` nested folders below `from`; gives the innermost.
  static std::string MakeNested(const std::string &from, size_t levels);

 private:
  std::string path_;
};

// Runs `work` in a child process; its exit status, or -1 when it did not exit.
int InOtherProcess(const std::function<int()> &work);

// The bytes `make` gives in a child process; nothing when it gives none.
std::optional<std::string> BytesFromOtherProcess(const std::function<std::optional<std::string>()> &make);

// Runs `work` in a child process with a mount namespace of its own, where it may mount and
// unmount at will; what it reports ("" for nothing amiss), or nothing when no namespace can be
// had (not root). Mounts made there vanish with it.
std::optional<std::string> InOwnMountNamespace(const std::function<std::string()> &work);
// A fresh tmpfs at `folder` (made if missing); false when it cannot be mounted.
bool MountTmpfs(const std::string &folder);

// File systems of their own, to mount in such a process. Each gives "" when the file system is
// mounted at `folder` (made if missing), or why it cannot be (not root, no loop device, no mkfs,
// a kernel without it), for the caller to skip with. An image is a sparse file at `image`, on a
// loop device that is released when the file system is unmounted, as it is when the process
// ends; the caller removes the image afterwards.
std::string MountExt4Image(const std::string &image, const std::string &folder);
std::string MountBtrfsImage(const std::string &image, const std::string &folder);
// An overlay whose lower and upper layers are on two tmpfs mounts of their own below `layers`,
// with inode numbers kept apart by xino: `fillLower` fills the lower layer (given its path)
// before the overlay is mounted, and must leave at least one entry in its root folder, by
// which the shifted inode numbers are checked.
std::string MountXinoOverlay(const std::string &layers, const std::string &folder,
                             const std::function<void(const std::string &lower)> &fillLower);
// Subvolumes and snapshots on a mounted btrfs, by its own tool; "" or why not.
std::string MakeBtrfsSubvolume(const std::string &path);
std::string MakeBtrfsSnapshot(const std::string &from, const std::string &to);

// Runs a program, found on PATH or in the system's sbin folders, with these arguments (the
// first is its name) and no shell; "" when it exits 0, otherwise what went wrong with the last
// line of what it printed.
std::string RunProgram(const std::vector<std::string> &arguments);

}  // namespace fake
