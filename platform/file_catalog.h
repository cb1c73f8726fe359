// What this process knows of where items are: each item it has made a reference for or found by
// following one, by its device and inode, with its path and the mount (and mark) it was on. A
// reference to a known item resolves by its path, checked to be the same device and inode on the
// same mount instance, at any depth, on any file system, with no more rights than the path needs.
// The most recently used items are kept; references to the others are followed by their chains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct CatalogItem {
  uint32_t mountID = 0;
  uint64_t mark = 0;  // of the mount, 0 when it has none
  uint64_t device = 0;
  uint64_t inode = 0;
  bool isFolder = false;
  std::string path;
};

constexpr size_t kCatalogItems = 100'000;

void RememberItem(const CatalogItem &item);
// The path of the known item with this device and inode, if it is still there. The caller may
// name a mount whose mark it has just looked up, so it is not looked up again.
std::optional<std::string> KnownPathOf(uint64_t device, uint64_t inode, uint32_t checkedMount = 0,
                                       uint64_t checkedMark = 0);
// The path of the known folder on mount `mountID` whose inode's low 32 bits are `folderID`, if it
// is still there and no other known folder there has them too.
std::optional<std::string> KnownFolder(uint32_t mountID, uint32_t folderID);

}  // namespace platform
