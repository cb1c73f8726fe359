// Host references as numbers, instances by class name, and the three function addresses.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

HostObject NewInstanceQRV(HostString className);
// One handler for objects and strings alike: the reference itself.
intptr_t MemoryAddressQRV(void *reference);
// One handler for objects and strings alike: the host's count less the caller's own reference.
intptr_t ReferenceCountQRV(void *reference);

intptr_t ReturnInPtrQRV();
intptr_t ReturnOutPtrQRV();
intptr_t ReturnErrPtrQRV();

}  // namespace qrv
