// Objects of classes that plug-ins and vendor components register. Each is one block: the
// object record header, then the instance data of each class from the root down, each at the
// data offset the host wrote into that class's record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "abi/host_abi.h"

namespace rt {

struct HostClass {
  std::string name;
  const HostClass *super = nullptr;
  size_t dataOffset = 0;    // where this class's instance data starts in an instance
  size_t instanceSize = 0;  // bytes of a whole instance of this class
  void (*constructor)(HostObject) = nullptr;
  void (*destructor)(HostObject) = nullptr;
  std::vector<PluginPropertyRecord> properties;
};

// Registers a class from its record and writes the data offset into the record. The class's
// members go into the declaration registry as "Class.declaration", "Class.__init",
// "Class.__exit" and "Class.Name as Type.Get"/".Set". Nothing when the record names an unknown
// superclass.
const HostClass *RegisterHostClass(PluginClassRecord *record);
// A class extension adds its methods to an existing class, under "class.declaration".
void RegisterHostClassExtension(const PluginClassRecord *record);
const HostClass *FindHostClass(std::string_view name);
void ForgetHostClasses();

// A new instance with one reference. With `construct`, each class's constructor runs from the
// root down; without, the caller constructs it (a subclass in the application does so through
// its entry table). Null for an unknown class.
HostObjectRecord *NewHostInstance(std::string_view className, bool construct = true);
const HostClass *ClassOf(const HostObjectRecord *object);
bool IsInstanceOf(const HostObjectRecord *object, std::string_view className);
void LockHostObject(HostObjectRecord *object);
// At the last reference each class's destructor runs, from the leaf up, unless the object was
// marked as destroyed by its owner already; then the block is freed.
void UnlockHostObject(HostObjectRecord *object);
// For objects whose destructor the application runs itself through its entry table.
void MarkDestructed(HostObjectRecord *object);

// Instance data of the object's class `className`.
void *InstanceData(HostObjectRecord *object, std::string_view className);

// Property access: directly from instance data, or through the getter and setter.
bool GetIntegerProperty(HostObjectRecord *object, std::string_view name, intptr_t &value);
bool SetIntegerProperty(HostObjectRecord *object, std::string_view name, intptr_t value);

// Sink for events a component raises on an object (kept in the object's header).
class HostEventSink {
 public:
  virtual ~HostEventSink() = default;
  virtual void RaiseHostEvent(std::string_view event, intptr_t a, intptr_t b) = 0;
};
void SetEventSink(HostObjectRecord *object, HostEventSink *sink);
HostEventSink *EventSinkOf(const HostObjectRecord *object);

// Holds one reference.
class ObjectRef {
 public:
  ObjectRef() = default;
  static ObjectRef Adopt(HostObjectRecord *object);
  ObjectRef(const ObjectRef &other);
  ObjectRef(ObjectRef &&other) noexcept;
  ObjectRef &operator=(ObjectRef other) noexcept;
  ~ObjectRef();
  HostObjectRecord *Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  HostObjectRecord *object_ = nullptr;
};

}  // namespace rt
