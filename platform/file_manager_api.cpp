// The C functions of abi/file_manager.h, over the platform layer's own.
#include "abi/file_manager.h"

#include <cstring>
#include <exception>
#include <string>

#include "platform/files.h"

namespace {

int16_t CopyPath(const std::string &path, char *out, uint32_t size) {
  if (path.size() >= size) {
    return FILE_MANAGER_PATH_TOO_LONG;
  }
  std::memcpy(out, path.c_str(), path.size() + 1);
  return platform::noErr;
}

// Nothing thrown (out of memory, above all) reaches a C caller.
template <typename Work>
int16_t Guarded(Work work) noexcept {
  try {
    return work();
  } catch (...) {
    return platform::ioErr;
  }
}

}  // namespace

extern "C" int16_t FSPathMakeRef(const char *path, FSRef *ref, unsigned char *isDirectory) {
  if (path == nullptr || ref == nullptr) {
    return platform::paramErr;
  }
  return Guarded([&] {
    bool folder = false;
    const platform::OSErr error = platform::FSPathMakeRef(path, ref, &folder);
    if (error == platform::noErr && isDirectory != nullptr) {
      *isDirectory = folder ? 1 : 0;
    }
    return error;
  });
}

extern "C" int16_t FSRefMakePath(const FSRef *ref, char *path, uint32_t maxPathSize) {
  if (ref == nullptr || path == nullptr) {
    return platform::paramErr;
  }
  return Guarded([&] {
    std::string found;
    const platform::OSErr error = platform::FSRefMakePath(ref, found);
    return error != platform::noErr ? error : CopyPath(found, path, maxPathSize);
  });
}

extern "C" int16_t FSPathMakeFSSpec(const char *path, FSSpec *spec) {
  if (path == nullptr || spec == nullptr) {
    return platform::paramErr;
  }
  return Guarded([&] { return platform::FSPathMakeFSSpec(path, spec); });
}

extern "C" int16_t FSSpecMakePath(const FSSpec *spec, char *path, uint32_t maxPathSize) {
  if (spec == nullptr || path == nullptr) {
    return platform::paramErr;
  }
  return Guarded([&] {
    std::string found;
    const platform::OSErr error = platform::FSSpecMakePath(spec, found);
    if (error != platform::noErr && (error != platform::fnfErr || found.empty())) {
      return error;
    }
    const int16_t copied = CopyPath(found, path, maxPathSize);
    return copied != platform::noErr ? copied : error;
  });
}
