// A host for QRVUtil that records what the bundle does: every lookup, callback and registration.
// It owns reference-counted strings and objects laid out as the host ABI says, and can leave
// out any callback or answer as an older host would.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "abi/host_abi.h"

namespace fake {

constexpr double kCurrentHost = 2006.04;

struct RegisteredMethod {
  std::string declaration;
  void *function = nullptr;
  void *setter = nullptr;
  HostWord flags = 0;
};

struct RegisteredClass {
  bool extension = false;
  std::string name;
  std::string superName;
  PluginClassRecord *record = nullptr;
  HostWord flags = 0;
  bool oldMethodForm = false;  // read as three-word method records
  std::vector<RegisteredMethod> methods;
  std::vector<RegisteredMethod> sharedMethods;
  std::vector<PluginPropertyRecord> properties;
};

// Words of a fake MemoryBlock, after the object header.
constexpr size_t kBlockSizeWord = 4;
constexpr size_t kBlockBytesWord = 5;
constexpr size_t kBlockOwnedWord = 6;
constexpr size_t kHeaderWords = 4;
constexpr size_t kMemoryBlockWords = 3;

class Host {
 public:
  explicit Host(std::optional<double> version = kCurrentHost);
  ~Host();
  Host(const Host &) = delete;
  Host &operator=(const Host &) = delete;

  // The resolver to hand to REALPluginMain or ConnectHost.
  static HostCallbackResolver Resolver();

  // Shaping the host.
  void SetVersion(std::optional<double> version);  // nullopt: no REALGetRBVersion
  void Remove(const std::string &callback) { missing_.insert(callback); }
  void Restore(const std::string &callback) { missing_.erase(callback); }
  void FailNextAllocations(int count) { failAllocations_ = count; }
  // The callback throws a C++ exception each time it is called, as no host should.
  void ThrowFrom(const std::string &callback) { throwing_.insert(callback); }
  void StopThrowing() { throwing_.clear(); }

  // What the bundle did.
  int Lookups(const std::string &callback) const;
  int Calls(const std::string &callback) const;
  const std::vector<std::string> &CallLog() const { return callLog_; }
  // Empties the call log and the instance requests, which otherwise grow with every call.
  void ForgetCalls() {
    callLog_.clear();
    instanceRequests.clear();
  }
  const std::vector<std::string> &RegistrationLog() const { return registrationLog_; }
  const std::vector<RegisteredClass> &Classes() const { return classes_; }
  const std::vector<RegisteredMethod> &Globals() const { return globals_; }
  const RegisteredClass *FindClass(std::string_view name) const;
  void *GlobalHandler(std::string_view declaration) const;
  void *MethodHandler(std::string_view className, std::string_view declaration) const;
  const PluginPropertyRecord *Property(std::string_view className, std::string_view name) const;

  template <typename Signature>
  Signature *Global(std::string_view declaration) const {
    void *handler = GlobalHandler(declaration);
    EXPECT_NE(handler, nullptr) << "no global " << declaration;
    return reinterpret_cast<Signature *>(handler);
  }
  template <typename Signature>
  Signature *Method(std::string_view className, std::string_view declaration) const {
    void *handler = MethodHandler(className, declaration);
    EXPECT_NE(handler, nullptr) << "no method " << className << "." << declaration;
    return reinterpret_cast<Signature *>(handler);
  }

  // Strings: each maker returns one reference, for the test to release.
  HostString MakeString(std::string_view bytes, uint32_t encoding = HOST_ENCODING_UTF8);
  static std::string Text(HostString string);
  static uint32_t Encoding(HostString string);
  static HostWord StringReferences(HostString string);  // word 0 of a string record
  static HostWord ObjectReferences(HostObject object);  // word 3 of an object record
  bool IsLive(const void *record) const;
  size_t LiveStrings() const { return strings_.size(); }
  size_t LiveObjects() const { return objects_.size(); }
  void Release(HostString string);
  void ReleaseObject(HostObject object);

  // Objects.
  HostObject MakeMemoryBlock(std::string_view bytes);
  std::string BlockBytes(HostObject block) const;
  HostObject MakeFolderItem(const std::string &path);
  std::string FolderItemPath(HostObject item) const;
  HostObject NewInstance(std::string_view className);
  std::string ClassOf(HostObject object) const;
  unsigned char *Data(HostObject object, std::string_view className) const;
  template <typename T>
  T &Field(HostObject object, std::string_view className, size_t classicOffset) const {
    return *reinterpret_cast<T *>(Data(object, className) + classicOffset * sizeof(void *) / 4);
  }

  // File references for the folder-item callbacks; null hooks make them fail.
  using SpecFromPath = bool (*)(const std::string &path, FSSpec *spec);
  using PathFromSpec = bool (*)(const FSSpec *spec, std::string &path);
  using RefFromPath = bool (*)(const std::string &path, FSRef *ref, HFSUniStr255 *name);
  using PathFromParentRef = bool (*)(const FSRef *parent, const HFSUniStr255 *name,
                                     std::string &path);
  void SetFileHooks(SpecFromPath specFromPath, PathFromSpec pathFromSpec, RefFromPath refFromPath,
                    PathFromParentRef pathFromParent);

 private:
  struct ObjectInfo {
    std::string className;
    std::string path;  // folder items
  };
  struct ClassLayout {
    std::string name;
    std::string superName;
    size_t dataOffset = 0;
    size_t instanceSize = 0;
    void (*constructor)(HostObject) = nullptr;
    void (*destructor)(HostObject) = nullptr;
  };

  static Host &Current();
  static void *Resolve(const char *name);
  void *Routine(const std::string &name);
  void Note(std::string_view callback);
  bool UsesOldMethodForm() const { return !version_ || *version_ < 5.9; }
  RegisteredClass Capture(PluginClassRecord *record, bool extension) const;
  void AddLayout(const PluginClassRecord &record);
  HostObject Allocate(const std::string &className);
  HostString ConvertString(HostString string, uint32_t encoding);
  void DestroyObject(HostObject object);

  // Callbacks, with the ABI's C signatures.
  static void RegisterMethod(PluginMethodRecord *record);
  static void RegisterClass(PluginClassRecord *record);
  static void RegisterClassExtension(PluginClassRecord *record);
  static HostObject NewInstanceCallback(const char *className);
  static HostString BuildString(const void *bytes, int32_t length);
  static void LockObject(HostObject object);
  static void UnlockObject(HostObject object);
  static void LockString(HostString string);
  static void UnlockString(HostString string);
  static uint32_t GetStringEncoding(HostString string);
  static void SetStringEncoding(HostString string, uint32_t encoding);
  static HostString ConvertStringCallback(HostString string, uint32_t encoding);
  static double GetRBVersion();
  static void YieldToRB();
  static void EnterMovies();
  static HostObject FolderItemFromFSSpec(const FSSpec *spec);
  static bool FSSpecFromFolderItem(FSSpec *spec, HostObject item);
  static bool FSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name);
  static HostObject FolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name);
  static HostObject NewMemoryBlock(int32_t size);
  static void *MemoryBlockGetPtr(HostObject block);
  static int32_t MemoryBlockGetSize(HostObject block);
  static HostObject PtrToMemoryBlock(const void *bytes);
  static void RegisterPluginVersion(int32_t version);

  std::optional<double> version_;
  std::set<std::string> missing_;
  std::set<std::string, std::less<>> throwing_;
  int failAllocations_ = 0;
  std::map<std::string, int> lookups_;
  std::vector<std::string> callLog_;
  std::vector<std::string> registrationLog_;
  std::vector<RegisteredClass> classes_;
  std::vector<RegisteredMethod> globals_;
  std::map<std::string, ClassLayout, std::less<>> layouts_;
  std::set<const void *> strings_;
  std::map<const void *, ObjectInfo> objects_;
  SpecFromPath specFromPath_ = nullptr;
  PathFromSpec pathFromSpec_ = nullptr;
  RefFromPath refFromPath_ = nullptr;
  PathFromParentRef pathFromParent_ = nullptr;

 public:
  int32_t announcedInterface = 0;
  std::vector<std::string> instanceRequests;  // class names asked of PluginNewInstance
};

}  // namespace fake
