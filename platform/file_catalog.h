// What this process knows of where items are: each item it has made a reference for or found by
// following one, by its device and inode, with its stamp, its path and the mount (and mark) it was
// on. A reference to a known item resolves by its path, checked to be the same item (its stamp, or
// where it has none its device and inode) on the same mount instance, at any depth, on any file
// system, with no more rights than the path needs. The catalog answers only for an item that
// matches everything the reference holds. The most recently used items are kept; references to
// the others are followed by their chains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_identity.h"

namespace platform {

struct CatalogItem {
  uint32_t mountID = 0;
  uint64_t mark = 0;  // of the mount, 0 when it has none
  uint64_t device = 0;
  uint64_t inode = 0;
  ItemStamp stamp;
  bool isFolder = false;
  std::string path;
};

// What a reference holds of its item.
struct RecordedItem {
  uint32_t mountID = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t mark = 0;    // of the mount; 0 when the reference keeps none, or keeps it folded
  uint64_t folded = 0;  // FoldedStamp of mark and stamp; 0 when the reference keeps no stamp
};

constexpr size_t kCatalogItems = 100'000;

void RememberItem(const CatalogItem &item);
// The path of the known item that the reference names, if it is still there. `currentMark` is the
// mark its mount has now, just looked up by the caller, so it is not looked up again.
std::optional<std::string> KnownPathOf(const RecordedItem &wanted, uint64_t currentMark);
// The path of the known folder on mount `mountID` whose inode's low 32 bits are `folderID` and
// whose folded stamp has the low 32 bits `folded`, if it is still there and no other known folder
// has all of them too.
std::optional<std::string> KnownFolder(uint32_t mountID, uint32_t folderID, uint32_t folded);


}  // namespace platform
