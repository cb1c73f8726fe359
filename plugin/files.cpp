#include "plugin/files.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/files.h"
#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"

namespace qrv {
namespace {

constexpr intptr_t kVolumeFailure = -1;
constexpr int8_t kReadWriteDenyingOthers = 0x33;

bool SpecOf(HostObject item, FSSpec &spec) {
  return item != nullptr && HostFSSpecFromFolderItem(&spec, item);
}

bool VolumeFigures(HostObject item, platform::XVolumeParam &figures) {
  FSSpec spec{};
  if (!SpecOf(item, spec)) {
    return false;
  }
  figures = platform::XVolumeParam{};
  figures.ioVRefNum = spec.vRefNum;
  return platform::PBXGetVolInfoSync(&figures) == platform::noErr;
}

// The low 32 bits of the kilobytes, as the classic host's Integer held them.
intptr_t Kilobytes(uint64_t bytes) { return static_cast<int32_t>(static_cast<uint32_t>(bytes >> 10)); }

using ForkOpener = platform::OSErr (*)(const FSSpec *, int8_t, int16_t *);

bool ForkOpenElsewhere(HostObject item, ForkOpener open) {
  FSSpec spec{};
  if (!SpecOf(item, spec)) {
    return false;
  }
  int16_t refNum = 0;
  const platform::OSErr result = open(&spec, kReadWriteDenyingOthers, &refNum);
  if (result == platform::noErr) {
    platform::FSClose(refNum);
    return false;
  }
  return result == platform::fBsyErr || result == platform::opWrErr || result == -5000;
}

// A block's first `size` bytes as a record; nothing when the block is shorter.
template <typename Record>
bool RecordFromBlock(HostObject block, Record &record) {
  if (block == nullptr) {
    return false;
  }
  const void *bytes = HostMemoryBlockPtr(block);
  if (bytes == nullptr || HostMemoryBlockSize(block) < static_cast<int32_t>(sizeof(Record))) {
    return false;
  }
  std::memcpy(&record, bytes, sizeof(Record));
  return true;
}

HostObject FolderItemFromFSRef(const FSRef &ref) {
  platform::FSCatalogInfo info{};
  FSRef parent{};
  if (platform::FSGetCatalogInfo(&ref, platform::kFSCatInfoNodeID, &info, nullptr, nullptr, &parent) ==
      platform::noErr) {
    if (info.nodeID == platform::fsRtDirID) {
      parent = FSRef{};  // a volume's root has no parent to name it by: take the FSSpec route
    }
    HFSUniStr255 name{};
    const platform::OSErr named =
        platform::FSGetCatalogInfo(&ref, platform::kFSCatInfoNone, nullptr, &name, nullptr, nullptr);
    if (platform::FSGetCatalogInfo(&parent, platform::kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr) ==
            platform::noErr &&
        named == platform::noErr) {
      return HostFolderItemFromParentFSRef(&parent, &name);
    }
  }
  FSSpec spec{};
  if (platform::FSGetCatalogInfo(&ref, platform::kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) !=
      platform::noErr) {
    return nullptr;
  }
  return HostFolderItemFromFSSpec(&spec);
}

}  // namespace

intptr_t VolumeSizeKBQRV(HostObject item) {
  platform::XVolumeParam figures{};
  return VolumeFigures(item, figures) ? Kilobytes(figures.ioVTotalBytes) : kVolumeFailure;
}

double VolumeSizeQRV(HostObject item) {
  platform::XVolumeParam figures{};
  return VolumeFigures(item, figures) ? static_cast<double>(figures.ioVTotalBytes) : kVolumeFailure;
}

intptr_t VolumeFreeSizeKBQRV(HostObject item) {
  platform::XVolumeParam figures{};
  return VolumeFigures(item, figures) ? Kilobytes(figures.ioVFreeBytes) : kVolumeFailure;
}

double VolumeFreeSizeQRV(HostObject item) {
  platform::XVolumeParam figures{};
  return VolumeFigures(item, figures) ? static_cast<double>(figures.ioVFreeBytes) : kVolumeFailure;
}

HostObject FSSpecQRV(HostObject item) {
  FSSpec spec{};
  return SpecOf(item, spec) ? NewMemoryBlockFromBytes(&spec, sizeof spec) : nullptr;
}

HostObject FSRefQRV(HostObject item) {
  FSRef ref{};
  if (item == nullptr || !HostFSRefFromFolderItem(item, &ref, nullptr)) {
    return nullptr;
  }
  return NewMemoryBlockFromBytes(&ref, sizeof ref);
}

// The host's byref variable gets the item's name; the value it held is released.
HostObject FSRefNameQRV(HostObject item, HostString *name) {
  if (name == nullptr) {
    return FSRefQRV(item);
  }
  FSRef ref{};
  HFSUniStr255 uniName{};
  if (item == nullptr || !HostFSRefFromFolderItem(item, &ref, &uniName)) {
    return nullptr;
  }
  const size_t units = std::min<size_t>(uniName.length, 255);
  HostString made = NewStringFromBytes(uniName.unicode, static_cast<intptr_t>(units * 2), HOST_ENCODING_UTF16);
  HostUnlockString(*name);
  *name = made;
  return NewMemoryBlockFromBytes(&ref, sizeof ref);
}

intptr_t FlushVolumeQRV(HostObject item) {
  FSSpec spec{};
  return SpecOf(item, spec) ? platform::FlushVol(nullptr, spec.vRefNum) : kVolumeFailure;
}

bool IsFileDataForkOpenReadWriteQRV(HostObject item) { return ForkOpenElsewhere(item, &platform::FSpOpenDF); }

bool IsFileResourceForkOpenReadWriteQRV(HostObject item) { return ForkOpenElsewhere(item, &platform::FSpOpenRF); }

HostObject NewFolderItemFSSpecQRV(HostObject fsspec) {
  FSSpec spec{};
  return RecordFromBlock(fsspec, spec) ? HostFolderItemFromFSSpec(&spec) : nullptr;
}

HostObject NewFolderItemFSRefQRV(HostObject fsref) {
  FSRef ref{};
  return RecordFromBlock(fsref, ref) ? FolderItemFromFSRef(ref) : nullptr;
}

// The name is converted and checked, then the item is found from the reference alone.
HostObject NewFolderItemFSRefNameQRV(HostObject fsref, HostString name) {
  if (fsref == nullptr) {
    return nullptr;
  }
  if (name != nullptr) {
    HFSUniStr255 uniName{};
    HostString utf16 = HostConvertString(name, HOST_ENCODING_UTF16);
    if (utf16 == nullptr || HostGetStringEncoding(utf16) != HOST_ENCODING_UTF16) {
      HostUnlockString(utf16);
      return nullptr;
    }
    const std::string_view bytes = StringBytes(utf16);
    uniName.length = static_cast<uint16_t>(std::min<size_t>(bytes.size() / 2, 255));
    if (uniName.length != 0) std::memcpy(uniName.unicode, bytes.data(), uniName.length * 2u);
    HostUnlockString(utf16);
  }
  return NewFolderItemFSRefQRV(fsref);
}

}  // namespace qrv
