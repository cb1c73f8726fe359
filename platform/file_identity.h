// Where a file is, as numbers, and finding it again from them. A file reference carries no path,
// and the runtime, each bundle's copy of this layer and other processes all read the same
// references, so each is followed from what it carries: its mount, the inodes of the folders on
// the way down from the mount's root folder, and the item's own device and inode. Nothing is
// remembered between calls, and no mount is listed as a whole.
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
  bool isMountRoot = false;
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
  unsigned bits = 0;
  std::vector<uint64_t> folders;
};

// Decides at the end of a chain: the name of the item inside the folder open as `folder` (empty
// for the folder itself), or nothing, to try another folder that matches the chain.
using ItemInFolder = std::function<std::optional<std::string>(int folder)>;

// The path that the chain leads to and `item` accepts, or nothing. One directory read per level,
// and at most a few more where several folders of a level match: a chain that leads nowhere is
// given up at once.
std::optional<std::string> FollowChain(const FolderChain &chain, const ItemInFolder &item);

// The entry of the folder open as `folder` that has this device and inode; links are not followed.
// The entry named `likelyName` is looked at first, so only a renamed item costs a directory read.
std::optional<std::string> EntryWithInode(int folder, uint64_t device, uint64_t inode,
                                          const std::string &likelyName);

// Lexical parts of an absolute path; "/" is its own parent and leaf.
std::string ParentPath(const std::string &path);
std::string LeafName(const std::string &path);

}  // namespace platform
