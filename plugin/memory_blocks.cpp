#include "plugin/memory_blocks.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"

namespace qrv {
namespace {

struct BlockBytes {
  const void *bytes = nullptr;
  int32_t size = 0;
};

// A block's bytes as the host reports them; nothing when they cannot be read.
std::optional<BlockBytes> BytesOf(HostObject block) {
  const BlockBytes result{HostMemoryBlockPtr(block), HostMemoryBlockSize(block)};
  if (result.size < 0 || (result.size > 0 && result.bytes == nullptr)) {
    return std::nullopt;
  }
  return result;
}

// A length asked of a block never reaches past its end; a negative one asks for nothing.
bool ClampToBlock(intptr_t length, int32_t size, int32_t &clamped) {
  if (length < 0) {
    return false;
  }
  clamped = static_cast<int32_t>(std::min<intptr_t>(length, size));
  return true;
}

HostObject NewBlockWithCopy(const void *bytes, int32_t size) {
  HostObject copy = HostNewMemoryBlock(size);
  if (copy == nullptr || size == 0) {
    return copy;
  }
  void *destination = HostMemoryBlockPtr(copy);
  if (destination == nullptr) {
    HostUnlockObject(copy);
    return nullptr;
  }
  std::memcpy(destination, bytes, static_cast<size_t>(size));
  return copy;
}

}  // namespace

HostObject StringToMemoryBlockQRV(HostString s) {
  if (s == nullptr) {
    return nullptr;
  }
  const std::string_view text = StringBytes(s);
  if (text.size() > static_cast<size_t>(INT32_MAX)) {
    return nullptr;
  }
  return NewBlockWithCopy(text.data(), static_cast<int32_t>(text.size()));
}

HostObject StringToMemoryBlockByReferenceQRV(HostString s) {
  const HostStringRecord *record = StringRecord(s);
  if (record == nullptr || record->storage == nullptr) {
    return nullptr;
  }
  return HostPtrToMemoryBlock(record->storage + 1);
}

HostString MemoryBlockToStringQRV(HostObject block) {
  if (block == nullptr) {
    return nullptr;
  }
  const std::optional<BlockBytes> source = BytesOf(block);
  return source ? NewStringFromBytes(source->bytes, source->size, HOST_ENCODING_NONE) : nullptr;
}

HostString MemoryBlockToStringWithLengthQRV(HostObject block, intptr_t length) {
  if (block == nullptr || length == 0) {
    return nullptr;
  }
  const std::optional<BlockBytes> source = BytesOf(block);
  int32_t clamped = 0;
  if (!source || !ClampToBlock(length, source->size, clamped)) {
    return nullptr;
  }
  return NewStringFromBytes(source->bytes, clamped, HOST_ENCODING_NONE);
}

HostObject CloneMemoryBlockQRV(HostObject block) {
  if (block == nullptr) {
    return nullptr;
  }
  const std::optional<BlockBytes> source = BytesOf(block);
  return source ? NewBlockWithCopy(source->bytes, source->size) : nullptr;
}

HostObject CloneMemoryBlockWithLengthQRV(HostObject block, intptr_t length) {
  if (block == nullptr) {
    return nullptr;
  }
  const std::optional<BlockBytes> source = BytesOf(block);
  int32_t clamped = 0;
  if (!source || !ClampToBlock(length, source->size, clamped)) {
    return nullptr;
  }
  return NewBlockWithCopy(source->bytes, clamped);
}

}  // namespace qrv
