// Folders for the file tests, and bytes made by another process, as references made by other
// programs reach the bundle.
#pragma once

#include <functional>
#include <optional>
#include <string>

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

}  // namespace fake
