// The store's scans and the preferences file at the format's largest size (65,535 macros),
// each beside the bare work that bounds it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "app/store/preferences.h"
#include "app/store/preferences_file.h"
#include "app/store/preferences_ft.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/headless/headless_backend.h"

namespace {

constexpr size_t kMacros = 65535;

tovra::Preferences &FullStore() {
  static tovra::Preferences store = [] {
    tovra::Preferences p;
    p.hotkey = "F3";
    p.hotkeyModifier = "Shift-Command";
    for (size_t i = 0; i < kMacros; ++i) {
      std::string name = "Macro" + std::to_string(i);
      p.macroName.push_back(rt::String(name));
      p.macroBody.push_back(rt::String("https://www.example.com/search?q=$*&site=" + name + "&lang=en"));
    }
    return p;
  }();
  return store;
}

// Baseline: the same names compared ignoring the case of ASCII letters, lengths first, nothing
// else. It never reads the text of a name of another length.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void BM_BareCaseInsensitiveScan(benchmark::State &state) {
  const auto &names = FullStore().macroName;
  rt::String wanted("no such macro");
  for (auto _ : state) {
    long found = -1;
    for (size_t i = 0; i < names.size(); ++i) {
      if (EqualIgnoringAsciiCase(names[i].Bytes(), wanted.Bytes())) {
        found = static_cast<long>(i);
        break;
      }
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_BareCaseInsensitiveScan);

void BM_LookupMacroMissing(benchmark::State &state) {
  const auto &store = FullStore();
  rt::String wanted("no such macro");
  for (auto _ : state) benchmark::DoNotOptimize(store.LookupMacro(wanted));
}
BENCHMARK(BM_LookupMacroMissing);

void BM_CompleteMacroEmptyPrefix(benchmark::State &state) {
  const auto &store = FullStore();
  std::vector<rt::String> results;
  for (auto _ : state) benchmark::DoNotOptimize(store.CompleteMacro("", results));
}
BENCHMARK(BM_CompleteMacroEmptyPrefix);

// Every name compared with a typed beginning, as Tab does: an ASCII one (the case-blind ASCII
// scan above bounds it), and one with a letter beyond ASCII, which every name is measured against.
void BM_CompleteMacroPrefix(benchmark::State &state, const char *prefix) {
  const auto &store = FullStore();
  rt::String typed(prefix);
  std::vector<rt::String> results;
  for (auto _ : state) benchmark::DoNotOptimize(store.CompleteMacro(typed, results));
}
BENCHMARK_CAPTURE(BM_CompleteMacroPrefix, ascii, "MACRO6553");
BENCHMARK_CAPTURE(BM_CompleteMacroPrefix, beyond_ascii, "MACRÖ6553");

class FileFixture {
 public:
  FileFixture() {
    char tmpl[] = "/tmp/tovra-bench-XXXXXX";
    dir = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    rt::RuntimeInit(backend);
    tovra::PreferencesFT::_Initialize();
    FullStore().SavePreferences();
    std::ifstream in(dir / tovra::kPreferencesFileName, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
  }
  ~FileFixture() { std::filesystem::remove_all(dir); }
  rt::HeadlessBackend backend;
  std::filesystem::path dir;
  std::string bytes;
};

FileFixture &Files() {
  static FileFixture f;
  return f;
}

// Baseline: read the same bytes raw.
void BM_RawRead(benchmark::State &state) {
  auto path = Files().dir / tovra::kPreferencesFileName;
  for (auto _ : state) benchmark::DoNotOptimize(rt::ReadWholeFile(path));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().bytes.size()));
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

void BM_LoadPreferences(benchmark::State &state) {
  Files();
  for (auto _ : state) {
    auto p = std::make_unique<tovra::Preferences>();
    p->LoadPreferences();
    benchmark::DoNotOptimize(p->macroName.size());
    state.PauseTiming();  // freeing the loaded store is not part of loading it
    p.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().bytes.size()));
}
BENCHMARK(BM_LoadPreferences)->Unit(benchmark::kMillisecond);

// Baseline: write the same bytes raw and make them durable, as a save must.
void BM_RawDurableWrite(benchmark::State &state) {
  auto path = Files().dir / "raw.bin";
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    benchmark::DoNotOptimize(::write(fd, Files().bytes.data(), Files().bytes.size()));
    ::fsync(fd);
    ::close(fd);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().bytes.size()));
}
BENCHMARK(BM_RawDurableWrite)->Unit(benchmark::kMillisecond);

void BM_SavePreferences(benchmark::State &state) {
  Files();
  for (auto _ : state) FullStore().SavePreferences();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Files().bytes.size()));
}
BENCHMARK(BM_SavePreferences)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  // Repeated loads free and rebuild the same heap; keep it mapped so each run measures the
  // load, not the kernel handing the same pages back again.
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
