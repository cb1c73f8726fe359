// Where a file is, as numbers, and finding it again from them. A reference this process has not
// seen made (another process or host made it) is followed from what it carries: its mount, the
// inodes of the folders on the way down from the mount's root folder, and the item's own device
// and inode. No mount is listed as a whole, and a search that leads nowhere is given up in time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FileLocation {
  uint32_t mountID = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t mark = 0;  // of the mount, 0 when it has none
  bool isMountRoot = false;
  bool isFolder = false;
  // Inodes of the folders between the mount's root folder and the item, outermost first.
  std::vector<uint64_t> folders;
  // The item's path, its folders free of links.
  std::string path;
};

// Where the item at an absolute path is. A link as the last element is the item itself.
std::optional<FileLocation> LocateFile(const std::string &path);

// A way down from the root folder of a mount: for each folder, the low `bits` bits of its inode.
struct FolderChain {
  uint32_t mountID = 0;
  uint64_t mark = 0;  // the mount must still have this mark; 0 for any
  unsigned bits = 0;
  std::vector<uint64_t> folders;
};

// The time one reference may take to follow, so that a made-up or stale one does not hold up
// the caller: what is not found in it is not found. It is the thread's processor time, which a
// busy machine does not use up while the thread waits its turn.
class SearchBudget {
 public:
  SearchBudget();
  // Looks at the clock only every so many calls: it is asked once per directory entry.
  bool Spent();

 private:
  int64_t deadlineNanoseconds_;
  unsigned calls_ = 0;
  bool spent_ = false;
};

// Decides at the end of a chain: the name of the item inside the folder open as `folder` (empty
// for the folder itself), or nothing, to try another folder that matches the chain.
using ItemInFolder = std::function<std::optional<std::string>(int folder)>;

// The path that the chain leads to and `item` accepts, or nothing. One directory read per level,
// and at most a few more where several folders of a level match: a chain that leads nowhere is
// given up at once. A mount that is gone, covered or of another mark leads nowhere.
std::optional<std::string> FollowChain(const FolderChain &chain, const ItemInFolder &item, SearchBudget &budget);

// The entry of the folder open as `folder` that has this device and inode; links are not followed.
// The entry named `likelyName` is looked at first, so only a renamed item costs a directory read.
std::optional<std::string> EntryWithInode(int folder, uint64_t device, uint64_t inode,
                                          const std::string &likelyName, SearchBudget &budget);

// Lexical parts of an absolute path; "/" is its own parent and leaf.
std::string ParentPath(const std::string &path);
std::string LeafName(const std::string &path);

}  // namespace platform
