// Bundles registering their members. Records come from bundle code: each is checked before the
// host keeps anything of it, since the host later reads and writes instance data by them.
#include <cstring>
#include <string>
#include <string_view>

#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/boundary.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace rt {
namespace {

constexpr HostWord kMaxInstanceData = HostWord{1} << 20;
constexpr HostWord kMaxMembers = HostWord{1} << 16;

HostWord RoundUpToWord(HostWord n) { return (n + sizeof(void *) - 1) / sizeof(void *) * sizeof(void *); }

bool CountFits(const void *array, HostWord count) { return !array || count <= kMaxMembers; }

// Bytes the host touches when it reads or writes a property in place.
HostWord DirectWidth(std::string_view type) {
  if (type == "Boolean") return 1;
  if (type == "Double") return sizeof(double);
  return sizeof(intptr_t);
}

// The host looks properties up by name and reads them by type, and one it reads or writes in
// place must lie inside the instance data.
bool PropertyFits(const PluginPropertyRecord &p, HostWord dataSize) {
  if (!p.name || !p.type) return false;
  if (p.getter != PLUGIN_DIRECT_ACCESS && p.setter != PLUGIN_DIRECT_ACCESS) return true;
  HostWord width = DirectWidth(p.type);
  return p.param <= dataSize && width <= dataSize - p.param;
}

bool MembersFit(const PluginClassRecord &r) {
  if (!r.name || !*r.name) return false;
  return CountFits(r.properties, r.propertyCount) && CountFits(r.methods, r.methodCount) &&
         CountFits(r.sharedMethods, r.sharedMethodCount);
}

bool ClassRecordFits(const PluginClassRecord &r) {
  if (!MembersFit(r) || r.dataSize > kMaxInstanceData) return false;
  for (HostWord i = 0; r.properties && i < r.propertyCount; ++i) {
    if (!PropertyFits(r.properties[i], r.dataSize)) return false;
  }
  return true;
}

// The same class handed over again, as by a bundle whose entry runs a second time.
bool SameClass(const HostClass &existing, const PluginClassRecord &r) {
  std::string_view super = existing.super ? std::string_view(existing.super->name) : std::string_view();
  bool sameSuper = r.superName ? super == r.superName : !existing.super;
  return sameSuper && existing.instanceSize - existing.dataOffset == RoundUpToWord(r.dataSize) &&
         reinterpret_cast<void *>(existing.constructor) == r.constructor &&
         reinterpret_cast<void *>(existing.destructor) == r.destructor;
}

// This host reports a version that keeps shared methods in the class record; each is a
// member of the class, bound as "Class.declaration".
void RegisterSharedMethods(const PluginClassRecord &r) {
  std::string prefix = std::string(r.name) + ".";
  for (HostWord i = 0; r.sharedMethods && i < r.sharedMethodCount; ++i) {
    const PluginMethodRecord &m = r.sharedMethods[i];
    if (m.declaration && m.function) RegisterDeclaration(prefix + m.declaration, m.function);
  }
}

void RegisterAgain(const HostClass &existing, PluginClassRecord *record) {
  record->dataOffset = existing.dataOffset;
  if (record->constructor) RegisterDeclaration(existing.name + ".__init", record->constructor);
  if (record->destructor) RegisterDeclaration(existing.name + ".__exit", record->destructor);
  RegisterHostClassExtension(record);  // methods and property accessors, under the class name
}

}  // namespace
}  // namespace rt

// Every bundle speaks the one interface version this runtime has.
extern "C" void RegisterPluginVersion(int32_t version) noexcept { (void)version; }

extern "C" void PluginRegisterMethod(PluginMethodRecord *record) noexcept {
  // Only the first three words are read, so the three-word form of older hosts is taken too.
  if (!record || !record->declaration || !record->function) return;
  rt::AtBoundary([&] { rt::RegisterDeclaration(record->declaration, record->function); });
}

extern "C" void PluginRegisterClass(PluginClassRecord *record) noexcept {
  if (!record || !rt::ClassRecordFits(*record)) return;
  rt::AtBoundary([&] {
    if (const rt::HostClass *existing = rt::FindHostClass(record->name)) {
      // Live objects point at the registered class, so it is never replaced; another class
      // of the same name is refused.
      if (!rt::SameClass(*existing, *record)) return;
      rt::RegisterAgain(*existing, record);
    } else if (!rt::RegisterHostClass(record)) {
      return;
    }
    rt::RegisterSharedMethods(*record);
  });
}

extern "C" void PluginRegisterClassExtension(PluginClassRecord *record) noexcept {
  if (!record || !rt::MembersFit(*record)) return;
  rt::AtBoundary([&] {
    rt::RegisterHostClassExtension(record);
    rt::RegisterSharedMethods(*record);
  });
}
