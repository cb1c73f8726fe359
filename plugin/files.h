// Volume and file queries on host folder items, and folder items from file references.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

intptr_t VolumeSizeKBQRV(HostObject item);
double VolumeSizeQRV(HostObject item);
intptr_t VolumeFreeSizeKBQRV(HostObject item);
double VolumeFreeSizeQRV(HostObject item);
HostObject FSSpecQRV(HostObject item);
HostObject FSRefQRV(HostObject item);
HostObject FSRefNameQRV(HostObject item, HostString *name);
intptr_t FlushVolumeQRV(HostObject item);
bool IsFileDataForkOpenReadWriteQRV(HostObject item);
bool IsFileResourceForkOpenReadWriteQRV(HostObject item);

HostObject NewFolderItemFSSpecQRV(HostObject fsspec);
HostObject NewFolderItemFSRefQRV(HostObject fsref);
HostObject NewFolderItemFSRefNameQRV(HostObject fsref, HostString name);

}  // namespace qrv
