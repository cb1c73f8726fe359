// FSRef and FSSpec as the platform layer makes and follows them: from the bytes alone, whoever
// made them, at any depth, and never by searching a mount.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <span>
#include <random>
#include <string>
#include <thread>
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

// A spec keeps its folder's way down and its stamp in what the name leaves of its field; a name
// that leaves too little for them has no spec outside the mount's root folder, and a spec without
// a way down (as earlier versions made for long names) names nothing, here or elsewhere.
TEST(FileReferences, SpecsFollowTheChainThatFitsBesideTheirName) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 4);
  for (size_t length : {1u, 40u, 50u, 57u}) {
    const std::string file = folder + "/" + std::string(length, 'n');
    std::ofstream(file) << "x";
    const std::optional<std::string> spec = SpecMadeElsewhere(file);
    ASSERT_TRUE(spec);
    EXPECT_EQ(PathOf(FromBytes<FSSpec>(*spec)), file) << "a name of " << length;
  }
  const std::string file = folder + "/" + std::string(63, 'n');
  std::ofstream(file) << "x";
  FSSpec spec{};
  EXPECT_EQ(platform::FSPathMakeFSSpec(file.c_str(), &spec), platform::bdNamErr);
  FSSpec madeEarlier{};
  ASSERT_EQ(platform::FSPathMakeFSSpec((folder + "/n").c_str(), &madeEarlier), platform::noErr);
  madeEarlier.name[0] = 63;
  std::memset(madeEarlier.name + 1, 'n', 63);
  EXPECT_EQ(PathOf(madeEarlier), "(none)");
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


// A threaded host that forks: its children use the library at once, whatever the other threads
// were doing in it at the fork. A child that hangs is ended by its alarm.
TEST(FileReferences, ChildrenOfAThreadedHostFindTheLibraryFree) {
  ScratchFolder scratch;
  const std::string folder = ScratchFolder::MakeNested(scratch.path(), 3);
  std::vector<std::string> files;
  for (int i = 0; i < 64; ++i) {
    files.push_back(folder + "/file " + std::to_string(i));
    std::ofstream(files.back()) << i;
  }
  std::atomic<bool> stop = false;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&, t] {
      std::vector<char> path(4096);
      for (size_t i = t; !stop; ++i) {
        FSRef ref{};
        FSSpec spec{};
        const std::string &file = files[i % files.size()];
        FSPathMakeRef(file.c_str(), &ref, nullptr);
        FSRefMakePath(&ref, path.data(), static_cast<uint32_t>(path.size()));
        FSPathMakeFSSpec(file.c_str(), &spec);
        FSSpecMakePath(&spec, path.data(), static_cast<uint32_t>(path.size()));
      }
    });
  }
  int hung = 0;
  int failed = 0;
  for (int i = 0; i < 200 && hung < 3; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      alarm(2);
      FSRef ref{};
      std::vector<char> path(4096);
      const bool found = FSPathMakeRef(files[i % files.size()].c_str(), &ref, nullptr) == 0 &&
                         FSRefMakePath(&ref, path.data(), static_cast<uint32_t>(path.size())) == 0;
      _exit(found ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    hung += WIFSIGNALED(status) ? 1 : 0;
    failed += WIFEXITED(status) && WEXITSTATUS(status) != 0 ? 1 : 0;
  }
  stop = true;
  for (std::thread &worker : workers) worker.join();
  EXPECT_EQ(hung, 0) << "children that hung or crashed, of 200";
  EXPECT_EQ(failed, 0) << "children that did not find their file, of 200";
}

// Where file systems give numbers again. Each case runs with mounts of its own and reports what
// went wrong ("" for nothing, "skip: why" where its file system cannot be had).
struct NumbersGivenAgain {
  const char *what;
  std::string (*run)(const std::string &scratch);
};

std::string Inode(const std::string &path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? std::to_string(info.st_ino) : "none";
}

// A new file in `folder`, made until one takes `inode` (ext4 hands a freed one out at once).
std::string NewFileWithInode(const std::string &folder, const std::string &inode) {
  for (int i = 0; i < 16; ++i) {
    const std::string file = folder + "/b" + std::to_string(i) + ".txt";
    std::ofstream(file) << "new " << i;
    if (Inode(file) == inode) return file;
  }
  return "";
}

std::string Expect(const std::string &what, const std::string &got, const std::string &wanted) {
  return got == wanted ? "" : what + " gave " + got + ", not " + wanted + "; ";
}

std::string RefAndSpecOfGoneFiles(const std::string &scratch) {
  const std::string root = scratch + "/ext4";
  if (std::string why = fake::MountExt4Image(scratch + "/ext4.img", root); !why.empty()) return "skip: " + why;
  std::string failed;
  const std::string docs = root + "/docs";
  mkdir(docs.c_str(), 0755);
  // A deleted file, and a file saved the safe way (a new file renamed over it).
  const std::string deleted = docs + "/a.txt";
  const std::string saved = docs + "/report.txt";
  std::ofstream(deleted) << "a";
  std::ofstream(saved) << "report";
  FSRef deletedHere{};
  FSRef savedHere{};
  FSPathMakeRef(deleted.c_str(), &deletedHere, nullptr);
  FSPathMakeRef(saved.c_str(), &savedHere, nullptr);
  const std::optional<std::string> deletedElsewhere = RefMadeElsewhere(deleted);
  const std::optional<std::string> savedElsewhere = RefMadeElsewhere(saved);
  // A folder removed, with a spec of a file in it.
  const std::string gone = root + "/gone";
  mkdir(gone.c_str(), 0755);
  std::ofstream(gone + "/x.txt") << "x";
  FSSpec goneHere{};
  FSPathMakeFSSpec((gone + "/x.txt").c_str(), &goneHere);
  const std::optional<std::string> goneElsewhere = SpecMadeElsewhere(gone + "/x.txt");
  if (!deletedElsewhere || !savedElsewhere || !goneElsewhere) return "records not made elsewhere; ";

  const std::string deletedInode = Inode(deleted);
  unlink(deleted.c_str());
  const std::string next = NewFileWithInode(docs, deletedInode);
  const std::string savedInode = Inode(saved);
  std::ofstream(docs + "/report.txt.new") << "report, edited";
  rename((docs + "/report.txt.new").c_str(), saved.c_str());
  std::ofstream(docs + "/salary0.txt") << "salary";
  const std::string goneInode = Inode(gone);
  unlink((gone + "/x.txt").c_str());
  rmdir(gone.c_str());
  const std::string other = root + "/other";
  mkdir(other.c_str(), 0755);
  std::ofstream(other + "/x.txt") << "x";
  if (next.empty() || Inode(docs + "/salary0.txt") != savedInode || Inode(other) != goneInode) {
    return "skip: ext4 did not give the numbers again";
  }
  FSRef knownHere{};
  FSPathMakeRef(other.c_str(), &knownHere, nullptr);  // this process knows the folder that took the number
  failed += Expect("a deleted file's FSRef made here", PathOf(deletedHere), "(none)");
  failed += Expect("a deleted file's FSRef made elsewhere", PathOf(FromBytes<FSRef>(*deletedElsewhere)), "(none)");
  failed += Expect("a safe-saved file's FSRef made here", PathOf(savedHere), "(none)");
  failed += Expect("a safe-saved file's FSRef made elsewhere", PathOf(FromBytes<FSRef>(*savedElsewhere)), "(none)");
  failed += Expect("a removed folder's FSSpec made here", PathOf(goneHere), "(none)");
  failed += Expect("a removed folder's FSSpec made elsewhere", PathOf(FromBytes<FSSpec>(*goneElsewhere)), "(none)");
  return failed;
}

// A snapshot repeats every number of its subvolume on the same mount, and the parent folder lists a
// subvolume by its own number, not by its root folder's inode.
std::string RecordsInSnapshots(const std::string &scratch) {
  const std::string root = scratch + "/btrfs";
  if (std::string why = fake::MountBtrfsImage(scratch + "/btrfs.img", root); !why.empty()) return "skip: " + why;
  if (std::string why = fake::MakeBtrfsSubvolume(root + "/orig"); !why.empty()) return "skip: " + why;
  mkdir((root + "/orig/docs").c_str(), 0755);
  std::ofstream(root + "/orig/docs/report.txt") << "original";
  mkdir((root + "/topdocs").c_str(), 0755);
  std::ofstream(root + "/topdocs/report.txt") << "top";
  if (std::string why = fake::MakeBtrfsSnapshot(root + "/orig", root + "/copy"); !why.empty()) return "skip: " + why;
  if (std::string why = fake::MakeBtrfsSubvolume(root + "/copy/nested"); !why.empty()) return "skip: " + why;
  std::ofstream(root + "/copy/nested/inner.txt") << "inner";
  const std::string copy = root + "/copy/docs/report.txt";
  const std::optional<std::string> specElsewhere = SpecMadeElsewhere(copy);
  const std::optional<std::string> refElsewhere = RefMadeElsewhere(copy);
  const std::optional<std::string> innerElsewhere = RefMadeElsewhere(root + "/copy/nested/inner.txt");
  if (!specElsewhere || !refElsewhere || !innerElsewhere) return "records not made elsewhere; ";
  std::string failed;
  failed += Expect("an FSSpec in a snapshot made elsewhere", PathOf(FromBytes<FSSpec>(*specElsewhere)), copy);
  failed += Expect("an FSRef in a snapshot made elsewhere", PathOf(FromBytes<FSRef>(*refElsewhere)), copy);
  failed += Expect("an FSRef in a nested subvolume made elsewhere", PathOf(FromBytes<FSRef>(*innerElsewhere)),
                   root + "/copy/nested/inner.txt");
  // Now that this process knows folders with the same low bits, the FSSpec still names its own.
  for (const std::string &known : {root + "/orig/docs/report.txt", root + "/topdocs/report.txt"}) {
    FSSpec spec{};
    FSPathMakeFSSpec(known.c_str(), &spec);
  }
  failed += Expect("an FSSpec in a snapshot, beside known twins", PathOf(FromBytes<FSSpec>(*specElsewhere)), copy);
  return failed;
}

// A fresh tmpfs gives its first folder inode 2, the number an FSSpec gives the mount's root folder.
std::string FolderNumberedAsTheRoot(const std::string &scratch) {
  const std::string root = scratch + "/tmpfs";
  if (!fake::MountTmpfs(root)) return "skip: no tmpfs";
  const std::string first = root + "/first";
  mkdir(first.c_str(), 0755);
  if (Inode(first) != "2") return "skip: the first folder is not inode 2 here";
  const std::string name(63, 'n');
  std::ofstream(first + "/" + name) << "in the folder";
  std::ofstream(root + "/" + name) << "in the root folder";
  for (const std::string &file : {first + "/" + name, first + "/" + name.substr(0, 40)}) {
    std::ofstream(file) << "x";
    FSSpec spec{};
    const int16_t made = FSPathMakeFSSpec(file.c_str(), &spec);
    const std::optional<std::string> elsewhere = SpecMadeElsewhere(file);
    if (made != 0) {
      if (made != -37 || elsewhere) return "a spec that cannot be made says so, everywhere; ";
      continue;
    }
    if (!elsewhere) return "a spec made here is made elsewhere too; ";
    const std::string here = PathOf(spec);
    const std::string there = PathOf(FromBytes<FSSpec>(*elsewhere));
    if ((here != file && here != "(none)") || (there != file && there != "(none)")) {
      return "a spec of " + file + " gave " + here + " and " + there + "; ";
    }
  }
  return "";
}

// Containers bind files over others, as /etc/hosts.
std::string FileBoundOverAnother(const std::string &scratch) {
  const std::string source = scratch + "/hosts.source";
  const std::string bound = ScratchFolder::MakeNested(scratch + "/etc", 1) + "/hosts";
  std::ofstream(source) << "127.0.0.1 localhost";
  std::ofstream(bound) << "covered";
  if (mount(source.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) return "skip: no bind mount";
  std::string failed;
  FSRef ref{};
  FSSpec spec{};
  if (FSPathMakeRef(bound.c_str(), &ref, nullptr) != 0 || FSPathMakeFSSpec(bound.c_str(), &spec) != 0) {
    return "no records of a bound file; ";
  }
  failed += Expect("an FSRef of a bound file made here", PathOf(ref), bound);
  failed += Expect("an FSSpec of a bound file made here", PathOf(spec), bound);
  const std::optional<std::string> refElsewhere = RefMadeElsewhere(bound);
  const std::optional<std::string> specElsewhere = SpecMadeElsewhere(bound);
  if (!refElsewhere || !specElsewhere) return failed + "records not made elsewhere; ";
  failed += Expect("an FSRef of a bound file made elsewhere", PathOf(FromBytes<FSRef>(*refElsewhere)), bound);
  failed += Expect("an FSSpec of a bound file made elsewhere", PathOf(FromBytes<FSSpec>(*specElsewhere)), bound);
  return failed;
}

TEST(FileReferences, RecordsNameTheirOwnFileWhereNumbersAreGivenAgain) {
  const NumbersGivenAgain cases[] = {
      {"ext4 gives a freed inode to the next file or folder", RefAndSpecOfGoneFiles},
      {"btrfs snapshots repeat numbers and list subvolumes by their own", RecordsInSnapshots},
      {"a tmpfs numbers its first folder as the root folder", FolderNumberedAsTheRoot},
      {"a file bound over another is a mount point", FileBoundOverAnother},
  };
  for (const NumbersGivenAgain &each : cases) {
    ScratchFolder scratch;
    const std::optional<std::string> failed = fake::InOwnMountNamespace([&] { return each.run(scratch.path()); });
    if (!failed) GTEST_SKIP() << "cannot mount here: needs root (unshare(CLONE_NEWNS))";
    if (failed->rfind("skip: ", 0) == 0) {
      std::cout << "[ SKIPPED  ] " << each.what << ": " << failed->substr(6) << "\n";
      continue;
    }
    EXPECT_EQ(*failed, "") << each.what;
  }
}

}  // namespace
