#include "runtime/core/string.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/core/case_folding.h"

namespace rt {

// Fills a record laid out as the record followed at once by its storage: a length byte, the
// text, a NUL.
static HostStringRecord *FillRecord(void *at, HostWord references, const void *bytes, size_t length,
                                    uint32_t encoding) {
  auto *record = static_cast<HostStringRecord *>(at);
  record->referenceCount = references;
  record->storage = reinterpret_cast<unsigned char *>(record + 1);
  record->encoding = encoding;
  record->length = static_cast<intptr_t>(length);
  record->storage[0] = static_cast<unsigned char>(length > 255 ? 255 : length);
  if (length) std::memcpy(record->storage + 1, bytes, length);
  record->storage[length + 1] = 0;
  return record;
}

HostStringRecord *NewStringRecord(const void *bytes, size_t length, uint32_t encoding) {
  void *block = std::malloc(sizeof(HostStringRecord) + length + 2);
  if (!block) throw std::bad_alloc();
  return FillRecord(block, 1, bytes, length, encoding);
}

constexpr size_t kArenaBlockBytes = 256 * 1024;

struct StringArena::Block {
  size_t live;  // strings made here and still referenced, plus one while the arena fills it
  size_t capacity;
};

static void ReleaseBlock(StringArena::Block *block);

void FreeStringRecord(HostStringRecord *record) {
  if (record->referenceCount & kArenaRecord) {
    StringArena::Block *block;
    std::memcpy(&block, reinterpret_cast<unsigned char *>(record) - sizeof block, sizeof block);
    ReleaseBlock(block);
  } else {
    std::free(record);
  }
}

size_t StringRecordReferences(const HostStringRecord *record) {
  return record ? static_cast<size_t>(record->referenceCount & ~kArenaRecord) : 0;
}

static void ReleaseBlock(StringArena::Block *block) {
  if (--block->live == 0) std::free(block);
}

StringArena::~StringArena() {
  if (block_) ReleaseBlock(block_);
}

HostStringRecord *StringArena::NewRecord(const void *bytes, size_t length, uint32_t encoding) {
  auto align = [](size_t n) { return (n + alignof(HostStringRecord) - 1) & ~(alignof(HostStringRecord) - 1); };
  size_t need = align(sizeof(Block *) + sizeof(HostStringRecord) + length + 2);
  if (need > kArenaBlockBytes / 4) return NewStringRecord(bytes, length, encoding);
  if (!block_ || used_ + need > block_->capacity) {
    if (block_) ReleaseBlock(block_);
    void *memory = std::malloc(kArenaBlockBytes);
    if (!memory) throw std::bad_alloc();
    block_ = static_cast<Block *>(memory);
    block_->live = 1;
    block_->capacity = kArenaBlockBytes;
    used_ = align(sizeof(Block));
  }
  unsigned char *at = reinterpret_cast<unsigned char *>(block_) + used_;
  used_ += need;
  ++block_->live;
  std::memcpy(at, &block_, sizeof block_);
  return FillRecord(at + sizeof(Block *), 1 | kArenaRecord, bytes, length, encoding);
}

String::String(const char *utf8) : String(std::string_view(utf8 ? utf8 : "")) {}

String::String(std::string_view bytes, uint32_t encoding)
    : record_(NewStringRecord(bytes.data(), bytes.size(), encoding)) {}

String String::Retain(HostStringRecord *record) {
  LockStringRecord(record);
  return Adopt(record);
}



String &String::operator=(const String &other) {
  LockStringRecord(other.record_);
  UnlockStringRecord(record_);
  record_ = other.record_;
  return *this;
}

String &String::operator=(String &&other) noexcept {
  if (this != &other) {
    UnlockStringRecord(record_);
    record_ = other.record_;
    other.record_ = nullptr;
  }
  return *this;
}


HostStringRecord *String::Release() {
  HostStringRecord *r = record_;
  record_ = nullptr;
  return r;
}

bool operator==(const String &a, const String &b) { return EqualIgnoringCase(a, b); }

String operator+(const String &a, const String &b) {
  std::string joined;
  joined.reserve(a.ByteLength() + b.ByteLength());
  joined.append(a.Bytes());
  joined.append(b.Bytes());
  // The left side's encoding wins, unless it is empty and carries none worth keeping.
  uint32_t encoding = a.IsEmpty() ? b.Encoding() : a.Encoding();
  return String(joined, encoding);
}

}  // namespace rt
