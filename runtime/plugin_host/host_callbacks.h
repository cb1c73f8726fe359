// The routines a bundle reaches the runtime through, with the C signatures bundles expect.
#pragma once

#include <cstdint>

#include "abi/host_abi.h"

extern "C" {
void RegisterPluginVersion(int32_t version);
void PluginRegisterMethod(PluginMethodRecord *record);
void PluginRegisterClass(PluginClassRecord *record);
void PluginRegisterClassExtension(PluginClassRecord *record);
HostObject PluginNewInstance(const char *className);
HostString REALBuildString(const void *bytes, int32_t length);
void REALLockObject(HostObject object);
void REALUnlockObject(HostObject object);
void REALLockString(HostString string);
void REALUnlockString(HostString string);
uint32_t REALGetStringEncoding(HostString string);
void REALSetStringEncoding(HostString string, uint32_t encoding);
HostString REALConvertString(HostString string, uint32_t encoding);
double REALGetRBVersion();
void REALYieldToRB();
void REALenterMovies();
HostObject FolderItemFromFSSpec(const FSSpec *spec);
bool REALFSSpecFromFolderItem(FSSpec *spec, HostObject item);
bool REALFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name);
HostObject REALFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name);
HostObject newMemoryBlock(int32_t size);
void *memoryBlockGetPtr(HostObject block);
int32_t memoryBlockGetSize(HostObject block);
HostObject PtrToMemoryBlock(const void *bytes);
}
