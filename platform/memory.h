// The Memory Manager's pointer blocks, on the C heap.
#pragma once

#include <cstddef>

namespace platform {

using Ptr = char *;
using Size = long;

// A block of `size` bytes that the caller keeps or frees with DisposePtr; null when there is no
// memory or the size is negative.
Ptr NewPtr(Size size);
Ptr NewPtrClear(Size size);
void DisposePtr(Ptr block);

}  // namespace platform
