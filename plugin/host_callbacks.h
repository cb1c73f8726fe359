// The host's routines as QRVUtil reaches them: each is resolved by name on first use and kept.
// A missing routine yields the value its call-through documents, and is asked for again on the
// next use, so a host that registers late is still found.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

namespace qrv {

// Keeps the resolver for the life of the bundle and forgets every cached answer (the version
// too), so each connection starts as a fresh load does.
void ConnectHost(HostCallbackResolver resolver);
HostCallbackResolver ConnectedResolver();

// The host version, asked once per connection; 0.0 when the host has no REALGetRBVersion.
double HostVersion();
// Asks the host every time; false when it has no REALGetRBVersion.
bool AskHostVersion(double &version);

// Registration. The class routines come resolved, null when the host lacks them.
void HostRegisterMethod(PluginMethodRecord *record);
using ClassRegistrar = void (*)(PluginClassRecord *record);
ClassRegistrar ResolveRegisterClass();
ClassRegistrar ResolveRegisterClassExtension();

HostObject HostNewInstance(const char *className);                      // nil when missing
HostString HostBuildString(const void *bytes, int32_t length);          // nil when missing
void HostLockObject(HostObject object);
void HostUnlockObject(HostObject object);
void HostLockString(HostString string);
void HostUnlockString(HostString string);
uint32_t HostGetStringEncoding(HostString string);                      // 0 when missing
void HostSetStringEncoding(HostString string, uint32_t encoding);
HostString HostConvertString(HostString string, uint32_t encoding);     // nil when missing
void HostYield();
void HostEnterMovies();

HostObject HostFolderItemFromFSSpec(const FSSpec *spec);                // nil when missing
bool HostFSSpecFromFolderItem(FSSpec *spec, HostObject item);           // false when missing
bool HostFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name);
HostObject HostFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name);

HostObject HostNewMemoryBlock(int32_t size);                            // nil when missing
void *HostMemoryBlockPtr(HostObject block);                             // null when missing
int32_t HostMemoryBlockSize(HostObject block);                          // 0 when missing
HostObject HostPtrToMemoryBlock(const void *bytes);                     // nil when missing

}  // namespace qrv
