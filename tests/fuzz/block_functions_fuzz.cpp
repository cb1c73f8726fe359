// QRVUtil's string and memory block functions on any bytes, called through the host: copies
// between strings and blocks, blocks over a string's own storage, four-character codes, the
// hash, byte masking and encodings. Input: a flag byte (bits 0 to 2: the string's encoding,
// bits 4 to 7: how many host allocations fail), a length and a mask (4 bytes each), then the
// string's bytes.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/plugin_session.h"

namespace {

using fake::Host;

// Eight, for three bits of the flag byte; an unknown value among them.
constexpr uint32_t kEncodings[] = {HOST_ENCODING_UTF8,  HOST_ENCODING_MAC_ROMAN, HOST_ENCODING_UTF16,
                                   HOST_ENCODING_ASCII, HOST_ENCODING_NONE,      0x12345678u,
                                   HOST_ENCODING_UTF8,  HOST_ENCODING_NONE};

struct Functions {
  HostObject (*toBlock)(HostString) = fuzz::PluginGlobal<HostObject(HostString)>(
      "StringToMemoryBlockQRV(s as string) as memoryblock");
  HostObject (*byReference)(HostString) = fuzz::PluginGlobal<HostObject(HostString)>(
      "StringToMemoryBlockByReferenceQRV(s as string) as memoryblock");
  HostString (*toString)(HostObject) = fuzz::PluginGlobal<HostString(HostObject)>(
      "MemoryBlockToStringQRV(s as memoryblock) as string");
  HostString (*toStringWithLength)(HostObject, intptr_t) = fuzz::PluginGlobal<HostString(HostObject, intptr_t)>(
      "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string");
  HostObject (*clone)(HostObject) = fuzz::PluginGlobal<HostObject(HostObject)>(
      "CloneMemoryBlockQRV(s as memoryblock) as memoryblock");
  HostObject (*cloneWithLength)(HostObject, intptr_t) = fuzz::PluginGlobal<HostObject(HostObject, intptr_t)>(
      "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock");
  HostObject (*stringBlock)(HostString) = fuzz::PluginGlobal<HostObject(HostString)>(
      "NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  HostString (*storageString)(HostObject) = reinterpret_cast<HostString (*)(HostObject)>(
      fuzz::PluginHost().Property("StringMemoryBlockQRV", "StorageString")->getter);
  intptr_t (*osType)(HostString) = fuzz::PluginGlobal<intptr_t(HostString)>(
      "OSTypeFromStringQRV(str as string) as integer");
  HostString (*fromOSType)(intptr_t) = fuzz::PluginGlobal<HostString(intptr_t)>(
      "StringFromOSTypeQRV(int as integer) as string");
  intptr_t (*hash)(HostString) = fuzz::PluginGlobal<intptr_t(HostString)>("GetHash32QRV(s as string) as integer");
  HostString (*xorBytes)(HostString, intptr_t) = fuzz::PluginGlobal<HostString(HostString, intptr_t)>(
      "BitwiseXORStringBytesQRV(s as string, v as integer) as string");
  intptr_t (*getEncoding)(HostString) = fuzz::PluginGlobal<intptr_t(HostString)>(
      "GetEncodingOfStringQRV(s as string) as integer");
  void (*setEncoding)(HostString, intptr_t) = fuzz::PluginGlobal<void(HostString, intptr_t)>(
      "SetEncodingOfStringQRV(s as string, encoding as integer)");
  HostString (*cloneString)(HostString) = fuzz::PluginGlobal<HostString(HostString)>(
      "CloneStringQRV(s as string) as string");
};

// The bytes a length asks of `bytes`: none for a negative length, never more than there are.
std::string_view Prefix(std::string_view bytes, int32_t length) {
  return length < 0 ? std::string_view() : bytes.substr(0, static_cast<size_t>(length));
}

void CheckBlock(HostObject block, std::string_view expected, const char *what) {
  if (block == nullptr) return;
  fuzz::Check(fuzz::PluginHost().BlockBytes(block) == expected, what);
  fuzz::PluginHost().ReleaseObject(block);
}

void CheckString(HostString string, std::string_view expected, const char *what) {
  if (string == nullptr) return;
  fuzz::Check(Host::Text(string) == expected, what);
  fuzz::PluginHost().Release(string);
}

void BlockCopies(const Functions &f, HostString s, std::string_view bytes, int32_t length, bool failing) {
  Host &host = fuzz::PluginHost();
  HostObject block = f.toBlock(s);
  fuzz::Check(block != nullptr || failing, "a string gave no memory block");
  if (block == nullptr) return;
  fuzz::Check(host.BlockBytes(block) == bytes, "a block is not a copy of its string");
  CheckString(f.toString(block), bytes, "a block's string is not its bytes");
  HostString prefix = f.toStringWithLength(block, length);
  fuzz::Check(prefix == nullptr || length > 0, "a string for a length of nothing");
  CheckString(prefix, Prefix(bytes, length), "a string of a length is not the block's first bytes");
  CheckBlock(f.clone(block), bytes, "a clone differs from its block");
  HostObject part = f.cloneWithLength(block, length);
  fuzz::Check(part == nullptr || length >= 0, "a clone for a negative length");
  CheckBlock(part, Prefix(bytes, length), "a clone of a length is not the block's first bytes");
  host.ReleaseObject(block);
}

void BlocksOverStorage(const Functions &f, HostString s) {
  Host &host = fuzz::PluginHost();
  if (HostObject shared = f.byReference(s)) host.ReleaseObject(shared);
  if (HostObject block = f.stringBlock(s)) {
    HostString held = f.storageString(block);
    fuzz::Check(held == s, "a string memory block holds another string");
    host.Release(held);
    host.ReleaseObject(block);
  }
}

void Codes(const Functions &f, HostString s, std::string_view bytes, int32_t code) {
  Host &host = fuzz::PluginHost();
  (void)f.osType(s);
  if (HostString codeString = f.fromOSType(code)) {
    fuzz::Check(Host::Text(codeString).size() == 4, "a four-character code is not four bytes");
    fuzz::Check(f.osType(codeString) == code, "a code does not survive the trip through its string");
    host.Release(codeString);
  }
  std::string lower(bytes);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  HostString lowered = host.MakeString(lower);
  fuzz::Check(f.hash(s) == f.hash(lowered), "the hash depends on letter case");
  host.Release(lowered);
}

void Masking(const Functions &f, HostString s, std::string_view bytes, int32_t mask) {
  Host &host = fuzz::PluginHost();
  HostString once = f.xorBytes(s, mask);
  if (once == nullptr) return;
  fuzz::Check(Host::Text(once).size() == bytes.size(), "masking changed the length");
  CheckString(f.xorBytes(once, mask), bytes, "masking twice does not give the bytes back");
  host.Release(once);
}

void Encodings(const Functions &f, HostString s, std::string_view bytes, int32_t encoding) {
  const auto was = static_cast<uint32_t>(f.getEncoding(s));
  HostString copy = f.cloneString(s);
  // A UTF-16 string comes back converted to UTF-8; any other keeps its bytes and encoding.
  if (was == HOST_ENCODING_UTF16) {
    fuzz::Check(copy == nullptr || Host::Encoding(copy) == HOST_ENCODING_UTF8, "a UTF-16 clone is not UTF-8");
    if (copy != nullptr) fuzz::PluginHost().Release(copy);
  } else {
    fuzz::Check(copy == nullptr || Host::Encoding(copy) == was, "a clone has another encoding");
    CheckString(copy, bytes, "a clone has other bytes");
  }
  f.setEncoding(s, encoding);
  fuzz::Check(static_cast<uint32_t>(f.getEncoding(s)) == static_cast<uint32_t>(encoding),
              "an encoding set is not the encoding read");
  f.setEncoding(nullptr, encoding);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const Functions f;
  Host &host = fuzz::PluginHost();
  const fuzz::HeldReferences before = fuzz::StartInput();

  fuzz::Input in(data, size);
  const uint8_t flags = in.Byte();
  const uint32_t encoding = kEncodings[flags & 7];
  const int failures = flags >> 4;
  const int32_t length = in.Int32();
  const int32_t mask = in.Int32();
  const std::string_view bytes = in.Rest();

  HostString s = host.MakeString(bytes, encoding);
  host.FailNextAllocations(failures);
  BlockCopies(f, s, bytes, length, failures > 0);
  BlocksOverStorage(f, s);
  Codes(f, s, bytes, length);
  Masking(f, s, bytes, mask);
  Encodings(f, s, bytes, mask);
  host.FailNextAllocations(0);
  host.Release(s);
  fuzz::CheckAllGivenBack(before);
  return 0;
}
