// Following file references on a tmpfs: a file 20 folders deep beside 1,000,000 other entries
// (QRV_BENCH_ENTRIES changes the count), once listed before the crowd and once after it, and
// 1,000 made-up references in a row, each beside the plain stat of a path that bounds it.
// References made in this process resolve through the catalog; those made by another process
// by their chains, each once (the catalog knows the file afterwards), so each of those is a
// file of its own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
constexpr int kMadeElsewhere = 200;  // of each kind: listed before the crowd, and after it

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
  std::vector<std::string> elsewhereFirst, elsewhereLast;  // files whose references another process made
  std::vector<FSRef> elsewhereFirstRefs, elsewhereLastRefs;
};

Tree gTree;

// FSRefs of the paths as a child process makes them.
std::vector<FSRef> RefsMadeElsewhere(const std::vector<std::string> &paths) {
  int ends[2];
  if (pipe(ends) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    for (const std::string &path : paths) {
      FSRef ref{};
      if (platform::FSPathMakeRef(path.c_str(), &ref, nullptr) != platform::noErr ||
          write(ends[1], &ref, sizeof ref) != static_cast<ssize_t>(sizeof ref)) {
        _exit(1);
      }
    }
    _exit(0);
  }
  close(ends[1]);
  std::vector<FSRef> refs(paths.size());
  size_t got = 0;
  for (ssize_t n; got < refs.size() * sizeof(FSRef) &&
                  (n = read(ends[0], reinterpret_cast<char *>(refs.data()) + got, refs.size() * sizeof(FSRef) - got)) > 0;) {
    got += static_cast<size_t>(n);
  }
  close(ends[0]);
  int status = 0;
  if (waitpid(child, &status, 0) != child || status != 0 || got != refs.size() * sizeof(FSRef)) std::abort();
  return refs;
}

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
  for (int i = 0; i < kMadeElsewhere; ++i) {
    gTree.elsewhereFirst.push_back(gTree.folder + "/first " + std::to_string(i));
    std::ofstream(gTree.elsewhereFirst.back()) << "x";
  }
  for (long i = 0; i < crowd; ++i) {
    close(open((gTree.folder + "/entry " + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  }
  gTree.last = gTree.folder + "/last";
  std::ofstream(gTree.last) << "x";
  for (int i = 0; i < kMadeElsewhere; ++i) {
    gTree.elsewhereLast.push_back(gTree.folder + "/last " + std::to_string(i));
    std::ofstream(gTree.elsewhereLast.back()) << "x";
  }
  gTree.elsewhereFirstRefs = RefsMadeElsewhere(gTree.elsewhereFirst);
  gTree.elsewhereLastRefs = RefsMadeElsewhere(gTree.elsewhereLast);
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

// Made in this process: resolved by the catalog, by the path.
void BM_RefMadeHereListedBeforeTheCrowd(benchmark::State &state) { ResolveRef(state, gTree.firstRef, gTree.first); }
BENCHMARK(BM_RefMadeHereListedBeforeTheCrowd);

void BM_RefMadeHereListedAfterTheCrowd(benchmark::State &state) { ResolveRef(state, gTree.lastRef, gTree.last); }
BENCHMARK(BM_RefMadeHereListedAfterTheCrowd);

void BM_SpecMadeHere(benchmark::State &state) {
  std::string path;
  for (auto _ : state) {
    if (platform::FSSpecMakePath(&gTree.lastSpec, path) != platform::noErr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(path);
  }
}
BENCHMARK(BM_SpecMadeHere);

// Made by another process: each followed by its chain, the first time.
void ResolveEach(benchmark::State &state, const std::vector<FSRef> &refs, const std::vector<std::string> &paths) {
  std::string path;
  size_t next = 0;
  for (auto _ : state) {
    if (platform::FSRefMakePath(&refs[next], path) != platform::noErr || path != paths[next]) {
      state.SkipWithError("not found");
    }
    ++next;
  }
}

void BM_RefMadeElsewhereListedBeforeTheCrowd(benchmark::State &state) {
  ResolveEach(state, gTree.elsewhereFirstRefs, gTree.elsewhereFirst);
}
BENCHMARK(BM_RefMadeElsewhereListedBeforeTheCrowd)->Iterations(kMadeElsewhere)->Unit(benchmark::kMicrosecond);

void BM_RefMadeElsewhereListedAfterTheCrowd(benchmark::State &state) {
  ResolveEach(state, gTree.elsewhereLastRefs, gTree.elsewhereLast);
}
BENCHMARK(BM_RefMadeElsewhereListedAfterTheCrowd)->Iterations(kMadeElsewhere)->Unit(benchmark::kMicrosecond);

// The crowd is read to know that the file is not in it, as far as the time allowed goes.
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
