#include "platform/file_references.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

constexpr size_t kSpecNameBytes = sizeof(FSSpec::name) - 1;
// The last chain byte of an FSRef counts the bytes of the name kept before it.
constexpr size_t kRefChainBits = (FSREF_CHAIN_BYTES - 1) * 8;
constexpr unsigned kFewestBitsBesideAName = 16;

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
  FolderChain unpacked{mountID, bits, std::vector<uint64_t>(levels)};
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

}  // namespace

FSRef RefFor(const FileLocation &location) {
  FSRefContents contents{};
  contents.magic = FSREF_MAGIC;
  contents.mountID = location.mountID;
  contents.device = location.device;
  contents.inode = location.inode;
  contents.kind = location.isMountRoot ? FSREF_KIND_MOUNT_ROOT : FSREF_KIND_ENTRY;
  const size_t levels = location.folders.size();
  contents.levels = static_cast<uint16_t>(levels);
  // The name goes beside the chain when the chain keeps enough bits of each folder without it.
  const std::string name = location.isMountRoot ? "" : LeafName(location.path);
  const size_t nameRoom = FSREF_CHAIN_BYTES - 1 - std::min<size_t>(name.size(), FSREF_CHAIN_BYTES - 1);
  const bool keepName = !name.empty() && name.size() < FSREF_CHAIN_BYTES - 1 &&
                        (levels == 0 || BitsPerLevel(levels, nameRoom) >= kFewestBitsBesideAName);
  contents.bits = static_cast<uint8_t>(BitsPerLevel(levels, keepName ? nameRoom : kRefChainBits / 8));
  PackChain(location.folders, contents.bits, contents.chain, sizeof contents.chain - 1);
  if (keepName) {
    std::memcpy(contents.chain + nameRoom, name.data(), name.size());
    contents.chain[FSREF_CHAIN_BYTES - 1] = static_cast<uint8_t>(name.size());
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
  if (contents.kind == FSREF_KIND_MOUNT_ROOT) {
    const FolderChain toRoot{contents.mountID, 0, {}};
    return FollowChain(toRoot, [&](int root) -> std::optional<std::string> {
      struct stat info {};
      const bool same = fstat(root, &info) == 0 && static_cast<uint64_t>(info.st_dev) == device &&
                        static_cast<uint64_t>(info.st_ino) == inode;
      return same ? std::optional<std::string>("") : std::nullopt;
    });
  }
  const size_t nameLength = contents.chain[FSREF_CHAIN_BYTES - 1];
  const size_t chainBytes = FSREF_CHAIN_BYTES - 1 - std::min<size_t>(nameLength, FSREF_CHAIN_BYTES - 1);
  const std::string name(reinterpret_cast<const char *>(contents.chain + chainBytes), nameLength < FSREF_CHAIN_BYTES ? nameLength : 0);
  const std::optional<FolderChain> chain =
      contents.kind == FSREF_KIND_ENTRY
          ? UnpackChain(contents.mountID, contents.chain, chainBytes, contents.levels, contents.bits)
          : std::nullopt;
  if (!chain) {
    return std::nullopt;
  }
  const std::string likelyName = IsPlainName(name) ? name : "";
  return FollowChain(*chain, [&](int folder) { return EntryWithInode(folder, device, inode, likelyName); });
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
  // The chain takes what the name leaves of its field: a count, a width, then the entries.
  std::vector<uint64_t> chain = folder.folders;
  chain.push_back(folder.inode);
  unsigned char *after = spec.name + 1 + name.size();
  const size_t room = kSpecNameBytes - name.size();
  if (room >= 1 && chain.size() <= 0xFF) {
    after[0] = static_cast<unsigned char>(chain.size());
  }
  if (room >= 2 && chain.size() <= 0xFF) {
    after[1] = static_cast<unsigned char>(BitsPerLevel(chain.size(), room - 2));
    PackChain(chain, after[1], after + 2, room - 2);
  }
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
  if (levels == 0 && spec.parID == FSSPEC_PARID_VOLUME) {
    const FolderChain toRoot{mountID, 0, {}};
    const std::optional<std::string> volume =
        FollowChain(toRoot, [](int) { return std::optional<std::string>(""); });
    if (!volume) {
      return nsvErr;
    }
    path = *volume;
    return noErr;
  }
  if (!IsPlainName(name)) {
    return bdNamErr;
  }
  std::optional<FolderChain> chain;
  if (levels == 0 && spec.parID == FSSPEC_PARID_ROOT_FOLDER) {
    chain = FolderChain{mountID, 0, {}};
  } else if (levels != 0) {
    chain = UnpackChain(mountID, after + 2, room >= 2 ? room - 2 : 0, levels, room >= 2 ? after[1] : 0);
  }
  const auto folderID = static_cast<uint32_t>(spec.parID);
  const std::optional<std::string> folder =
      chain ? FollowChain(*chain,
                          [&](int candidate) -> std::optional<std::string> {
                            struct stat info {};
                            const bool same = levels == 0 || (fstat(candidate, &info) == 0 &&
                                                               static_cast<uint32_t>(info.st_ino) == folderID);
                            return same ? std::optional<std::string>("") : std::nullopt;
                          })
            : std::nullopt;
  if (!folder) {
    return fnfErr;
  }
  path = name.empty() ? *folder : (*folder == "/" ? "" : *folder) + "/" + name;
  return noErr;
}

}  // namespace platform
