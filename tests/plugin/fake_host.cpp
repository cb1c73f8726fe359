#include "tests/plugin/fake_host.h"

#include <iconv.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace fake {
namespace {

Host *gCurrent = nullptr;

template <typename Function>
void *Address(Function *function) {
  return reinterpret_cast<void *>(function);
}

HostWord *Words(const void *object) {
  return static_cast<HostWord *>(const_cast<void *>(object));
}

const char *IconvName(uint32_t encoding) {
  switch (encoding) {
    case HOST_ENCODING_MAC_ROMAN: return "MACINTOSH";
    case HOST_ENCODING_UTF16: return "UTF-16LE";
    case HOST_ENCODING_ASCII: return "ASCII";
    case HOST_ENCODING_UTF8: return "UTF-8";
    default: return nullptr;
  }
}

bool Convert(std::string_view bytes, uint32_t from, uint32_t to, std::string &out) {
  const char *fromName = IconvName(from);
  const char *toName = IconvName(to);
  if (fromName == nullptr || toName == nullptr) {
    out.assign(bytes);  // bytes without an encoding stay as they are
    return true;
  }
  iconv_t converter = iconv_open(toName, fromName);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return false;
  }
  std::string input(bytes);
  out.assign(bytes.size() * 4 + 4, '\0');
  char *in = input.data();
  size_t inLeft = input.size();
  char *outPtr = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) {
    return false;
  }
  out.resize(out.size() - outLeft);
  return true;
}

size_t RoundToWord(size_t bytes) { return (bytes + sizeof(void *) - 1) / sizeof(void *) * sizeof(void *); }

}  // namespace

Host::Host(std::optional<double> version) : version_(version) {
  layouts_["MemoryBlock"] = {"MemoryBlock", "", kHeaderWords * sizeof(void *),
                             (kHeaderWords + kMemoryBlockWords) * sizeof(void *)};
  layouts_["FolderItem"] = {"FolderItem", "", kHeaderWords * sizeof(void *),
                            (kHeaderWords + 1) * sizeof(void *)};
  gCurrent = this;
}

Host::~Host() {
  for (const void *string : strings_) {
    auto *record = static_cast<HostStringRecord *>(const_cast<void *>(string));
    delete[] record->storage;
    delete record;
  }
  for (auto &[object, info] : objects_) {
    if (info.className == "MemoryBlock" && Words(object)[kBlockOwnedWord] != 0) {
      std::free(reinterpret_cast<void *>(Words(object)[kBlockBytesWord]));
    }
    std::free(const_cast<void *>(object));
  }
  if (gCurrent == this) {
    gCurrent = nullptr;
  }
}

Host &Host::Current() { return *gCurrent; }

HostCallbackResolver Host::Resolver() { return &Host::Resolve; }

void Host::SetVersion(std::optional<double> version) { version_ = version; }

void *Host::Resolve(const char *name) {
  Host &host = Current();
  ++host.lookups_[name];
  if (host.missing_.count(name) != 0 || (std::string_view(name) == "REALGetRBVersion" && !host.version_)) {
    return nullptr;
  }
  return host.Routine(name);
}

void *Host::Routine(const std::string &name) {
  static const std::map<std::string, void *> routines = {
      {"RegisterPluginVersion", Address(&Host::RegisterPluginVersion)},
      {"PluginRegisterMethod", Address(&Host::RegisterMethod)},
      {"PluginRegisterClass", Address(&Host::RegisterClass)},
      {"PluginRegisterClassExtension", Address(&Host::RegisterClassExtension)},
      {"PluginNewInstance", Address(&Host::NewInstanceCallback)},
      {"REALBuildString", Address(&Host::BuildString)},
      {"REALLockObject", Address(&Host::LockObject)},
      {"REALUnlockObject", Address(&Host::UnlockObject)},
      {"REALLockString", Address(&Host::LockString)},
      {"REALUnlockString", Address(&Host::UnlockString)},
      {"REALGetStringEncoding", Address(&Host::GetStringEncoding)},
      {"REALSetStringEncoding", Address(&Host::SetStringEncoding)},
      {"REALConvertString", Address(&Host::ConvertStringCallback)},
      {"REALGetRBVersion", Address(&Host::GetRBVersion)},
      {"REALYieldToRB", Address(&Host::YieldToRB)},
      {"REALenterMovies", Address(&Host::EnterMovies)},
      {"FolderItemFromFSSpec", Address(&Host::FolderItemFromFSSpec)},
      {"REALFSSpecFromFolderItem", Address(&Host::FSSpecFromFolderItem)},
      {"REALFSRefFromFolderItem", Address(&Host::FSRefFromFolderItem)},
      {"REALFolderItemFromParentFSRef", Address(&Host::FolderItemFromParentFSRef)},
      {"newMemoryBlock", Address(&Host::NewMemoryBlock)},
      {"memoryBlockGetPtr", Address(&Host::MemoryBlockGetPtr)},
      {"memoryBlockGetSize", Address(&Host::MemoryBlockGetSize)},
      {"PtrToMemoryBlock", Address(&Host::PtrToMemoryBlock)},
  };
  const auto found = routines.find(name);
  return found == routines.end() ? nullptr : found->second;
}

void Host::Note(std::string_view callback) {
  callLog_.emplace_back(callback);
  if (throwing_.find(callback) != throwing_.end()) {
    throw std::runtime_error("thrown by " + std::string(callback));
  }
}

int Host::Lookups(const std::string &callback) const {
  const auto found = lookups_.find(callback);
  return found == lookups_.end() ? 0 : found->second;
}

int Host::Calls(const std::string &callback) const {
  int count = 0;
  for (const std::string &call : callLog_) {
    count += call == callback ? 1 : 0;
  }
  return count;
}

const RegisteredClass *Host::FindClass(std::string_view name) const {
  for (const RegisteredClass &registered : classes_) {
    if (registered.name == name) {
      return &registered;
    }
  }
  return nullptr;
}

void *Host::GlobalHandler(std::string_view declaration) const {
  for (const RegisteredMethod &method : globals_) {
    if (method.declaration == declaration) {
      return method.function;
    }
  }
  return nullptr;
}

void *Host::MethodHandler(std::string_view className, std::string_view declaration) const {
  if (const RegisteredClass *registered = FindClass(className)) {
    for (const RegisteredMethod &method : registered->methods) {
      if (method.declaration == declaration) {
        return method.function;
      }
    }
  }
  return nullptr;
}

const PluginPropertyRecord *Host::Property(std::string_view className, std::string_view name) const {
  if (const RegisteredClass *registered = FindClass(className)) {
    for (const PluginPropertyRecord &property : registered->properties) {
      if (name == property.name) {
        return &property;
      }
    }
  }
  return nullptr;
}

// --- strings

HostString Host::MakeString(std::string_view bytes, uint32_t encoding) {
  auto *record = new HostStringRecord{};
  record->referenceCount = 1;
  record->storage = new unsigned char[bytes.size() + 2];
  record->storage[0] = static_cast<unsigned char>(bytes.size() < 255 ? bytes.size() : 255);
  std::memcpy(record->storage + 1, bytes.data(), bytes.size());
  record->storage[bytes.size() + 1] = 0;
  record->encoding = encoding;
  record->length = static_cast<intptr_t>(bytes.size());
  strings_.insert(record);
  return record;
}

std::string Host::Text(HostString string) {
  if (string == nullptr) {
    return {};
  }
  const auto *record = static_cast<const HostStringRecord *>(string);
  return {reinterpret_cast<const char *>(record->storage + 1), static_cast<size_t>(record->length)};
}

uint32_t Host::Encoding(HostString string) {
  return string ? static_cast<uint32_t>(static_cast<const HostStringRecord *>(string)->encoding) : 0;
}

HostWord Host::StringReferences(HostString string) {
  return static_cast<const HostStringRecord *>(string)->referenceCount;
}

HostWord Host::ObjectReferences(HostObject object) {
  return static_cast<const HostObjectRecord *>(object)->referenceCount;
}

bool Host::IsLive(const void *record) const {
  return strings_.count(record) != 0 || objects_.count(record) != 0;
}

void Host::Release(HostString string) { UnlockString(string); }

void Host::ReleaseObject(HostObject object) { UnlockObject(object); }

// --- objects

HostObject Host::Allocate(const std::string &className) {
  const auto layout = layouts_.find(className);
  if (layout == layouts_.end()) {
    return nullptr;
  }
  void *object = std::calloc(1, layout->second.instanceSize);
  auto *header = static_cast<HostObjectRecord *>(object);
  header->hostClass = &layout->second;
  header->referenceCount = 1;
  objects_[object] = {className, ""};
  return object;
}

HostObject Host::MakeMemoryBlock(std::string_view bytes) {
  HostObject block = NewMemoryBlock(static_cast<int32_t>(bytes.size()));
  std::memcpy(reinterpret_cast<void *>(Words(block)[kBlockBytesWord]), bytes.data(), bytes.size());
  return block;
}

std::string Host::BlockBytes(HostObject block) const {
  const HostWord *words = Words(block);
  return {reinterpret_cast<const char *>(words[kBlockBytesWord]), words[kBlockSizeWord]};
}

HostObject Host::MakeFolderItem(const std::string &path) {
  HostObject item = Allocate("FolderItem");
  objects_[item].path = path;
  return item;
}

std::string Host::FolderItemPath(HostObject item) const {
  const auto found = objects_.find(item);
  return found == objects_.end() ? std::string() : found->second.path;
}

HostObject Host::NewInstance(std::string_view className) { return NewInstanceCallback(std::string(className).c_str()); }

std::string Host::ClassOf(HostObject object) const {
  const auto found = objects_.find(object);
  return found == objects_.end() ? std::string() : found->second.className;
}

unsigned char *Host::Data(HostObject object, std::string_view className) const {
  const auto layout = layouts_.find(className);
  EXPECT_NE(layout, layouts_.end()) << className;
  return static_cast<unsigned char *>(object) + layout->second.dataOffset;
}

void Host::DestroyObject(HostObject object) {
  const std::string className = objects_[object].className;
  for (std::string name = className; !name.empty();) {
    const ClassLayout &layout = layouts_[name];
    if (layout.destructor != nullptr) {
      layout.destructor(object);
    }
    name = layout.superName;
  }
  HostWord *words = Words(object);
  const bool isBlock = className == "MemoryBlock" || layouts_[className].superName == "MemoryBlock";
  if (isBlock && words[kBlockOwnedWord] != 0) {
    std::free(reinterpret_cast<void *>(words[kBlockBytesWord]));
  }
  objects_.erase(object);
  std::free(object);
}

void Host::SetFileHooks(SpecFromPath specFromPath, PathFromSpec pathFromSpec, RefFromPath refFromPath,
                        PathFromParentRef pathFromParent) {
  specFromPath_ = specFromPath;
  pathFromSpec_ = pathFromSpec;
  refFromPath_ = refFromPath;
  pathFromParent_ = pathFromParent;
}

// --- registration

RegisteredClass Host::Capture(PluginClassRecord *record, bool extension) const {
  RegisteredClass registered;
  registered.extension = extension;
  registered.name = record->name ? record->name : "";
  registered.superName = record->superName ? record->superName : "";
  registered.record = record;
  registered.flags = record->flags;
  registered.oldMethodForm = UsesOldMethodForm();
  for (HostWord i = 0; i < record->methodCount; ++i) {
    if (registered.oldMethodForm) {
      const auto &old = reinterpret_cast<const PluginMethodRecordOld *>(record->methods)[i];
      registered.methods.push_back({old.declaration, old.function, old.setter, 0});
    } else {
      const PluginMethodRecord &method = record->methods[i];
      registered.methods.push_back({method.declaration, method.function, method.setter, method.flags});
    }
  }
  for (HostWord i = 0; i < record->sharedMethodCount; ++i) {
    const PluginMethodRecord &method = record->sharedMethods[i];
    registered.sharedMethods.push_back({method.declaration, method.function, method.setter, method.flags});
  }
  for (HostWord i = 0; i < record->propertyCount; ++i) {
    registered.properties.push_back(record->properties[i]);
  }
  return registered;
}

void Host::AddLayout(const PluginClassRecord &record) {
  ClassLayout layout;
  layout.name = record.name;
  layout.superName = record.superName ? record.superName : "";
  const auto super = layouts_.find(layout.superName);
  layout.dataOffset = super != layouts_.end() ? super->second.instanceSize : kHeaderWords * sizeof(void *);
  layout.instanceSize = layout.dataOffset + RoundToWord(record.dataSize);
  layout.constructor = reinterpret_cast<void (*)(HostObject)>(record.constructor);
  layout.destructor = reinterpret_cast<void (*)(HostObject)>(record.destructor);
  layouts_[layout.name] = layout;
}

void Host::RegisterPluginVersion(int32_t version) {
  Current().Note("RegisterPluginVersion");
  Current().announcedInterface = version;
}

void Host::RegisterMethod(PluginMethodRecord *record) {
  Host &host = Current();
  host.Note("PluginRegisterMethod");
  RegisteredMethod method{record->declaration, record->function, record->setter,
                          host.UsesOldMethodForm() ? 0 : record->flags};
  host.globals_.push_back(method);
  host.registrationLog_.push_back("global " + method.declaration);
}

void Host::RegisterClass(PluginClassRecord *record) {
  Host &host = Current();
  host.Note("PluginRegisterClass");
  host.classes_.push_back(host.Capture(record, false));
  host.AddLayout(*record);
  record->dataOffset = host.layouts_[record->name].dataOffset;
  host.registrationLog_.push_back(std::string("class ") + record->name);
}

void Host::RegisterClassExtension(PluginClassRecord *record) {
  Host &host = Current();
  host.Note("PluginRegisterClassExtension");
  host.classes_.push_back(host.Capture(record, true));
  host.registrationLog_.push_back(std::string("extension ") + record->name);
}

HostObject Host::NewInstanceCallback(const char *className) {
  Host &host = Current();
  host.Note("PluginNewInstance");
  host.instanceRequests.push_back(className);
  if (host.failAllocations_ > 0) {
    --host.failAllocations_;
    return nullptr;
  }
  HostObject object = host.Allocate(className);
  if (object == nullptr) {
    return nullptr;
  }
  std::vector<void (*)(HostObject)> constructors;
  for (std::string name = className; !name.empty(); name = host.layouts_[name].superName) {
    constructors.insert(constructors.begin(), host.layouts_[name].constructor);
  }
  for (auto *constructor : constructors) {
    if (constructor != nullptr) {
      constructor(object);
    }
  }
  return object;
}

// --- string callbacks

HostString Host::BuildString(const void *bytes, int32_t length) {
  Host &host = Current();
  host.Note("REALBuildString");
  if (host.failAllocations_ > 0) {
    --host.failAllocations_;
    return nullptr;
  }
  return host.MakeString({static_cast<const char *>(bytes), static_cast<size_t>(length)}, HOST_ENCODING_NONE);
}

void Host::LockObject(HostObject object) {
  Host &host = Current();
  host.Note("REALLockObject");
  if (object == nullptr) {
    return;
  }
  EXPECT_TRUE(host.objects_.count(object)) << "lock of a dead object";
  ++static_cast<HostObjectRecord *>(object)->referenceCount;
}

void Host::UnlockObject(HostObject object) {
  Host &host = Current();
  host.Note("REALUnlockObject");
  if (object == nullptr) {
    return;
  }
  if (host.objects_.count(object) == 0) {
    ADD_FAILURE() << "unlock of a dead object";
    return;
  }
  if (--static_cast<HostObjectRecord *>(object)->referenceCount == 0) {
    host.DestroyObject(object);
  }
}

void Host::LockString(HostString string) {
  Host &host = Current();
  host.Note("REALLockString");
  if (string == nullptr) {
    return;
  }
  EXPECT_TRUE(host.strings_.count(string)) << "lock of a dead string";
  ++static_cast<HostStringRecord *>(string)->referenceCount;
}

void Host::UnlockString(HostString string) {
  Host &host = Current();
  host.Note("REALUnlockString");
  if (string == nullptr) {
    return;
  }
  if (host.strings_.count(string) == 0) {
    ADD_FAILURE() << "unlock of a dead string";
    return;
  }
  auto *record = static_cast<HostStringRecord *>(string);
  if (--record->referenceCount == 0) {
    host.strings_.erase(string);
    delete[] record->storage;
    delete record;
  }
}

uint32_t Host::GetStringEncoding(HostString string) {
  Current().Note("REALGetStringEncoding");
  return string ? Encoding(string) : HOST_ENCODING_UTF8;
}

void Host::SetStringEncoding(HostString string, uint32_t encoding) {
  Current().Note("REALSetStringEncoding");
  if (string != nullptr) {
    static_cast<HostStringRecord *>(string)->encoding = encoding;
  }
}

HostString Host::ConvertString(HostString string, uint32_t encoding) {
  std::string converted;
  if (!Convert(Text(string), string ? Encoding(string) : HOST_ENCODING_UTF8, encoding, converted)) {
    return nullptr;
  }
  return MakeString(converted, encoding);
}

HostString Host::ConvertStringCallback(HostString string, uint32_t encoding) {
  Current().Note("REALConvertString");
  return Current().ConvertString(string, encoding);
}

double Host::GetRBVersion() {
  Current().Note("REALGetRBVersion");
  return Current().version_.value_or(0.0);
}

void Host::YieldToRB() { Current().Note("REALYieldToRB"); }

void Host::EnterMovies() {
  Current().Note("REALenterMovies");
  Current().registrationLog_.push_back("enterMovies");
}

// --- folder items

HostObject Host::FolderItemFromFSSpec(const FSSpec *spec) {
  Host &host = Current();
  host.Note("FolderItemFromFSSpec");
  std::string path;
  if (host.pathFromSpec_ == nullptr || !host.pathFromSpec_(spec, path)) {
    return nullptr;
  }
  return host.MakeFolderItem(path);
}

bool Host::FSSpecFromFolderItem(FSSpec *spec, HostObject item) {
  Host &host = Current();
  host.Note("REALFSSpecFromFolderItem");
  return item != nullptr && host.specFromPath_ != nullptr && host.specFromPath_(host.FolderItemPath(item), spec);
}

bool Host::FSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name) {
  Host &host = Current();
  host.Note("REALFSRefFromFolderItem");
  return item != nullptr && host.refFromPath_ != nullptr && host.refFromPath_(host.FolderItemPath(item), ref, name);
}

HostObject Host::FolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name) {
  Host &host = Current();
  host.Note("REALFolderItemFromParentFSRef");
  std::string path;
  if (host.pathFromParent_ == nullptr || !host.pathFromParent_(parent, name, path)) {
    return nullptr;
  }
  return host.MakeFolderItem(path);
}

// --- memory blocks

HostObject Host::NewMemoryBlock(int32_t size) {
  Host &host = Current();
  host.Note("newMemoryBlock");
  if (size < 0 || host.failAllocations_ > 0) {
    host.failAllocations_ -= host.failAllocations_ > 0 ? 1 : 0;
    return nullptr;
  }
  HostObject block = host.Allocate("MemoryBlock");
  HostWord *words = Words(block);
  words[kBlockSizeWord] = static_cast<HostWord>(size);
  words[kBlockBytesWord] = reinterpret_cast<HostWord>(std::calloc(1, size > 0 ? static_cast<size_t>(size) : 1));
  words[kBlockOwnedWord] = 1;
  return block;
}

void *Host::MemoryBlockGetPtr(HostObject block) {
  Current().Note("memoryBlockGetPtr");
  return block ? reinterpret_cast<void *>(Words(block)[kBlockBytesWord]) : nullptr;
}

int32_t Host::MemoryBlockGetSize(HostObject block) {
  Current().Note("memoryBlockGetSize");
  return block ? static_cast<int32_t>(Words(block)[kBlockSizeWord]) : 0;
}

HostObject Host::PtrToMemoryBlock(const void *bytes) {
  Host &host = Current();
  host.Note("PtrToMemoryBlock");
  HostObject block = host.Allocate("MemoryBlock");
  Words(block)[kBlockBytesWord] = reinterpret_cast<HostWord>(bytes);
  return block;
}

}  // namespace fake
