#include "runtime/core/host_objects.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "runtime/core/declarations.h"
#include "runtime/core/string.h"

namespace rt {
namespace {

constexpr HostWord kDestructedFlag = 1;
constexpr HostWord kDestroyingFlag = 2;

std::map<std::string, std::unique_ptr<HostClass>, std::less<>> &Classes() {
  static std::map<std::string, std::unique_ptr<HostClass>, std::less<>> classes;
  return classes;
}

size_t RoundUpToWord(size_t n) { return (n + sizeof(void *) - 1) / sizeof(void *) * sizeof(void *); }

void RegisterMembers(const char *owner, const PluginClassRecord *record) {
  std::string prefix = std::string(owner) + ".";
  auto *methods = static_cast<PluginMethodRecord *>(static_cast<void *>(record->methods));
  for (HostWord i = 0; methods && i < record->methodCount; ++i) {
    if (methods[i].declaration) RegisterDeclaration(prefix + methods[i].declaration, methods[i].function);
  }
  for (HostWord i = 0; record->properties && i < record->propertyCount; ++i) {
    const PluginPropertyRecord &p = record->properties[i];
    if (!p.name || !p.type) continue;
    std::string base = prefix + p.name + " as " + p.type;
    if (p.getter && p.getter != PLUGIN_DIRECT_ACCESS) RegisterDeclaration(base + ".Get", p.getter);
    if (p.setter && p.setter != PLUGIN_DIRECT_ACCESS) RegisterDeclaration(base + ".Set", p.setter);
  }
}

std::vector<const HostClass *> Chain(const HostClass *leaf) {
  std::vector<const HostClass *> chain;
  for (const HostClass *c = leaf; c; c = c->super) chain.insert(chain.begin(), c);
  return chain;
}

const PluginPropertyRecord *FindProperty(const HostClass *cls, std::string_view name,
                                         const HostClass **owner) {
  for (const HostClass *c = cls; c; c = c->super) {
    for (const auto &p : c->properties) {
      if (p.name && name == p.name) {
        *owner = c;
        return &p;
      }
    }
  }
  return nullptr;
}

}  // namespace

const HostClass *RegisterHostClass(PluginClassRecord *record) {
  if (!record || !record->name) return nullptr;
  const HostClass *super = nullptr;
  if (record->superName) {
    super = FindHostClass(record->superName);
    if (!super) return nullptr;
  }
  auto cls = std::make_unique<HostClass>();
  cls->name = record->name;
  cls->super = super;
  cls->dataOffset = super ? super->instanceSize : sizeof(HostObjectRecord);
  cls->instanceSize = cls->dataOffset + RoundUpToWord(record->dataSize);
  cls->constructor = reinterpret_cast<void (*)(HostObject)>(record->constructor);
  cls->destructor = reinterpret_cast<void (*)(HostObject)>(record->destructor);
  for (HostWord i = 0; record->properties && i < record->propertyCount; ++i) {
    cls->properties.push_back(record->properties[i]);
  }
  record->dataOffset = cls->dataOffset;
  if (cls->constructor) RegisterDeclaration(cls->name + ".__init", record->constructor);
  if (cls->destructor) RegisterDeclaration(cls->name + ".__exit", record->destructor);
  RegisterMembers(record->name, record);
  const HostClass *registered = cls.get();
  Classes()[cls->name] = std::move(cls);
  return registered;
}

void RegisterHostClassExtension(const PluginClassRecord *record) {
  if (record && record->name) RegisterMembers(record->name, record);
}

const HostClass *FindHostClass(std::string_view name) {
  auto it = Classes().find(name);
  return it == Classes().end() ? nullptr : it->second.get();
}

void ForgetHostClasses() { Classes().clear(); }

HostObjectRecord *NewHostInstance(std::string_view className, bool construct) {
  const HostClass *cls = FindHostClass(className);
  if (!cls) return nullptr;
  void *block = std::calloc(1, cls->instanceSize);
  if (!block) return nullptr;
  auto *object = static_cast<HostObjectRecord *>(block);
  object->hostClass = cls;
  object->referenceCount = 1;
  if (construct) {
    for (const HostClass *c : Chain(cls)) {
      if (c->constructor) c->constructor(object);
    }
  }
  return object;
}

const HostClass *ClassOf(const HostObjectRecord *object) {
  return object ? static_cast<const HostClass *>(object->hostClass) : nullptr;
}

bool IsInstanceOf(const HostObjectRecord *object, std::string_view className) {
  for (const HostClass *c = ClassOf(object); c; c = c->super) {
    if (c->name == className) return true;
  }
  return false;
}

void LockHostObject(HostObjectRecord *object) {
  if (object) ++object->referenceCount;
}

void UnlockHostObject(HostObjectRecord *object) {
  if (!object || --object->referenceCount > 0) return;
  // A destructor that locks and unlocks its own object must not free it a second time.
  if (object->reserved2 & kDestroyingFlag) return;
  object->reserved2 |= kDestroyingFlag;
  if (!(object->reserved2 & kDestructedFlag)) {
    for (const HostClass *c = ClassOf(object); c; c = c->super) {
      if (c->destructor) c->destructor(object);
    }
  }
  std::free(object);
}

void MarkDestructed(HostObjectRecord *object) {
  if (object) object->reserved2 |= kDestructedFlag;
}

void *InstanceData(HostObjectRecord *object, std::string_view className) {
  for (const HostClass *c = ClassOf(object); c; c = c->super) {
    if (c->name == className) return reinterpret_cast<unsigned char *>(object) + c->dataOffset;
  }
  return nullptr;
}

bool GetIntegerProperty(HostObjectRecord *object, std::string_view name, intptr_t &value) {
  const HostClass *owner = nullptr;
  const PluginPropertyRecord *p = FindProperty(ClassOf(object), name, &owner);
  if (!p || !p->getter) return false;
  bool isBoolean = std::string_view(p->type) == "Boolean";
  if (p->getter == PLUGIN_DIRECT_ACCESS) {
    unsigned char *at = reinterpret_cast<unsigned char *>(object) + owner->dataOffset + p->param;
    if (isBoolean) {
      value = *at != 0;
    } else {
      std::memcpy(&value, at, sizeof value);
    }
    return true;
  }
  if (isBoolean) {
    value = reinterpret_cast<bool (*)(HostObject)>(p->getter)(object);
  } else {
    value = reinterpret_cast<intptr_t (*)(HostObject)>(p->getter)(object);
  }
  return true;
}

bool SetIntegerProperty(HostObjectRecord *object, std::string_view name, intptr_t value) {
  const HostClass *owner = nullptr;
  const PluginPropertyRecord *p = FindProperty(ClassOf(object), name, &owner);
  if (!p || !p->setter) return false;
  bool isBoolean = std::string_view(p->type) == "Boolean";
  if (p->setter == PLUGIN_DIRECT_ACCESS) {
    unsigned char *at = reinterpret_cast<unsigned char *>(object) + owner->dataOffset + p->param;
    if (isBoolean) {
      *at = value != 0;
    } else {
      std::memcpy(at, &value, sizeof value);
    }
    return true;
  }
  if (isBoolean) {
    reinterpret_cast<void (*)(HostObject, bool)>(p->setter)(object, value != 0);
  } else {
    reinterpret_cast<void (*)(HostObject, intptr_t)>(p->setter)(object, value);
  }
  return true;
}

void SetEventSink(HostObjectRecord *object, HostEventSink *sink) {
  if (object) object->reserved1 = reinterpret_cast<HostWord>(sink);
}

HostEventSink *EventSinkOf(const HostObjectRecord *object) {
  return object ? reinterpret_cast<HostEventSink *>(object->reserved1) : nullptr;
}

ObjectRef ObjectRef::Adopt(HostObjectRecord *object) {
  ObjectRef r;
  r.object_ = object;
  return r;
}

ObjectRef::ObjectRef(const ObjectRef &other) : object_(other.object_) { LockHostObject(object_); }

ObjectRef::ObjectRef(ObjectRef &&other) noexcept : object_(other.object_) { other.object_ = nullptr; }

ObjectRef &ObjectRef::operator=(ObjectRef other) noexcept {
  std::swap(object_, other.object_);
  return *this;
}

ObjectRef::~ObjectRef() { UnlockHostObject(object_); }

}  // namespace rt
