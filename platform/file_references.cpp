#include "platform/file_references.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/file_catalog.h"
#include "platform/mounts.h"

namespace platform {
namespace {

constexpr size_t kSpecNameBytes = sizeof(FSSpec::name) - 1;
// The last chain byte of an FSRef counts the bytes of the name kept before it, and a marked
// reference keeps its mount's mark just before that count.
constexpr size_t kMarkAt = FSREF_CHAIN_BYTES - 1 - FSREF_MARK_BYTES;
// Enough to tell a folder from its neighbours; the name spares a renamed-or-not file a listing.
constexpr unsigned kFewestBitsBesideAName = 12;
// An FSSpec's chain starts with its count of levels and its width, and a stamped one with the
// low 32 bits of its folder's folded stamp.
constexpr size_t kSpecChainHead = 2;
constexpr size_t kSpecStampBytes = sizeof(uint32_t);

unsigned BitsPerLevel(size_t levels, size_t chainBytes) {
  return levels == 0 ? 0 : static_cast<unsigned>(std::min<size_t>(64, chainBytes * 8 / levels));
}

// Entry i in bits [i*bits, (i+1)*bits), lowest bit first.
void PackChain(const std::vector<uint64_t> &folders, unsigned bits, uint8_t *chain, size_t chainBytes) {
  std::memset(chain, 0, chainBytes);
  size_t at = 0;
  for (uint64_t inode : folders) {
    for (unsigned bit = 0; bit < bits; ++bit, ++at) {
      if ((inode >> bit) & 1) {
        chain[at / 8] |= static_cast<uint8_t>(1u << (at % 8));
      }
    }
  }
}

// Nothing when the entries do not fit the bytes the chain has.
std::optional<FolderChain> UnpackChain(uint32_t mountID, const uint8_t *chain, size_t chainBytes, size_t levels,
                                       unsigned bits) {
  if (bits > 64 || levels * bits > chainBytes * 8) {
    return std::nullopt;
  }
  FolderChain unpacked{mountID, 0, bits, std::vector<uint64_t>(levels)};
  size_t at = 0;
  for (uint64_t &inode : unpacked.folders) {
    for (unsigned bit = 0; bit < bits; ++bit, ++at) {
      if ((chain[at / 8] >> (at % 8)) & 1) {
        inode |= uint64_t{1} << bit;
      }
    }
  }
  return unpacked;
}

bool IsPlainName(std::string_view name) {
  return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// What a chain led to, for the next time.
void RememberFound(uint32_t mountID, const std::string &path) {
  struct stat info {};
  const std::optional<uint64_t> mark = MountMark(mountID);
  if (mark && lstat(path.c_str(), &info) == 0) {
    RememberItem({mountID, *mark, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                  StampOf(AT_FDCWD, path.c_str()), S_ISDIR(info.st_mode), path});
  }
}

// Whether the entry `name` of the folder open as `folder` ("" for the folder) has the stamp
// whose fold with the mount's mark is `folded`, in the bits of `mask`.
bool HasFoldedStamp(int folder, const char *name, uint64_t mark, uint64_t folded, uint64_t mask = ~uint64_t{0}) {
  const ItemStamp stamp = StampOf(folder, name);
  return stamp.value != 0 && (FoldedStamp(mark, stamp.value) & mask) == (folded & mask);
}

}  // namespace

void Remember(const FileLocation &location) {
  RememberItem({location.mountID, location.mark, location.device, location.inode, location.stamp, location.isFolder,
                location.path});
}

FSRef RefFor(const FileLocation &location) {
  FSRefContents contents{};
  contents.magic = FSREF_MAGIC;
  contents.mountID = location.mountID;
  contents.device = location.device;
  contents.inode = location.inode;
  contents.kind = location.isMountRoot ? FSREF_KIND_MOUNT_ROOT : FSREF_KIND_ENTRY;
  const size_t levels = location.folders.size();
  contents.levels = static_cast<uint16_t>(levels);
  // The chain and the name share what the count and the mark leave.
  const size_t room = location.mark != 0 ? kMarkAt : FSREF_CHAIN_BYTES - 1;
  // The name goes beside the chain when the chain keeps enough bits of each folder without it.
  const std::string name = location.isMountRoot ? "" : LeafName(location.path);
  const bool keepName = !name.empty() && name.size() < room &&
                        (levels == 0 || BitsPerLevel(levels, room - name.size()) >= kFewestBitsBesideAName);
  const size_t chainBytes = keepName ? room - name.size() : room;
  contents.bits = static_cast<uint8_t>(BitsPerLevel(levels, chainBytes));
  PackChain(location.folders, contents.bits, contents.chain, chainBytes);
  if (keepName) {
    std::memcpy(contents.chain + chainBytes, name.data(), name.size());
    contents.chain[FSREF_CHAIN_BYTES - 1] = static_cast<uint8_t>(name.size());
  }
  if (location.mark != 0) {
    const bool stamped = location.stamp.value != 0;
    const uint64_t word = stamped ? FoldedStamp(location.mark, location.stamp.value) : location.mark;
    contents.kind |= FSREF_KIND_MOUNT_MARKED | (stamped ? FSREF_KIND_ITEM_STAMPED : 0);
    std::memcpy(contents.chain + kMarkAt, &word, FSREF_MARK_BYTES);
  }
  FSRef ref;
  std::memcpy(&ref, &contents, sizeof ref);
  return ref;
}

std::optional<std::string> PathOfRef(const FSRef &ref) {
  FSRefContents contents;
  std::memcpy(&contents, &ref, sizeof contents);
  if (contents.magic != FSREF_MAGIC) {
    return std::nullopt;
  }
  const uint64_t device = contents.device;
  const uint64_t inode = contents.inode;
  const bool marked = (contents.kind & FSREF_KIND_MOUNT_MARKED) != 0;
  const bool stamped = (contents.kind & FSREF_KIND_ITEM_STAMPED) != 0;
  const unsigned kind = contents.kind & ~(FSREF_KIND_MOUNT_MARKED | FSREF_KIND_ITEM_STAMPED);
  // The mark, or with a stamp the mark and the stamp folded together.
  uint64_t word = 0;
  std::optional<uint64_t> mark;
  if (stamped && !marked) {
    return std::nullopt;
  }
  if (marked) {
    std::memcpy(&word, contents.chain + kMarkAt, sizeof word);
    mark = MountMark(contents.mountID);
    // Made on a file system that is no longer there, or is covered now: whatever is there now is
    // another file.
    if (word == 0 || !mark || (!stamped && *mark != word)) {
      return std::nullopt;
    }
  }
  if (kind != FSREF_KIND_ENTRY && kind != FSREF_KIND_MOUNT_ROOT) {
    return std::nullopt;
  }
  const RecordedItem wanted{contents.mountID, device, inode, stamped ? 0 : word, stamped ? word : 0};
  if (std::optional<std::string> known = KnownPathOf(wanted, mark.value_or(0))) {
    return known;
  }
  // Device and inode are given again to other items: the one found must have the stamp too.
  const auto isStamped = [&](int folder, const char *name) {
    return !stamped || HasFoldedStamp(folder, name, *mark, word);
  };
  SearchBudget budget;
  std::optional<std::string> found;
  if (kind == FSREF_KIND_MOUNT_ROOT) {
    const FolderChain toRoot{contents.mountID, stamped ? 0 : word, 0, {}};
    found = FollowChain(
        toRoot,
        [&](int root) -> std::optional<std::string> {
          struct stat info {};
          const bool same = fstat(root, &info) == 0 && static_cast<uint64_t>(info.st_dev) == device &&
                            static_cast<uint64_t>(info.st_ino) == inode && isStamped(root, "");
          return same ? std::optional<std::string>("") : std::nullopt;
        },
        budget);
  } else {
    const size_t nameEnd = marked ? kMarkAt : FSREF_CHAIN_BYTES - 1;
    const size_t nameLength = contents.chain[FSREF_CHAIN_BYTES - 1];
    const size_t chainBytes = nameEnd - std::min(nameLength, nameEnd);
    const std::string name(reinterpret_cast<const char *>(contents.chain + chainBytes),
                           nameLength <= nameEnd ? nameLength : 0);
    const std::optional<FolderChain> chain =
        UnpackChain(contents.mountID, contents.chain, chainBytes, contents.levels, contents.bits);
    if (!chain) {
      return std::nullopt;
    }
    FolderChain marking = *chain;
    marking.mark = stamped ? 0 : word;
    const std::string likelyName = IsPlainName(name) ? name : "";
    SearchBudget *spending = &budget;
    const ItemInFolder entry = [&](int folder) -> std::optional<std::string> {
      std::optional<std::string> leaf = EntryWithInode(folder, device, inode, likelyName, *spending);
      return leaf && isStamped(folder, leaf->c_str()) ? leaf : std::nullopt;
    };
    found = FollowChain(marking, entry, budget);
    // A folder has no second link, so a second folder with all the record holds is a twin it
    // cannot tell apart (btrfs gives every stand-in for a subvolume in a snapshot inode 2).
    struct stat info {};
    if (found && lstat(found->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      SearchBudget again;
      spending = &again;
      found = FollowChain(marking, entry, again, true);
    }
  }
  if (found && IsSubvolumeStandIn(*found, inode)) {
    return std::nullopt;  // only its path told it from the others
  }
  if (found) {
    RememberFound(contents.mountID, *found);
  }
  return found;
}

OSErr SpecFor(const FileLocation &folder, const std::string &name, bool isVolume, FSSpec &spec) {
  spec = FSSpec{};
  if (folder.mountID > 0x7FFF) {
    return nsvErr;
  }
  if (name.size() > kSpecNameBytes) {
    return bdNamErr;
  }
  spec.vRefNum = static_cast<int16_t>(-static_cast<int32_t>(folder.mountID));
  spec.name[0] = static_cast<unsigned char>(name.size());
  std::memcpy(spec.name + 1, name.data(), name.size());
  if (isVolume) {
    spec.parID = FSSPEC_PARID_VOLUME;
    return noErr;
  }
  if (folder.isMountRoot) {
    spec.parID = FSSPEC_PARID_ROOT_FOLDER;
    return noErr;
  }
  spec.parID = static_cast<int32_t>(static_cast<uint32_t>(folder.inode));
  std::vector<uint64_t> chain = folder.folders;
  chain.push_back(folder.inode);
  const bool stamped = folder.mark != 0 && folder.stamp.value != 0;
  const size_t head = kSpecChainHead + (stamped ? kSpecStampBytes : 0);
  const size_t room = kSpecNameBytes - name.size();
  // Without a chain the FSSpec would hold its folder's number alone, which does not tell the folder
  // from one that takes the number later or repeats it (a btrfs snapshot), nor a folder numbered
  // 1 or 2 (a fresh tmpfs gives its first folder inode 2) from the mount or its root folder.
  if (room < head || chain.size() > 0xFF) {
    spec = FSSpec{};
    return bdNamErr;
  }
  // The chain takes what the name leaves of its field: a count, a width, the stamp, the entries.
  unsigned char *after = spec.name + 1 + name.size();
  const unsigned bits = BitsPerLevel(chain.size(), room - head);
  after[0] = static_cast<unsigned char>(chain.size());
  after[1] = static_cast<unsigned char>(bits | (stamped ? FSSPEC_CHAIN_STAMPED : 0));
  if (stamped) {
    const auto folded = static_cast<uint32_t>(FoldedStamp(folder.mark, folder.stamp.value));
    std::memcpy(after + kSpecChainHead, &folded, sizeof folded);
  }
  PackChain(chain, bits, after + head, room - head);
  return noErr;
}

OSErr PathOfSpec(const FSSpec &spec, std::string &path) {
  if (spec.vRefNum >= 0) {
    return nsvErr;
  }
  const auto mountID = static_cast<uint32_t>(-static_cast<int32_t>(spec.vRefNum));
  const size_t nameLength = std::min<size_t>(spec.name[0], kSpecNameBytes);
  const std::string name(reinterpret_cast<const char *>(spec.name + 1), nameLength);
  const unsigned char *after = spec.name + 1 + nameLength;
  const size_t room = kSpecNameBytes - nameLength;
  const size_t levels = room >= 1 ? after[0] : 0;
  const unsigned width = room >= 2 ? after[1] : 0;
  SearchBudget budget;
  if (levels == 0 && spec.parID == FSSPEC_PARID_VOLUME) {
    const FolderChain toRoot{mountID, 0, 0, {}};
    const std::optional<std::string> volume =
        FollowChain(toRoot, [](int) { return std::optional<std::string>(""); }, budget);
    if (!volume) {
      return nsvErr;
    }
    path = *volume;
    return noErr;
  }
  if (!IsPlainName(name)) {
    return bdNamErr;
  }
  const auto folderID = static_cast<uint32_t>(spec.parID);
  const bool inRootFolder = levels == 0 && spec.parID == FSSPEC_PARID_ROOT_FOLDER;
  const bool stamped = (width & FSSPEC_CHAIN_STAMPED) != 0;
  const size_t head = kSpecChainHead + (stamped ? kSpecStampBytes : 0);
  if (levels != 0 && room < head) {
    return fnfErr;
  }
  // A folder's number alone cannot tell it from one that took the number since, or repeats it.
  if (levels == 0 && !inRootFolder) {
    return fnfErr;
  }
  uint32_t folded = 0;
  std::optional<std::string> folder;
  if (stamped) {
    std::memcpy(&folded, after + kSpecChainHead, sizeof folded);
    folder = KnownFolder(mountID, folderID, folded);
  }
  if (!folder) {
    const std::optional<uint64_t> mark = MountMark(mountID);
    const std::optional<FolderChain> chain =
        inRootFolder ? FolderChain{mountID, 0, 0, {}}
                     : UnpackChain(mountID, after + head, room - head, levels, width & ~FSSPEC_CHAIN_STAMPED);
    // Without a stamp, the chain's end is told by the folder's number alone: a second folder with
    // that number on the way makes the FSSpec name nothing.
    folder = chain && mark ? FollowChain(
                                 *chain,
                                 [&](int candidate) -> std::optional<std::string> {
                                   struct stat info {};
                                   const bool same =
                                       inRootFolder ||
                                       (fstat(candidate, &info) == 0 && static_cast<uint32_t>(info.st_ino) == folderID &&
                                        (!stamped || HasFoldedStamp(candidate, "", *mark, folded, 0xFFFFFFFFu)));
                                   return same ? std::optional<std::string>("") : std::nullopt;
                                 },
                                 budget, !stamped && !inRootFolder)
                           : std::nullopt;
    if (folder && IsSubvolumeStandIn(*folder, folderID)) {
      folder.reset();
    }
    if (folder && !inRootFolder) {
      RememberFound(mountID, *folder);
    }
  }
  if (!folder) {
    return fnfErr;
  }
  path = name.empty() ? *folder : (*folder == "/" ? "" : *folder) + "/" + name;
  return noErr;
}

}  // namespace platform
