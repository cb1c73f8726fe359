// Following file references on a tmpfs: a file 20 folders deep beside 1,000,000 other entries
// (QRV_BENCH_ENTRIES changes the count), once listed before the crowd and once after it, and
// 1,000 made-up references in a row, each beside the plain stat of a path that bounds it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"

namespace {

constexpr int kLevels = 20;
constexpr int kMadeUpInARow = 1000;

struct Tree {
  std::string root;
  std::string folder;  // the deepest, with the crowd
  std::string first;   // made before the crowd
  std::string last;    // made after it
  FSRef firstRef{};
  FSRef lastRef{};
  FSSpec lastSpec{};
  FSRef goneRef{};
  uint32_t mountID = 0;
};

Tree gTree;

void MakeTree() {
  const char *entries = std::getenv("QRV_BENCH_ENTRIES");
  const long crowd = entries ? std::atol(entries) : 1000000;
  char pattern[] = "/dev/shm/qrv-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  gTree.root = pattern;
  gTree.folder = gTree.root;
  for (int level = 0; level < kLevels - 1; ++level) gTree.folder += "/level " + std::to_string(level);
  std::filesystem::create_directories(gTree.folder);
  gTree.first = gTree.folder + "/first";
  std::ofstream(gTree.first) << "x";
  const std::string gone = gTree.folder + "/gone";
  std::ofstream(gone) << "x";
  for (long i = 0; i < crowd; ++i) {
    close(open((gTree.folder + "/entry " + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  }
  gTree.last = gTree.folder + "/last";
  std::ofstream(gTree.last) << "x";
  if (platform::FSPathMakeRef(gTree.first.c_str(), &gTree.firstRef, nullptr) != platform::noErr ||
      platform::FSPathMakeRef(gTree.last.c_str(), &gTree.lastRef, nullptr) != platform::noErr ||
      platform::FSPathMakeRef(gone.c_str(), &gTree.goneRef, nullptr) != platform::noErr ||
      platform::FSPathMakeFSSpec(gTree.last.c_str(), &gTree.lastSpec) != platform::noErr) {
    std::abort();
  }
  unlink(gone.c_str());
  FSRefContents contents;
  std::memcpy(&contents, &gTree.lastRef, sizeof contents);
  gTree.mountID = contents.mountID;
}

void ResolveRef(benchmark::State &state, const FSRef &ref, const std::string &expected) {
  std::string path;
  for (auto _ : state) {
    if (platform::FSRefMakePath(&ref, path) != platform::noErr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(path);
  }
  if (path != expected) state.SkipWithError("found another file");
}

void BM_StatOfThePath(benchmark::State &state) {
  struct stat info {};
  for (auto _ : state) benchmark::DoNotOptimize(stat(gTree.last.c_str(), &info));
}
BENCHMARK(BM_StatOfThePath);

void BM_RefListedBeforeTheCrowd(benchmark::State &state) { ResolveRef(state, gTree.firstRef, gTree.first); }
BENCHMARK(BM_RefListedBeforeTheCrowd)->Unit(benchmark::kMicrosecond);

void BM_RefListedAfterTheCrowd(benchmark::State &state) { ResolveRef(state, gTree.lastRef, gTree.last); }
BENCHMARK(BM_RefListedAfterTheCrowd)->Unit(benchmark::kMicrosecond);

void BM_SpecOfTheFile(benchmark::State &state) {
  std::string path;
  for (auto _ : state) {
    if (platform::FSSpecMakePath(&gTree.lastSpec, path) != platform::noErr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_SpecOfTheFile)->Unit(benchmark::kMicrosecond);

// The whole crowd is read to know that the file is not in it.
void BM_RefToAGoneFile(benchmark::State &state) {
  std::string path;
  for (auto _ : state) {
    if (platform::FSRefMakePath(&gTree.goneRef, path) == platform::noErr) state.SkipWithError("found");
  }
}
BENCHMARK(BM_RefToAGoneFile)->Unit(benchmark::kMillisecond);

// References in this platform's form on the tmpfs's mount, with random folders and inodes.
std::vector<FSRef> MadeUpReferences() {
  std::mt19937_64 random(2024);
  std::vector<FSRef> refs(kMadeUpInARow);
  for (FSRef &ref : refs) {
    FSRefContents contents{};
    contents.magic = FSREF_MAGIC;
    contents.mountID = gTree.mountID;
    contents.device = random();
    contents.inode = random();
    contents.levels = kLevels - 1;
    contents.bits = 21;
    for (uint8_t &byte : contents.chain) byte = static_cast<uint8_t>(random());
    contents.chain[FSREF_CHAIN_BYTES - 1] = 0;  // no name: each is followed from the mount's root
    std::memcpy(&ref, &contents, sizeof ref);
  }
  return refs;
}

void BM_ThousandMadeUpRefsInARow(benchmark::State &state) {
  const std::vector<FSRef> refs = MadeUpReferences();
  std::string path;
  for (auto _ : state) {
    for (const FSRef &ref : refs) {
      if (platform::FSRefMakePath(&ref, path) == platform::noErr) state.SkipWithError("found");
    }
  }
}
BENCHMARK(BM_ThousandMadeUpRefsInARow)->Unit(benchmark::kMillisecond);

void BM_ThousandStatsOfMissingPaths(benchmark::State &state) {
  const std::string missing = gTree.folder + "/missing";
  struct stat info {};
  for (auto _ : state) {
    for (int i = 0; i < kMadeUpInARow; ++i) benchmark::DoNotOptimize(stat(missing.c_str(), &info));
  }
}
BENCHMARK(BM_ThousandStatsOfMissingPaths)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  MakeTree();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(gTree.root, ignored);
  return 0;
}
