// StringMemoryBlockQRV: a host memory block whose bytes are a string's own storage.
#pragma once

#include "abi/host_abi.h"

namespace qrv {

HostObject NewStringMemoryBlockQRV(HostString data);
void StringMemoryBlockDestructor(HostObject block);
HostString StorageStringGetter(HostObject block);

}  // namespace qrv
