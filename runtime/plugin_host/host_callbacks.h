// The routines a bundle reaches the runtime through, with the C signatures bundles expect.
// None of them lets an exception out, and each takes nil for any record or object.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

extern "C" {
void RegisterPluginVersion(int32_t version) noexcept;
void PluginRegisterMethod(PluginMethodRecord *record) noexcept;
void PluginRegisterClass(PluginClassRecord *record) noexcept;
void PluginRegisterClassExtension(PluginClassRecord *record) noexcept;
HostObject PluginNewInstance(const char *className) noexcept;
HostString REALBuildString(const void *bytes, int32_t length) noexcept;
void REALLockObject(HostObject object) noexcept;
void REALUnlockObject(HostObject object) noexcept;
void REALLockString(HostString string) noexcept;
void REALUnlockString(HostString string) noexcept;
uint32_t REALGetStringEncoding(HostString string) noexcept;
void REALSetStringEncoding(HostString string, uint32_t encoding) noexcept;
HostString REALConvertString(HostString string, uint32_t encoding) noexcept;
double REALGetRBVersion() noexcept;
void REALYieldToRB() noexcept;
void REALenterMovies() noexcept;
HostObject FolderItemFromFSSpec(const FSSpec *spec) noexcept;
bool REALFSSpecFromFolderItem(FSSpec *spec, HostObject item) noexcept;
bool REALFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name) noexcept;
HostObject REALFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name) noexcept;
HostObject newMemoryBlock(int32_t size) noexcept;
void *memoryBlockGetPtr(HostObject block) noexcept;
int32_t memoryBlockGetSize(HostObject block) noexcept;
HostObject PtrToMemoryBlock(const void *bytes) noexcept;
}
