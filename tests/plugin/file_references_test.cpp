// FSRef and FSSpec as the platform layer makes and follows them: from the bytes alone, whoever
// made them, at any depth, and never by searching a mount.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <span>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "abi/file_manager.h"
#include "platform/files.h"
#include "tests/plugin/file_fixtures.h"

namespace {

using fake::ScratchFolder;

std::optional<std::string> RefMadeElsewhere(const std::string &path) {
  return fake::BytesFromOtherProcess([&]() -> std::optional<std::string> {
    FSRef ref{};
    if (platform::FSPathMakeRef(path.c_str(), &ref, nullptr) != platform::noErr) return std::nullopt;
    return std::string(reinterpret_cast<const char *>(&ref), sizeof ref);
  });
}

std::optional<std::string> SpecMadeElsewhere(const std::string &path) {
  return fake::BytesFromOtherProcess([&]() -> std::optional<std::string> {
    FSSpec spec{};
    if (platform::FSPathMakeFSSpec(path.c_str(), &spec) != platform::noErr) return std::nullopt;
    return std::string(reinterpret_cast<const char *>(&spec), sizeof spec);
  });
}

template <typename Record>
Record FromBytes(const std::string &bytes) {
  Record record{};
  EXPECT_EQ(bytes.size(), sizeof record);
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  return record;
}

std::string PathOf(const FSRef &ref) {
  std::string path;
  return platform::FSRefMakePath(&ref, path) == platform::noErr ? path : "(none)";
}

std::string PathOf(const FSSpec &spec) {
  std::string path;
  const platform::OSErr error = platform::FSSpecMakePath(&spec, path);
  return (error == platform::noErr || error == platform::fnfErr) && !path.empty() ? path : "(none)";
}

std::string ParentPathOf(const std::string &path) { return path.substr(0, path.rfind('/')); }

// From another process, so that this one does not know the file and follows the chain.
uint32_t MountIDOf(const std::string &path) {
  const std::optional<std::string> ref = RefMadeElsewhere(path);
  EXPECT_TRUE(ref);
  return ref ? FromBytes<FSRefContents>(*ref).mountID : 0;
}

TEST(FileReferences, ReferencesMadeInAnotherProcessFindDeepFiles) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 24);
  const std::string file = folder + "/deep.txt";
  std::ofstream(file) << "x";

  const std::optional<std::string> ref = RefMadeElsewhere(file);
  ASSERT_TRUE(ref);
  EXPECT_EQ(PathOf(FromBytes<FSRef>(*ref)), file);
  const std::optional<std::string> folderRef = RefMadeElsewhere(folder);
  ASSERT_TRUE(folderRef);
  EXPECT_EQ(PathOf(FromBytes<FSRef>(*folderRef)), folder);

  const std::optional<std::string> spec = SpecMadeElsewhere(file);
  ASSERT_TRUE(spec);
  EXPECT_EQ(PathOf(FromBytes<FSSpec>(*spec)), file);
  int16_t refNum = 0;
  ASSERT_EQ(platform::FSpOpenDF(reinterpret_cast<const FSSpec *>(spec->data()), platform::fsRdWrPerm, &refNum),
            platform::noErr);
  platform::FSClose(refNum);
}

TEST(FileReferences, FileBesideSixtyThousandOthersOnATmpfsIsFound) {
  ScratchFolder scratch(ScratchFolder::kTmpfs);
  if (scratch.path().empty()) GTEST_SKIP() << "no tmpfs at /dev/shm";
  const std::string crowded = scratch.path() + "/crowded";
  ASSERT_EQ(mkdir(crowded.c_str(), 0755), 0);
  // One made before the others and one after: whichever order the folder is listed in, one of
  // them comes after the crowd.
  const std::string first = crowded + "/first";
  std::ofstream(first) << "x";
  for (int i = 0; i < 60000; ++i) {
    close(open((crowded + "/f" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
  }
  const std::string last = crowded + "/last";
  std::ofstream(last) << "x";
  for (const std::string &file : {first, last}) {
    const std::optional<std::string> ref = RefMadeElsewhere(file);
    ASSERT_TRUE(ref);
    EXPECT_EQ(PathOf(FromBytes<FSRef>(*ref)), file);
  }
}

// The record abi/host_abi.h describes, as another host fills it: with whole inodes for the
// folders, and with their low 16 bits.
TEST(FileReferences, RecordFilledByAnotherHostIsFollowed) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 1);
  const std::string file = folder + "/made elsewhere";
  std::ofstream(file) << "x";

  FSRefContents contents{};
  contents.magic = FSREF_MAGIC;
  contents.mountID = MountIDOf(file);
  struct stat info {};
  ASSERT_EQ(lstat(file.c_str(), &info), 0);
  contents.device = info.st_dev;
  contents.inode = info.st_ino;
  contents.kind = FSREF_KIND_ENTRY;
  // The folders below the mount's root folder: the path's elements after the last one where
  // the device changes.
  std::vector<std::string> prefixes = {"/"};
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    prefixes.push_back(folder.substr(0, slash));
  }
  prefixes.push_back(folder);
  std::vector<uint64_t> chain;
  for (size_t i = 1; i < prefixes.size(); ++i) {
    struct stat element {};
    struct stat above {};
    ASSERT_EQ(stat(prefixes[i].c_str(), &element), 0);
    ASSERT_EQ(stat(prefixes[i - 1].c_str(), &above), 0);
    if (element.st_dev != above.st_dev) chain.clear();
    else chain.push_back(element.st_ino);
  }
  ASSERT_LE(chain.size(), 6u);
  contents.levels = static_cast<uint16_t>(chain.size());
  for (unsigned bits : {64u, 16u}) {
    contents.bits = static_cast<uint8_t>(bits);
    std::memset(contents.chain, 0, sizeof contents.chain);
    for (size_t at = 0; at < chain.size() * bits; ++at) {
      if ((chain[at / bits] >> (at % bits)) & 1) contents.chain[at / 8] |= static_cast<uint8_t>(1u << (at % 8));
    }
    FSRef ref{};
    std::memcpy(&ref, &contents, sizeof ref);
    EXPECT_EQ(PathOf(ref), file) << bits << " bits per folder";
  }
}

TEST(FileReferences, GoneFilesAndMadeUpReferencesNameNothing) {
  ScratchFolder scratch;
  const std::string file = ScratchFolder::MakeNested(scratch.path(), 3) + "/short lived";
  std::ofstream(file) << "x";
  FSRef ref{};
  ASSERT_EQ(platform::FSPathMakeRef(file.c_str(), &ref, nullptr), platform::noErr);
  FSSpec spec{};
  ASSERT_EQ(platform::FSPathMakeFSSpec(file.c_str(), &spec), platform::noErr);
  const std::string renamed = ParentPathOf(file) + "/renamed";
  ASSERT_EQ(rename(file.c_str(), renamed.c_str()), 0);
  EXPECT_EQ(PathOf(ref), renamed) << "a reference follows its file, not its name";
  ASSERT_EQ(rename(renamed.c_str(), file.c_str()), 0);
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_EQ(PathOf(ref), "(none)");
  EXPECT_EQ(PathOf(spec), file) << "a spec names a place, whether or not a file is there";
  ASSERT_EQ(rmdir(ParentPathOf(file).c_str()), 0);
  EXPECT_EQ(PathOf(spec), "(none)");

  std::mt19937 random(11);
  for (int i = 0; i < 200; ++i) {
    FSRefContents madeUp{};
    for (uint8_t &byte : std::span(reinterpret_cast<uint8_t *>(&madeUp), sizeof madeUp)) byte = random() & 0xFF;
    if (i % 2 == 0) madeUp.magic = FSREF_MAGIC;
    std::memcpy(&ref, &madeUp, sizeof ref);
    EXPECT_EQ(PathOf(ref), "(none)");
  }
  FSRef zero{};
  EXPECT_EQ(PathOf(zero), "(none)");
}

// A spec keeps its folder's way down in what the name leaves of its field; with a name that
// leaves nothing, only a file in the mount's root folder, or in a folder this process knows,
// can be named.
TEST(FileReferences, SpecsFollowTheChainThatFitsBesideTheirName) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 4);
  for (size_t length : {1u, 40u, 50u}) {
    const std::string file = folder + "/" + std::string(length, 'n');
    std::ofstream(file) << "x";
    const std::optional<std::string> spec = SpecMadeElsewhere(file);
    ASSERT_TRUE(spec);
    EXPECT_EQ(PathOf(FromBytes<FSSpec>(*spec)), file) << "a name of " << length;
  }
  // In a folder that this process has not followed a chain to.
  const std::string unknown = ScratchFolder::MakeNested(scratch.path() + "/unknown", 4);
  const std::string file = unknown + "/" + std::string(63, 'n');
  std::ofstream(file) << "x";
  const std::optional<std::string> longest = SpecMadeElsewhere(file);
  ASSERT_TRUE(longest);
  EXPECT_EQ(PathOf(FromBytes<FSSpec>(*longest)), "(none)");
  FSSpec madeHere{};
  ASSERT_EQ(platform::FSPathMakeFSSpec(file.c_str(), &madeHere), platform::noErr);
  EXPECT_EQ(PathOf(madeHere), file);
  EXPECT_EQ(PathOf(FromBytes<FSSpec>(*longest)), file) << "the folder is known now";
  FSSpec tooLong{};
  EXPECT_EQ(platform::FSPathMakeFSSpec((folder + "/" + std::string(64, 'n')).c_str(), &tooLong), platform::bdNamErr);
}

// Watching a folder beside the way to the file: following a reference reads only the folders on
// its way, so one that leads nowhere costs a directory read, not a search.
TEST(FileReferences, MadeUpReferenceReadsOnlyTheFoldersOnItsWay) {
  ScratchFolder scratch(ScratchFolder::kTmpfs);
  if (scratch.path().empty()) GTEST_SKIP() << "no tmpfs at /dev/shm";
  const std::string way = ScratchFolder::MakeNested(scratch.path() + "/way", 2);
  const std::string beside = ScratchFolder::MakeNested(scratch.path() + "/beside", 2);
  const std::string file = way + "/file";
  std::ofstream(file) << "x";
  FSRef ref{};
  ASSERT_EQ(platform::FSPathMakeRef(file.c_str(), &ref, nullptr), platform::noErr);
  FSRefContents madeUp;
  std::memcpy(&madeUp, &ref, sizeof madeUp);
  madeUp.inode ^= 0x5A5A;
  std::memcpy(&ref, &madeUp, sizeof ref);

  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  const int besideWatch = inotify_add_watch(watch, beside.c_str(), IN_OPEN);
  ASSERT_GE(besideWatch, 0);
  EXPECT_EQ(PathOf(ref), "(none)");
  alignas(inotify_event) char events[4096];
  const ssize_t got = read(watch, events, sizeof events);
  size_t besideOpened = 0;
  for (ssize_t at = 0; at < got;) {
    const auto *event = reinterpret_cast<const inotify_event *>(events + at);
    besideOpened += event->wd == besideWatch ? 1 : 0;
    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
  }
  close(watch);
  EXPECT_EQ(besideOpened, 0u);
}

// What is at the checked path when it is opened is checked too: only a regular file is opened,
// and nothing waits on a pipe or a device.
TEST(FileReferences, DataForkOpensOnlyARegularFile) {
  ScratchFolder scratch;
  const std::string pipe = scratch.path() + "/pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string file = scratch.path() + "/file";
  std::ofstream(file) << "x";
  for (const std::string &path : {pipe, std::string("/dev/null"), file}) {
    FSSpec spec{};
    ASSERT_EQ(platform::FSPathMakeFSSpec(path.c_str(), &spec), platform::noErr);
    int16_t refNum = -1;
    const platform::OSErr opened = platform::FSpOpenDF(&spec, platform::fsRdWrPerm, &refNum);
    if (opened == platform::noErr) platform::FSClose(refNum);
    EXPECT_EQ(opened == platform::noErr, path == file) << path;
  }
}

// The four functions hosts call by their C names, with the classic result codes.
TEST(FileReferences, HostFunctionsMakeAndReadRecordsWithClassicCodes) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 2);
  const std::string file = folder + "/file";
  std::ofstream(file) << "x";
  EXPECT_NE(dlsym(RTLD_DEFAULT, "FSPathMakeRef"), nullptr) << "exported with C linkage";

  FSRef ref{};
  unsigned char isDirectory = 2;
  ASSERT_EQ(FSPathMakeRef(file.c_str(), &ref, &isDirectory), 0);
  EXPECT_EQ(isDirectory, 0);
  ASSERT_EQ(FSPathMakeRef(folder.c_str(), &ref, &isDirectory), 0);
  EXPECT_EQ(isDirectory, 1);
  ASSERT_EQ(FSPathMakeRef(file.c_str(), &ref, nullptr), 0);
  std::vector<char> path(file.size() + 1);
  EXPECT_EQ(FSRefMakePath(&ref, path.data(), static_cast<uint32_t>(path.size() - 1)), -2110);
  ASSERT_EQ(FSRefMakePath(&ref, path.data(), static_cast<uint32_t>(path.size())), 0);
  EXPECT_EQ(std::string(path.data()), file);

  FSSpec spec{};
  ASSERT_EQ(FSPathMakeFSSpec(file.c_str(), &spec), 0);
  ASSERT_EQ(FSSpecMakePath(&spec, path.data(), static_cast<uint32_t>(path.size())), 0);
  EXPECT_EQ(std::string(path.data()), file);
  EXPECT_EQ(FSSpecMakePath(&spec, path.data(), 4), -2110);

  const std::string later = folder + "/later";
  EXPECT_EQ(FSPathMakeFSSpec(later.c_str(), &spec), -43) << "a file yet to be made";
  std::vector<char> laterPath(later.size() + 1);
  EXPECT_EQ(FSSpecMakePath(&spec, laterPath.data(), static_cast<uint32_t>(laterPath.size())), -43);
  EXPECT_EQ(std::string(laterPath.data()), later);
  EXPECT_EQ(FSPathMakeFSSpec((folder + "/" + std::string(64, 'n')).c_str(), &spec), -37);
  EXPECT_EQ(FSPathMakeRef((folder + "/missing").c_str(), &ref, nullptr), -43);
  EXPECT_EQ(FSPathMakeRef(nullptr, &ref, nullptr), -50);
  EXPECT_EQ(FSRefMakePath(nullptr, path.data(), 10), -50);
  ASSERT_EQ(unlink(file.c_str()), 0);
  EXPECT_EQ(FSRefMakePath(&ref, path.data(), static_cast<uint32_t>(path.size())), -43);
}

}  // namespace
