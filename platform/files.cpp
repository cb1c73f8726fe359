#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "platform/file_identity.h"

namespace platform {
namespace {

constexpr uint32_t kRefMagic = 0x51525666;  // 'QRVf'

struct RefBits {
  uint32_t magic;
  uint32_t mountID;
  uint64_t inode;
  uint8_t unused[64];
};
static_assert(sizeof(RefBits) == sizeof(FSRef));

FSRef MakeRef(const FileIdentity &identity) {
  RefBits bits{kRefMagic, identity.mountID, static_cast<uint64_t>(identity.inode), {}};
  FSRef ref;
  std::memcpy(&ref, &bits, sizeof ref);
  return ref;
}

std::optional<std::string> PathOfRef(const FSRef *ref) {
  RefBits bits;
  std::memcpy(&bits, ref, sizeof bits);
  if (bits.magic != kRefMagic) {
    return std::nullopt;
  }
  return PathOf(bits.mountID, bits.inode, 64);
}

bool IsVolumeRoot(const std::string &path) {
  const std::optional<FileIdentity> self = IdentityOf(path);
  const std::optional<FileIdentity> parent = IdentityOf(ParentPath(path));
  return path == "/" || !self || !parent || self->mountID != parent->mountID;
}

std::optional<std::string> VolumePath(int16_t vRefNum) {
  return vRefNum < 0 ? MountPoint(static_cast<uint32_t>(-vRefNum)) : std::nullopt;
}

bool UniNameOf(const std::string &name, HFSUniStr255 *out) {
  const char *utf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
  iconv_t converter = iconv_open(utf16, "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return false;
  }
  std::string input = name;
  char *in = input.data();
  size_t inLeft = input.size();
  char *outPtr = reinterpret_cast<char *>(out->unicode);
  size_t outLeft = sizeof out->unicode;
  const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) {
    return false;
  }
  out->length = static_cast<uint16_t>((sizeof out->unicode - outLeft) / 2);
  return true;
}

// Whether any process holds the file open for writing, from each open descriptor in /proc.
bool OpenForWritingAnywhere(const struct stat &file) {
  DIR *processes = opendir("/proc");
  if (processes == nullptr) {
    return false;
  }
  bool found = false;
  while (dirent *process = readdir(processes)) {
    if (found || process->d_name[0] < '0' || process->d_name[0] > '9') {
      continue;
    }
    const std::string base = std::string("/proc/") + process->d_name;
    DIR *descriptors = opendir((base + "/fd").c_str());
    if (descriptors == nullptr) {
      continue;
    }
    while (dirent *descriptor = readdir(descriptors)) {
      struct stat target {};
      const std::string fd = descriptor->d_name;
      if (fd[0] == '.' || stat((base + "/fd/" + fd).c_str(), &target) != 0 ||
          target.st_dev != file.st_dev || target.st_ino != file.st_ino) {
        continue;
      }
      std::ifstream info(base + "/fdinfo/" + fd);
      std::string key;
      std::string flags;
      while (info >> key >> flags && key != "flags:") {
      }
      if (key == "flags:" && (std::stoul(flags, nullptr, 8) & O_ACCMODE) != O_RDONLY) {
        found = true;
        break;
      }
    }
    closedir(descriptors);
  }
  closedir(processes);
  return found;
}

}  // namespace

OSErr FSPathMakeRef(const char *path, FSRef *ref, bool *isDirectory) {
  const std::optional<FileIdentity> identity = IdentityOf(path ? path : "");
  if (!identity) {
    return fnfErr;
  }
  *ref = MakeRef(*identity);
  if (isDirectory != nullptr) {
    struct stat info {};
    *isDirectory = stat(path, &info) == 0 && S_ISDIR(info.st_mode);
  }
  return noErr;
}

OSErr FSRefMakePath(const FSRef *ref, std::string &path) {
  const std::optional<std::string> found = PathOfRef(ref);
  if (!found) {
    return fnfErr;
  }
  path = *found;
  return noErr;
}

OSErr FSPathMakeFSSpec(const char *path, FSSpec *spec) {
  const std::string full = path ? path : "";
  *spec = FSSpec{};
  if (IdentityOf(full) && IsVolumeRoot(full)) {
    const std::optional<FileIdentity> volume = IdentityOf(full);
    if (volume->mountID > 0x7FFF) {
      return nsvErr;
    }
    spec->vRefNum = static_cast<int16_t>(-static_cast<int32_t>(volume->mountID));
    spec->parID = fsRtParID;
  } else {
    const std::optional<FileIdentity> folder = IdentityOf(ParentPath(full));
    if (!folder) {
      return fnfErr;
    }
    if (folder->mountID > 0x7FFF) {
      return nsvErr;
    }
    spec->vRefNum = static_cast<int16_t>(-static_cast<int32_t>(folder->mountID));
    spec->parID = static_cast<int32_t>(static_cast<uint32_t>(folder->inode));
  }
  const std::string name = LeafName(full);
  if (name.size() > 63) {
    return bdNamErr;
  }
  spec->name[0] = static_cast<unsigned char>(name.size());
  std::memcpy(spec->name + 1, name.data(), name.size());
  return IdentityOf(full) ? noErr : fnfErr;
}

OSErr FSSpecMakePath(const FSSpec *spec, std::string &path) {
  if (spec->vRefNum >= 0) {
    return nsvErr;
  }
  const auto mountID = static_cast<uint32_t>(-static_cast<int32_t>(spec->vRefNum));
  if (spec->parID == fsRtParID) {
    const std::optional<std::string> volume = MountPoint(mountID);
    if (!volume) {
      return nsvErr;
    }
    path = *volume;
    return noErr;
  }
  const std::optional<std::string> folder = PathOf(mountID, static_cast<uint32_t>(spec->parID), 32);
  if (!folder) {
    return fnfErr;
  }
  const size_t nameLength = spec->name[0] < 64 ? spec->name[0] : 63;
  const std::string name(reinterpret_cast<const char *>(spec->name + 1), nameLength);
  path = name.empty() ? *folder : (*folder == "/" ? "" : *folder) + "/" + name;
  return IdentityOf(path) ? noErr : fnfErr;
}

OSErr FSpMakeFSRef(const FSSpec *spec, FSRef *ref) {
  std::string path;
  const OSErr error = FSSpecMakePath(spec, path);
  return error != noErr ? error : FSPathMakeRef(path.c_str(), ref, nullptr);
}

OSErr FSGetCatalogInfo(const FSRef *ref, uint32_t whichInfo, FSCatalogInfo *catalogInfo,
                       HFSUniStr255 *outName, FSSpec *fsSpec, FSRef *parentRef) {
  const std::optional<std::string> path = PathOfRef(ref);
  if (!path) {
    return fnfErr;
  }
  const bool root = IsVolumeRoot(*path);
  if (catalogInfo != nullptr && (whichInfo & kFSCatInfoNodeID) != 0) {
    const std::optional<FileIdentity> identity = IdentityOf(*path);
    catalogInfo->nodeID = root ? fsRtDirID : static_cast<uint32_t>(identity ? identity->inode : 0);
  }
  if (outName != nullptr && !UniNameOf(LeafName(*path), outName)) {
    return bdNamErr;
  }
  if (fsSpec != nullptr) {
    const OSErr error = FSPathMakeFSSpec(path->c_str(), fsSpec);
    if (error != noErr) {
      return error;
    }
  }
  if (parentRef != nullptr) {
    *parentRef = FSRef{};
    if (*path != "/") {
      FSPathMakeRef(ParentPath(*path).c_str(), parentRef, nullptr);
    }
  }
  return noErr;
}

OSErr PBXGetVolInfoSync(XVolumeParam *block) {
  const std::optional<std::string> volume = VolumePath(block->ioVRefNum);
  struct statvfs figures {};
  if (!volume || statvfs(volume->c_str(), &figures) != 0) {
    return nsvErr;
  }
  block->ioVTotalBytes = static_cast<uint64_t>(figures.f_blocks) * figures.f_frsize;
  block->ioVFreeBytes = static_cast<uint64_t>(figures.f_bavail) * figures.f_frsize;
  return noErr;
}

OSErr FlushVol(const unsigned char *, int16_t vRefNum) {
  const std::optional<std::string> volume = VolumePath(vRefNum);
  if (!volume) {
    return nsvErr;
  }
  const int fd = open(volume->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return ioErr;
  }
  const int result = syncfs(fd);
  close(fd);
  return result == 0 ? noErr : ioErr;
}

OSErr FSpOpenDF(const FSSpec *spec, int8_t permission, int16_t *refNum) {
  std::string path;
  if (const OSErr error = FSSpecMakePath(spec, path); error != noErr) {
    return error;
  }
  struct stat file {};
  if (stat(path.c_str(), &file) != 0) {
    return fnfErr;
  }
  if (S_ISDIR(file.st_mode)) {
    return notAFileErr;
  }
  const int access = permission & 0x03;
  if (access != 0x01 && OpenForWritingAnywhere(file)) {
    return opWrErr;
  }
  const int flags = access == 0x01 ? O_RDONLY : access == 0x02 ? O_WRONLY : O_RDWR;
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return errno == EACCES ? permErr : ioErr;
  }
  if (fd > 0x7FFF) {
    close(fd);
    return ioErr;
  }
  *refNum = static_cast<int16_t>(fd);
  return noErr;
}

OSErr FSpOpenRF(const FSSpec *, int8_t, int16_t *) { return fnfErr; }

OSErr FSClose(int16_t refNum) { return close(refNum) == 0 ? noErr : ioErr; }

}  // namespace platform
