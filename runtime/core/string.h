// The runtime string: a reference-counted run of bytes with a text encoding value. It wraps the
// host string record that plug-ins read, so a String can cross into a bundle unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "abi/host_abi.h"

namespace rt {

enum Encoding : uint32_t {
  kEncodingMacRoman = HOST_ENCODING_MAC_ROMAN,
  kEncodingUTF16 = HOST_ENCODING_UTF16,
  kEncodingASCII = HOST_ENCODING_ASCII,
  kEncodingUTF8 = HOST_ENCODING_UTF8,
  kEncodingNone = HOST_ENCODING_NONE,
};

// Record helpers shared with the plug-in host: a new record carries one reference.
HostStringRecord *NewStringRecord(const void *bytes, size_t length, uint32_t encoding);

// A record made in an arena has this bit set in its reference count word, and the word before
// the record points to its block.
constexpr HostWord kArenaRecord = HostWord{1} << (sizeof(HostWord) * 8 - 1);
// Frees a record whose last reference has gone.
void FreeStringRecord(HostStringRecord *record);

// Copies and drops of strings are the store's hot path (completion hands back every name), so
// the counting itself is inline.
inline void LockStringRecord(HostStringRecord *record) {
  if (record) ++record->referenceCount;
}
inline void UnlockStringRecord(HostStringRecord *record) {
  if (record && ((--record->referenceCount) & ~kArenaRecord) == 0) FreeStringRecord(record);
}
size_t StringRecordReferences(const HostStringRecord *record);

// Makes many strings from one run of blocks instead of one allocation each, as a file load
// does. A block is freed when the arena and every string made in it are gone.
class StringArena {
 public:
  StringArena() = default;
  ~StringArena();
  StringArena(const StringArena &) = delete;
  StringArena &operator=(const StringArena &) = delete;
  HostStringRecord *NewRecord(const void *bytes, size_t length, uint32_t encoding);

  struct Block;

 private:
  Block *block_ = nullptr;
  size_t used_ = 0;
};

class String {
 public:
  String() = default;  // nil: the empty string
  String(const char *utf8);  // NOLINT: text literals are UTF-8
  String(std::string_view bytes, uint32_t encoding = kEncodingUTF8);

  static String Adopt(HostStringRecord *record) {  // takes over one reference
    String s;
    s.record_ = record;
    return s;
  }
  static String Retain(HostStringRecord *record);  // adds one reference

  String(const String &other) : record_(other.record_) { LockStringRecord(record_); }
  String(String &&other) noexcept : record_(other.record_) { other.record_ = nullptr; }
  String &operator=(const String &other);
  String &operator=(String &&other) noexcept;
  ~String() {
    UnlockStringRecord(record_);
  }

  // Inline: every name comparison of the store's scans starts here.
  std::string_view Bytes() const {
    if (!record_ || record_->length <= 0) return {};
    return {reinterpret_cast<const char *>(record_->storage + 1), static_cast<size_t>(record_->length)};
  }
  size_t ByteLength() const { return record_ ? static_cast<size_t>(record_->length) : 0; }
  bool IsEmpty() const { return ByteLength() == 0; }
  uint32_t Encoding() const { return record_ ? static_cast<uint32_t>(record_->encoding) : kEncodingUTF8; }
  std::string ToStd() const { return std::string(Bytes()); }

  HostStringRecord *Record() const { return record_; }
  HostStringRecord *Release();  // gives up this String's reference to the caller

  // Equality ignores letter case (EqualIgnoringCase in case_folding.h).
  friend bool operator==(const String &a, const String &b);
  friend String operator+(const String &a, const String &b);

 private:
  HostStringRecord *record_ = nullptr;
};

}  // namespace rt
