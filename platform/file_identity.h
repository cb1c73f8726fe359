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

// A stamp of an item's identity that its file system does not give to another item later, as it
// gives inode numbers again (ext4 at once) or repeats them (btrfs snapshots, overlays): a hash of
// its file handle (the inode's generation and, on btrfs, its subvolume), or where the file system
// gives no handle, of its birth time. 0 where it keeps neither: there only device and inode tell.
struct ItemStamp {
  uint64_t value = 0;
  bool fromHandle = false;  // then the handle alone tells the item again, without a stat
};

// The stamp of the entry `name` of the folder open as `folder` ("" for the folder itself); a link
// is the item itself.
ItemStamp StampOf(int folder, const char *name);
// Whether the item at `path` is still the one with this device, inode and stamp: one look.
bool ItemIsAt(const std::string &path, uint64_t device, uint64_t inode, const ItemStamp &stamp);
// Whether the folder is one of btrfs's stand-ins for the subvolumes inside a snapshot: all of them
// have inode 2, one device and one handle, so nothing tells one from another.
bool IsSubvolumeStandIn(const std::string &path, uint64_t inode);
// The mount's mark and the item's stamp as one word, as records keep both where they have room for
// one; never 0.
uint64_t FoldedStamp(uint64_t mark, uint64_t stamp);

struct FileLocation {
  uint32_t mountID = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t mark = 0;  // of the mount, 0 when it has none
  ItemStamp stamp;
  bool isMountRoot = false;
  bool isFolder = false;
  // Inodes of the folders between the mount's root folder and the item, outermost first.
  std::vector<uint64_t> folders;
  // The item's path, its folders free of links.
  std::string path;
};

// Where the item at an absolute path is. A link as the last element is the item itself. A file
// that is a mount point itself (bound over another, as containers bind /etc/hosts) is an entry of
// the folder above it, on that folder's mount.
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
// given up at once. A mount that is gone, covered or of another mark leads nowhere. With `alone`,
// a second path that the chain also leads to and `item` also accepts makes it nothing: the
// record cannot tell the two apart.
std::optional<std::string> FollowChain(const FolderChain &chain, const ItemInFolder &item, SearchBudget &budget,
                                       bool alone = false);

// The entry of the folder open as `folder` that has this device and inode; links are not followed.
// The entry named `likelyName` is looked at first, so only a renamed item costs a directory read.
std::optional<std::string> EntryWithInode(int folder, uint64_t device, uint64_t inode,
                                          const std::string &likelyName, SearchBudget &budget);

// Lexical parts of an absolute path; "/" is its own parent and leaf.
std::string ParentPath(const std::string &path);
std::string LeafName(const std::string &path);

}  // namespace platform
