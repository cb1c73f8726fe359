// The runtime's MemoryBlock. Its byte pointer, size and whether it owns the bytes are the first
// words of its instance data, right after the object header: bundles look for the byte pointer
// among an object's first words, and a subclass's data follows these fields.
#include <cstdlib>

#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/boundary.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

struct MemoryBlockData {
  void *bytes;
  intptr_t size;
  intptr_t owned;
};

MemoryBlockData *DataOf(HostObject object) {
  return static_cast<MemoryBlockData *>(InstanceData(static_cast<HostObjectRecord *>(object), "MemoryBlock"));
}

void DestroyMemoryBlock(HostObject object) {
  MemoryBlockData *data = DataOf(object);
  if (data && data->owned) std::free(data->bytes);
}

PluginClassRecord memoryBlockClass = {
    .version = 9,
    .name = "MemoryBlock",
    .dataSize = sizeof(MemoryBlockData),
    .destructor = reinterpret_cast<void *>(&DestroyMemoryBlock),
};

HostObject NewBlock(void *bytes, intptr_t size, bool owned) {
  HostObjectRecord *block = NewHostInstance("MemoryBlock");
  if (MemoryBlockData *data = block ? DataOf(block) : nullptr) *data = {bytes, size, owned};
  return block;
}

}  // namespace

void RegisterMemoryBlockClass() {
  if (!FindHostClass(memoryBlockClass.name)) RegisterHostClass(&memoryBlockClass);
}

}  // namespace rt

extern "C" HostObject newMemoryBlock(int32_t size) noexcept {
  if (size < 0) return nullptr;
  // At least one byte, so an empty block still has a pointer of its own.
  void *bytes = std::calloc(static_cast<size_t>(size) + 1, 1);
  if (!bytes) return nullptr;
  HostObject block = rt::AtBoundary<HostObject>(nullptr, [&] { return rt::NewBlock(bytes, size, true); });
  if (!block) std::free(bytes);
  return block;
}

// A view of bytes the block neither copies nor frees. Their extent is unknown, so the block
// reports size 0 and nobody reading by its size reads past them.
extern "C" HostObject PtrToMemoryBlock(const void *bytes) noexcept {
  if (!bytes) return nullptr;
  return rt::AtBoundary<HostObject>(nullptr, [&] { return rt::NewBlock(const_cast<void *>(bytes), 0, false); });
}

extern "C" void *memoryBlockGetPtr(HostObject block) noexcept {
  rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr;
  return data ? data->bytes : nullptr;
}

extern "C" int32_t memoryBlockGetSize(HostObject block) noexcept {
  rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr;
  return data ? static_cast<int32_t>(data->size) : 0;
}
