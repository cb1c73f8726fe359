#include "platform/memory.h"

#include <cstdlib>

namespace platform {

// A zero size still gives a distinct block, as the Memory Manager does.
Ptr NewPtr(Size size) {
  return size < 0 ? nullptr : static_cast<Ptr>(std::malloc(size == 0 ? 1 : static_cast<size_t>(size)));
}

Ptr NewPtrClear(Size size) {
  return size < 0 ? nullptr : static_cast<Ptr>(std::calloc(size == 0 ? 1 : static_cast<size_t>(size), 1));
}

void DisposePtr(Ptr block) { std::free(block); }

}  // namespace platform
