#include "plugin/host_callbacks.h"

#include <array>
#include <cstddef>

namespace qrv {
namespace {

enum Callback : size_t {
  kRegisterMethod,
  kRegisterClass,
  kRegisterClassExtension,
  kNewInstance,
  kBuildString,
  kLockObject,
  kUnlockObject,
  kLockString,
  kUnlockString,
  kGetStringEncoding,
  kSetStringEncoding,
  kConvertString,
  kGetRBVersion,
  kYieldToRB,
  kEnterMovies,
  kFolderItemFromFSSpec,
  kFSSpecFromFolderItem,
  kFSRefFromFolderItem,
  kFolderItemFromParentFSRef,
  kNewMemoryBlock,
  kMemoryBlockGetPtr,
  kMemoryBlockGetSize,
  kPtrToMemoryBlock,
  kCallbackCount
};

constexpr std::array<const char *, kCallbackCount> kCallbackNames = {
    "PluginRegisterMethod",
    "PluginRegisterClass",
    "PluginRegisterClassExtension",
    "PluginNewInstance",
    "REALBuildString",
    "REALLockObject",
    "REALUnlockObject",
    "REALLockString",
    "REALUnlockString",
    "REALGetStringEncoding",
    "REALSetStringEncoding",
    "REALConvertString",
    "REALGetRBVersion",
    "REALYieldToRB",
    "REALenterMovies",
    "FolderItemFromFSSpec",
    "REALFSSpecFromFolderItem",
    "REALFSRefFromFolderItem",
    "REALFolderItemFromParentFSRef",
    "newMemoryBlock",
    "memoryBlockGetPtr",
    "memoryBlockGetSize",
    "PtrToMemoryBlock",
};

struct HostConnection {
  HostCallbackResolver resolver = nullptr;
  std::array<void *, kCallbackCount> slots{};
  bool versionAsked = false;
  double version = 0.0;
};

HostConnection &Connection() {
  static HostConnection connection;
  return connection;
}

// An empty slot is filled from the resolver; a null answer leaves it empty for the next use.
void *Resolve(Callback id) {
  HostConnection &connection = Connection();
  void *&slot = connection.slots[id];
  if (slot == nullptr && connection.resolver != nullptr) {
    slot = connection.resolver(kCallbackNames[id]);
  }
  return slot;
}

template <typename Signature>
Signature *Routine(Callback id) {
  return reinterpret_cast<Signature *>(Resolve(id));
}

// Calls the routine, or gives `missing` when the host has none.
template <typename Signature, typename Result, typename... Args>
Result CallOr(Callback id, Result missing, Args... args) {
  Signature *routine = Routine<Signature>(id);
  return routine != nullptr ? routine(args...) : missing;
}

template <typename Signature, typename... Args>
void CallIfThere(Callback id, Args... args) {
  if (Signature *routine = Routine<Signature>(id)) {
    routine(args...);
  }
}

}  // namespace

void ConnectHost(HostCallbackResolver resolver) { Connection() = HostConnection{resolver}; }

HostCallbackResolver ConnectedResolver() { return Connection().resolver; }

bool AskHostVersion(double &version) {
  auto *routine = Routine<double()>(kGetRBVersion);
  version = routine != nullptr ? routine() : 0.0;
  return routine != nullptr;
}

double HostVersion() {
  HostConnection &connection = Connection();
  if (!connection.versionAsked) {
    double version = 0.0;
    AskHostVersion(version);
    connection.version = version;
    connection.versionAsked = true;
  }
  return connection.version;
}

void HostRegisterMethod(PluginMethodRecord *record) {
  CallIfThere<void(PluginMethodRecord *)>(kRegisterMethod, record);
}

ClassRegistrar ResolveRegisterClass() { return Routine<void(PluginClassRecord *)>(kRegisterClass); }

ClassRegistrar ResolveRegisterClassExtension() {
  return Routine<void(PluginClassRecord *)>(kRegisterClassExtension);
}

HostObject HostNewInstance(const char *className) {
  return CallOr<HostObject(const char *)>(kNewInstance, HostObject{}, className);
}

HostString HostBuildString(const void *bytes, int32_t length) {
  return CallOr<HostString(const void *, int32_t)>(kBuildString, HostString{}, bytes, length);
}

void HostLockObject(HostObject object) { CallIfThere<void(HostObject)>(kLockObject, object); }

void HostUnlockObject(HostObject object) { CallIfThere<void(HostObject)>(kUnlockObject, object); }

void HostLockString(HostString string) { CallIfThere<void(HostString)>(kLockString, string); }

void HostUnlockString(HostString string) { CallIfThere<void(HostString)>(kUnlockString, string); }

uint32_t HostGetStringEncoding(HostString string) {
  return CallOr<uint32_t(HostString)>(kGetStringEncoding, uint32_t{0}, string);
}

void HostSetStringEncoding(HostString string, uint32_t encoding) {
  CallIfThere<void(HostString, uint32_t)>(kSetStringEncoding, string, encoding);
}

HostString HostConvertString(HostString string, uint32_t encoding) {
  return CallOr<HostString(HostString, uint32_t)>(kConvertString, HostString{}, string, encoding);
}

void HostYield() { CallIfThere<void()>(kYieldToRB); }

void HostEnterMovies() { CallIfThere<void()>(kEnterMovies); }

HostObject HostFolderItemFromFSSpec(const FSSpec *spec) {
  return CallOr<HostObject(const FSSpec *)>(kFolderItemFromFSSpec, HostObject{}, spec);
}

bool HostFSSpecFromFolderItem(FSSpec *spec, HostObject item) {
  return CallOr<bool(FSSpec *, HostObject)>(kFSSpecFromFolderItem, false, spec, item);
}

bool HostFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name) {
  return CallOr<bool(HostObject, FSRef *, HFSUniStr255 *)>(kFSRefFromFolderItem, false, item, ref,
                                                           name);
}

HostObject HostFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name) {
  return CallOr<HostObject(const FSRef *, const HFSUniStr255 *)>(kFolderItemFromParentFSRef,
                                                                 HostObject{}, parent, name);
}

HostObject HostNewMemoryBlock(int32_t size) {
  return CallOr<HostObject(int32_t)>(kNewMemoryBlock, HostObject{}, size);
}

void *HostMemoryBlockPtr(HostObject block) {
  return CallOr<void *(HostObject)>(kMemoryBlockGetPtr, static_cast<void *>(nullptr), block);
}

int32_t HostMemoryBlockSize(HostObject block) {
  return CallOr<int32_t(HostObject)>(kMemoryBlockGetSize, int32_t{0}, block);
}

HostObject HostPtrToMemoryBlock(const void *bytes) {
  return CallOr<HostObject(const void *)>(kPtrToMemoryBlock, HostObject{}, bytes);
}

}  // namespace qrv
