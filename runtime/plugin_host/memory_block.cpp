// The runtime's MemoryBlock: its byte pointer, size and whether it owns the bytes sit in its
// instance data, the first words after the object header, where bundles find the pointer.
#include <cstdlib>

#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

struct MemoryBlockData {
  void *bytes;
  intptr_t size;
  intptr_t owned;
};

void DestroyMemoryBlock(HostObject object) {
  auto *data = static_cast<MemoryBlockData *>(InstanceData(static_cast<HostObjectRecord *>(object), "MemoryBlock"));
  if (data && data->owned) std::free(data->bytes);
}

PluginClassRecord memoryBlockClass = {
    .version = 9,
    .name = "MemoryBlock",
    .dataSize = sizeof(MemoryBlockData),
    .destructor = reinterpret_cast<void *>(&DestroyMemoryBlock),
};

MemoryBlockData *DataOf(HostObject object) {
  return static_cast<MemoryBlockData *>(InstanceData(static_cast<HostObjectRecord *>(object), "MemoryBlock"));
}

}  // namespace

void RegisterMemoryBlockClass() { RegisterHostClass(&memoryBlockClass); }

}  // namespace rt

extern "C" HostObject newMemoryBlock(int32_t size) {
  if (size < 0) return nullptr;
  // calloc of at least one byte, so an empty block still has a pointer of its own.
  void *bytes = std::calloc(static_cast<size_t>(size) + 1, 1);
  if (!bytes) return nullptr;
  HostObjectRecord *block = rt::NewHostInstance("MemoryBlock");
  rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr;
  if (!data) {
    std::free(bytes);
    return nullptr;
  }
  *data = {bytes, size, 1};
  return block;
}

extern "C" HostObject PtrToMemoryBlock(const void *bytes) {
  HostObjectRecord *block = rt::NewHostInstance("MemoryBlock");
  if (rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr) {
    *data = {const_cast<void *>(bytes), 0, 0};
  }
  return block;
}

extern "C" void *memoryBlockGetPtr(HostObject block) {
  rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr;
  return data ? data->bytes : nullptr;
}

extern "C" int32_t memoryBlockGetSize(HostObject block) {
  rt::MemoryBlockData *data = block ? rt::DataOf(block) : nullptr;
  return data ? static_cast<int32_t>(data->size) : 0;
}
