#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "platform/file_identity.h"
#include "platform/file_references.h"

namespace platform {
namespace {

std::optional<std::string> VolumePath(int16_t vRefNum) {
  FSSpec volume{};
  volume.vRefNum = vRefNum;
  volume.parID = FSSPEC_PARID_VOLUME;
  std::string path;
  return vRefNum < 0 && PathOfSpec(volume, path) == noErr ? std::optional<std::string>(path) : std::nullopt;
}

bool Exists(const std::string &path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
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
      unsigned long mode = 0;
      const bool parsed =
          std::from_chars(flags.data(), flags.data() + flags.size(), mode, 8).ptr == flags.data() + flags.size();
      if (key == "flags:" && parsed && (mode & O_ACCMODE) != O_RDONLY) {
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
  const std::optional<FileLocation> location = LocateFile(path ? path : "");
  if (!location) {
    return fnfErr;
  }
  *ref = RefFor(*location);
  Remember(*location);
  if (isDirectory != nullptr) {
    struct stat info {};
    *isDirectory = stat(location->path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  return noErr;
}

OSErr FSRefMakePath(const FSRef *ref, std::string &path) {
  std::optional<std::string> found = PathOfRef(*ref);
  if (!found) {
    return fnfErr;
  }
  path = std::move(*found);
  return noErr;
}

OSErr FSPathMakeFSSpec(const char *path, FSSpec *spec) {
  const std::string full = path ? path : "";
  *spec = FSSpec{};
  const std::optional<FileLocation> item = LocateFile(full);
  if (item && item->isMountRoot) {
    return SpecFor(*item, LeafName(item->path), true, *spec);
  }
  const std::optional<FileLocation> folder = LocateFile(ParentPath(item ? item->path : full));
  if (!folder) {
    return fnfErr;
  }
  const OSErr error = SpecFor(*folder, LeafName(item ? item->path : full), false, *spec);
  if (error == noErr) {
    Remember(*folder);
  }
  return error != noErr ? error : item ? noErr : fnfErr;
}

OSErr FSSpecMakePath(const FSSpec *spec, std::string &path) {
  const OSErr error = PathOfSpec(*spec, path);
  return error != noErr ? error : Exists(path) ? noErr : fnfErr;
}

OSErr FSpMakeFSRef(const FSSpec *spec, FSRef *ref) {
  std::string path;
  const OSErr error = FSSpecMakePath(spec, path);
  return error != noErr ? error : FSPathMakeRef(path.c_str(), ref, nullptr);
}

OSErr FSGetCatalogInfo(const FSRef *ref, uint32_t whichInfo, FSCatalogInfo *catalogInfo,
                       HFSUniStr255 *outName, FSSpec *fsSpec, FSRef *parentRef) {
  const std::optional<std::string> path = PathOfRef(*ref);
  const std::optional<FileLocation> item = path ? LocateFile(*path) : std::nullopt;
  if (!item) {
    return fnfErr;
  }
  if (catalogInfo != nullptr && (whichInfo & kFSCatInfoNodeID) != 0) {
    catalogInfo->nodeID = item->isMountRoot ? fsRtDirID : static_cast<uint32_t>(item->inode);
  }
  if (outName != nullptr && !UniNameOf(LeafName(item->path), outName)) {
    return bdNamErr;
  }
  if (fsSpec != nullptr) {
    const OSErr error = FSPathMakeFSSpec(item->path.c_str(), fsSpec);
    if (error != noErr) {
      return error;
    }
  }
  if (parentRef != nullptr) {
    *parentRef = FSRef{};
    if (item->path != "/") {
      FSPathMakeRef(ParentPath(item->path).c_str(), parentRef, nullptr);
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
  if (!S_ISREG(file.st_mode)) {
    return notAFileErr;
  }
  const int access = permission & 0x03;
  if (access != 0x01 && OpenForWritingAnywhere(file)) {
    return opWrErr;
  }
  // The path may lead elsewhere by now: what was opened is checked, and nothing waits on a
  // device or a pipe put there meanwhile.
  const int flags = access == 0x01 ? O_RDONLY : access == 0x02 ? O_WRONLY : O_RDWR;
  const int fd = open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return errno == EACCES ? permErr : ioErr;
  }
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_dev != file.st_dev ||
      opened.st_ino != file.st_ino) {
    close(fd);
    return fnfErr;
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
