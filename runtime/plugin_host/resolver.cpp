// The one table of host routines by name.
#include <cstring>

#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

struct NamedRoutine {
  const char *name;
  void *routine;
};

template <class F>
void *Address(F *f) {
  return reinterpret_cast<void *>(f);
}

const NamedRoutine kRoutines[] = {
    {"RegisterPluginVersion", Address(&RegisterPluginVersion)},
    {"PluginRegisterMethod", Address(&PluginRegisterMethod)},
    {"PluginRegisterClass", Address(&PluginRegisterClass)},
    {"PluginRegisterClassExtension", Address(&PluginRegisterClassExtension)},
    {"PluginNewInstance", Address(&PluginNewInstance)},
    {"REALBuildString", Address(&REALBuildString)},
    {"REALLockObject", Address(&REALLockObject)},
    {"REALUnlockObject", Address(&REALUnlockObject)},
    {"REALLockString", Address(&REALLockString)},
    {"REALUnlockString", Address(&REALUnlockString)},
    {"REALGetStringEncoding", Address(&REALGetStringEncoding)},
    {"REALSetStringEncoding", Address(&REALSetStringEncoding)},
    {"REALConvertString", Address(&REALConvertString)},
    {"REALGetRBVersion", Address(&REALGetRBVersion)},
    {"REALYieldToRB", Address(&REALYieldToRB)},
    {"REALenterMovies", Address(&REALenterMovies)},
    {"FolderItemFromFSSpec", Address(&FolderItemFromFSSpec)},
    {"REALFSSpecFromFolderItem", Address(&REALFSSpecFromFolderItem)},
    {"REALFSRefFromFolderItem", Address(&REALFSRefFromFolderItem)},
    {"REALFolderItemFromParentFSRef", Address(&REALFolderItemFromParentFSRef)},
    {"newMemoryBlock", Address(&newMemoryBlock)},
    {"memoryBlockGetPtr", Address(&memoryBlockGetPtr)},
    {"memoryBlockGetSize", Address(&memoryBlockGetSize)},
    {"PtrToMemoryBlock", Address(&PtrToMemoryBlock)},
};

}  // namespace

extern "C" void *ResolveHostCallback(const char *name) noexcept {
  if (!name) return nullptr;
  for (const NamedRoutine &r : kRoutines) {
    if (std::strcmp(r.name, name) == 0) return r.routine;
  }
  return nullptr;
}

}  // namespace rt
