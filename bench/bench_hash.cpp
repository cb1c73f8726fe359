// GetHash32QRV over 1 MiB, called through the loaded bundle as a host calls it, beside the bare
// rotate-and-XOR loop over the same bytes that bounds it.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "abi/host_abi.h"

namespace {

constexpr size_t kTextBytes = 1 << 20;
using HashHandler = intptr_t (*)(HostString);

HashHandler gHash = nullptr;

void AnnounceVersion(int32_t) {}

void RegisterMethod(PluginMethodRecord *record) {
  if (std::string_view(record->declaration) == "GetHash32QRV(s as string) as integer") {
    gHash = reinterpret_cast<HashHandler>(record->function);
  }
}

// Only what registration needs; every other callback is missing, as a host may leave it.
void *Resolve(const char *name) {
  const std::string_view wanted(name);
  if (wanted == "RegisterPluginVersion") {
    return reinterpret_cast<void *>(&AnnounceVersion);
  }
  if (wanted == "PluginRegisterMethod") {
    return reinterpret_cast<void *>(&RegisterMethod);
  }
  return nullptr;
}

HashHandler LoadHash() {
  static HashHandler hash = [] {
    void *bundle = dlopen(QRVUTIL_PATH, RTLD_NOW | RTLD_LOCAL);
    if (bundle == nullptr) {
      std::abort();
    }
    auto main = reinterpret_cast<PluginMainFunction>(dlsym(bundle, "REALPluginMain"));
    main(&Resolve);
    return gHash;
  }();
  return hash;
}

// Mixed-case text of every byte value, so the case mapping has work to do.
struct Text {
  std::vector<unsigned char> storage;
  HostStringRecord record{};
  Text() : storage(kTextBytes + 2) {
    for (size_t i = 0; i < kTextBytes; ++i) {
      storage[i + 1] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    }
    storage[0] = 255;
    record.referenceCount = 1;
    record.storage = storage.data();
    record.encoding = HOST_ENCODING_NONE;
    record.length = static_cast<intptr_t>(kTextBytes);
  }
};

Text &SharedText() {
  static Text text;
  return text;
}

void BM_GetHash32QRV(benchmark::State &state) {
  const HashHandler hash = LoadHash();
  Text &text = SharedText();
  for (auto _ : state) {
    benchmark::DoNotOptimize(hash(&text.record));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTextBytes));
}
BENCHMARK(BM_GetHash32QRV);

void BM_BareRotateXor(benchmark::State &state) {
  Text &text = SharedText();
  const unsigned char *bytes = text.storage.data() + 1;
  for (auto _ : state) {
    uint32_t h = kTextBytes + 1;
    for (size_t i = 0; i < kTextBytes; ++i) {
      h = std::rotl(h, 3) ^ bytes[i];
    }
    benchmark::DoNotOptimize(h);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTextBytes));
}
BENCHMARK(BM_BareRotateXor);

}  // namespace

BENCHMARK_MAIN();
