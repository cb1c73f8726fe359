// Reading the host's strings and objects, and the bundle's one way to make strings and blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "abi/host_abi.h"

namespace qrv {

// Instance data sizes and offsets are given in 32-bit words; each word is one pointer-sized slot.
constexpr size_t Scaled(size_t classicBytes) { return classicBytes * sizeof(void *) / 4; }

// The text of a host string: storage + 1, word 3 bytes long. Nil, a null storage or a length
// below 1 reads as empty, so nothing reads past what the record announces.
std::string_view StringBytes(HostString string);
inline const HostStringRecord *StringRecord(HostString string) {
  return static_cast<const HostStringRecord *>(string);
}

// Instance data of `object` for the class whose record the host wrote the data offset into.
inline unsigned char *InstanceData(HostObject object, const PluginClassRecord &record) {
  return static_cast<unsigned char *>(object) + record.dataOffset;
}

template <typename T>
T &InstanceField(HostObject object, const PluginClassRecord &record, size_t classicOffset) {
  return *reinterpret_cast<T *>(InstanceData(object, record) + Scaled(classicOffset));
}

// A new string with one reference, or nil (the empty string) for no bytes. UTF-16 bytes come
// back as UTF-8; every other encoding value is set on the string as given.
HostString NewStringFromBytes(const void *bytes, intptr_t length, uint32_t encoding);

// A new block holding a copy of the bytes, or nil.
HostObject NewMemoryBlockFromBytes(const void *bytes, intptr_t length);

}  // namespace qrv
