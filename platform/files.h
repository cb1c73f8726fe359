// The File Manager calls QRVUtil makes, on Linux files. An FSSpec names a file by its volume
// (the mount, as a negative id), its folder and its name; an FSRef by its mount, device and
// inode. Both carry the way down to their folder (abi/host_abi.h), so any program finds the file
// again from the bytes alone; this process finds those it made or followed by their paths.
#pragma once

#include <cstdint>
#include <string>

#include "abi/host_abi.h"

namespace platform {

using OSErr = int16_t;

constexpr OSErr noErr = 0;
constexpr OSErr nsvErr = -35;      // no such volume
constexpr OSErr ioErr = -36;
constexpr OSErr bdNamErr = -37;    // name does not fit
constexpr OSErr fnfErr = -43;      // file not found
constexpr OSErr fBsyErr = -47;
constexpr OSErr opWrErr = -49;     // already open for writing
constexpr OSErr paramErr = -50;
constexpr OSErr permErr = -54;
constexpr OSErr notAFileErr = -1302;

constexpr int8_t fsRdWrPerm = 0x03;
constexpr int32_t fsRtParID = 1;
constexpr uint32_t fsRtDirID = 2;

constexpr uint32_t kFSCatInfoNone = 0;
constexpr uint32_t kFSCatInfoNodeID = 0x10;

struct FSCatalogInfo {
  uint32_t nodeID;  // fsRtDirID for the root folder of a volume
};

struct XVolumeParam {
  const unsigned char *ioNamePtr;
  int16_t ioVRefNum;
  int16_t ioVolIndex;
  uint32_t ioXVersion;
  uint64_t ioVTotalBytes;
  uint64_t ioVFreeBytes;
};

// For hosts: between paths and references.
OSErr FSPathMakeRef(const char *path, FSRef *ref, bool *isDirectory);
OSErr FSRefMakePath(const FSRef *ref, std::string &path);
// The FSSpec of a path whose folder exists; fnfErr, with the FSSpec filled, when the file does not.
OSErr FSPathMakeFSSpec(const char *path, FSSpec *spec);
OSErr FSSpecMakePath(const FSSpec *spec, std::string &path);
OSErr FSpMakeFSRef(const FSSpec *spec, FSRef *ref);

OSErr FSGetCatalogInfo(const FSRef *ref, uint32_t whichInfo, FSCatalogInfo *catalogInfo,
                       HFSUniStr255 *outName, FSSpec *fsSpec, FSRef *parentRef);
OSErr PBXGetVolInfoSync(XVolumeParam *block);
OSErr FlushVol(const unsigned char *volumeName, int16_t vRefNum);
// Opens the data fork; opWrErr when any process has the file open for writing.
OSErr FSpOpenDF(const FSSpec *spec, int8_t permission, int16_t *refNum);
// Linux files have no resource fork: it is never found.
OSErr FSpOpenRF(const FSSpec *spec, int8_t permission, int16_t *refNum);
OSErr FSClose(int16_t refNum);

}  // namespace platform
