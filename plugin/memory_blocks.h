// Copies between strings and the host's memory blocks.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

HostObject StringToMemoryBlockQRV(HostString s);
HostObject StringToMemoryBlockByReferenceQRV(HostString s);
HostString MemoryBlockToStringQRV(HostObject block);
HostString MemoryBlockToStringWithLengthQRV(HostObject block, intptr_t length);
HostObject CloneMemoryBlockQRV(HostObject block);
HostObject CloneMemoryBlockWithLengthQRV(HostObject block, intptr_t length);

}  // namespace qrv
