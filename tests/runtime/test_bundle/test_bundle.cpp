// A bundle of the runtime tests, built against the host ABI alone as any bundle is: one global,
// one class with a constructor, a property and a method, and one class extension.
#include <dlfcn.h>

#include <cstring>

#include "abi/host_abi.h"

namespace {

HostCallbackResolver gResolve = nullptr;

template <class F>
F Callback(const char *name) {
  return reinterpret_cast<F>(gResolve ? gResolve(name) : nullptr);
}

template <class F>
void *Address(F *f) {
  return reinterpret_cast<void *>(f);
}

// The file this copy of the bundle was loaded from: copies under other names tell the tests
// which one registered last.
HostString BundleFile() {
  Dl_info info{};
  if (!dladdr(Address(&BundleFile), &info) || !info.dli_fname) return nullptr;
  const char *slash = std::strrchr(info.dli_fname, '/');
  const char *leaf = slash ? slash + 1 : info.dli_fname;
  auto build = Callback<HostString (*)(const void *, int32_t)>("REALBuildString");
  return build ? build(leaf, static_cast<int32_t>(std::strlen(leaf))) : nullptr;
}

struct Counter {
  intptr_t count;
};

PluginClassRecord gCounterClass;

Counter &CounterOf(HostObject object) {
  return *reinterpret_cast<Counter *>(static_cast<unsigned char *>(object) + gCounterClass.dataOffset);
}

void CounterConstructor(HostObject object) { CounterOf(object).count = 1; }

void Increment(HostObject object, intptr_t by) { CounterOf(object).count += by; }

intptr_t Tag(HostObject) { return 0x7E57; }

PluginPropertyRecord gCounterProperties[] = {
    {nullptr, "Count", "Integer", 0, PLUGIN_DIRECT_ACCESS, PLUGIN_DIRECT_ACCESS, 0, nullptr, 0, nullptr}};
PluginMethodRecord gCounterMethods[] = {{Address(&Increment), nullptr, "Increment(by as integer)", 0}};
PluginMethodRecord gObjectMethods[] = {{Address(&Tag), nullptr, "TestBundleTag as Integer", 0}};
PluginMethodRecord gGlobal = {Address(&BundleFile), nullptr, "TestBundleFile() as string", 0};
PluginClassRecord gObjectExtension;

}  // namespace

extern "C" __attribute__((visibility("default"))) void REALPluginMain(HostCallbackResolver resolver) {
  gResolve = resolver;
  if (auto announce = Callback<void (*)(int32_t)>("RegisterPluginVersion")) announce(9);
  gCounterClass = {.version = 9,
                   .name = "TestBundleCounter",
                   .dataSize = sizeof(Counter),
                   .constructor = Address(&CounterConstructor),
                   .properties = gCounterProperties,
                   .propertyCount = 1,
                   .methods = gCounterMethods,
                   .methodCount = 1};
  gObjectExtension = {.version = 9, .name = "object", .methods = gObjectMethods, .methodCount = 1};
  if (auto registerClass = Callback<void (*)(PluginClassRecord *)>("PluginRegisterClass")) {
    registerClass(&gCounterClass);
  }
  if (auto extend = Callback<void (*)(PluginClassRecord *)>("PluginRegisterClassExtension")) {
    extend(&gObjectExtension);
  }
  if (auto registerMethod = Callback<void (*)(PluginMethodRecord *)>("PluginRegisterMethod")) {
    registerMethod(&gGlobal);
  }
}
