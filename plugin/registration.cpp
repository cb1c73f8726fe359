#include "plugin/registration.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/memory.h"
#include "plugin/host_callbacks.h"
#include "plugin/member_table.h"

namespace qrv {
namespace {

// Blocks the host keeps pointers into, as it does into the records: they go with the bundle's
// image when it is unloaded, never before.
class BundleLifetimeBlocks {
 public:
  ~BundleLifetimeBlocks() {
    for (char *block : blocks_) {
      platform::DisposePtr(block);
    }
  }
  char *Keep(char *block) {
    if (block != nullptr) {
      blocks_.push_back(block);
    }
    return block;
  }

 private:
  std::vector<char *> blocks_;
};

char *KeepForBundleLife(char *block) {
  static BundleLifetimeBlocks blocks;
  return blocks.Keep(block);
}

// Hosts before 5.9 read three-word method records.
bool ConvertToOldMethodRecords(PluginClassRecord &record) {
  if (record.methods == nullptr || record.methodCount == 0) {
    return true;
  }
  const size_t count = record.methodCount;
  if (count > static_cast<size_t>(std::numeric_limits<platform::Size>::max()) /
                  sizeof(PluginMethodRecordOld)) {
    return false;
  }
  auto *old = reinterpret_cast<PluginMethodRecordOld *>(KeepForBundleLife(
      platform::NewPtr(static_cast<platform::Size>(count * sizeof(PluginMethodRecordOld)))));
  if (old == nullptr) {
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    old[i] = {record.methods[i].function, record.methods[i].setter, record.methods[i].declaration};
  }
  record.methods = reinterpret_cast<PluginMethodRecord *>(old);
  return true;
}

// The version is asked afresh here, not from the cache. A version that is not a number keeps
// the four-word records. Without memory for the old form the class is left out rather than
// handed over in a form the host would misread.
void RegisterInRecordSize(PluginClassRecord *record, ClassRegistrar registrar) {
  double version = 0.0;
  const bool hostHasVersion = AskHostVersion(version);
  if (!hostHasVersion || version < 5.9) {
    if (!ConvertToOldMethodRecords(*record)) {
      return;
    }
  }
  if (registrar != nullptr) {
    registrar(record);
  }
}

// "Class_declaration" in a zero-filled buffer.
char *SharedMethodDeclaration(const char *className, const char *declaration) {
  const size_t classLength = className ? std::strlen(className) : 0;
  const size_t declarationLength = declaration ? std::strlen(declaration) : 0;
  char *buffer = KeepForBundleLife(
      platform::NewPtrClear(static_cast<platform::Size>(classLength + declarationLength + 4)));
  if (buffer != nullptr) {
    std::memcpy(buffer, className ? className : "", classLength);
    buffer[classLength] = '_';
    std::memcpy(buffer + classLength + 1, declaration ? declaration : "", declarationLength);
  }
  return buffer;
}

}  // namespace

void RegisterPluginClass(PluginClassRecord *record) {
  const double version = HostVersion();
  if (version >= 2006.04 || std::isnan(version) || record->sharedMethods == nullptr) {
    RegisterInRecordSize(record, ResolveRegisterClass());
    return;
  }
  PluginMethodRecord *shared = record->sharedMethods;
  const size_t sharedCount = record->sharedMethodCount;
  record->sharedMethods = nullptr;
  record->sharedMethodCount = 0;
  RegisterInRecordSize(record, ResolveRegisterClass());

  for (size_t i = 0; i < sharedCount; ++i) {
    PluginMethodRecord &method = shared[i];
    method.setter = nullptr;
    char *declaration = SharedMethodDeclaration(record->name, method.declaration);
    if (declaration == nullptr) {
      continue;
    }
    method.declaration = declaration;
    HostRegisterMethod(&method);
  }
}

void RegisterPluginClassExtension(PluginClassRecord *record) {
  RegisterInRecordSize(record, ResolveRegisterClassExtension());
}

void RegisterMembers() {
  ResetClassRecords();
  HostEnterMovies();
  for (PluginClassRecord *record : {&gStdoutClass, &gStdinClass, &gStyleDataClass,
                                    &gStyleDataListClass, &gTimeZoneClass}) {
    RegisterPluginClass(record);
  }
  RegisterPluginClassExtension(&gFolderItemExtension);
  RegisterPluginClassExtension(&gObjectExtension);
  RegisterPluginClass(&gStringMemoryBlockClass);
  for (PluginMethodRecord &function : GlobalFunctions()) {
    HostRegisterMethod(&function);
  }
}

}  // namespace qrv
