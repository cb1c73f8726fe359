#include "plugin/string_memory_block.h"

#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"
#include "plugin/member_table.h"

namespace qrv {
namespace {

// A host memory block keeps its byte pointer in one of its first words.
constexpr size_t kProbeWords = 20;

HostString &HeldString(HostObject block) {
  return InstanceField<HostString>(block, gStringMemoryBlockClass, 0);
}

// The word of a host memory block that holds its byte pointer, found by making a block over a
// known pointer. Only words before this class's own data can be the host's.
bool FindBytePointerWord(HostObject probe, const void *known, size_t &word) {
  const auto *words = static_cast<const HostWord *>(probe);
  const size_t limit = gStringMemoryBlockClass.dataOffset / sizeof(HostWord);
  for (size_t i = 0; i < kProbeWords && i < limit; ++i) {
    if (words[i] == reinterpret_cast<HostWord>(known)) {
      word = i;
      return true;
    }
  }
  return false;
}

}  // namespace

HostObject NewStringMemoryBlockQRV(HostString data) {
  const HostStringRecord *record = StringRecord(data);
  if (record == nullptr || record->storage == nullptr) {
    return nullptr;
  }
  HostObject block = HostNewInstance("StringMemoryBlockQRV");
  if (block == nullptr) {
    return nullptr;
  }
  HeldString(block) = data;
  HostLockString(data);

  HostObject probe = HostPtrToMemoryBlock(data);
  if (probe == nullptr) {
    HostUnlockObject(block);
    return nullptr;
  }
  size_t word = 0;
  const bool found = FindBytePointerWord(probe, data, word);
  HostUnlockObject(probe);
  if (!found) {
    HostUnlockObject(block);  // its destructor drops the string
    return nullptr;
  }
  static_cast<HostWord *>(block)[word] = reinterpret_cast<HostWord>(record->storage + 1);
  return block;
}

void StringMemoryBlockDestructor(HostObject block) {
  HostString &held = HeldString(block);
  HostUnlockString(held);
  held = nullptr;
}

HostString StorageStringGetter(HostObject block) {
  HostString held = HeldString(block);
  if (held != nullptr) {
    HostLockString(held);
  }
  return held;
}

}  // namespace qrv
