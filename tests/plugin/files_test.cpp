// File and volume queries on folder items: the host's references made through the platform
// library this test loads and read by the bundle through the same one, as a runtime and its
// bundle do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/mounts.h"
#include "tests/plugin/bundle.h"
#include "tests/plugin/file_fixtures.h"

namespace {

using fake::Host;
using fake::ScratchFolder;

bool SpecFromPath(const std::string &path, FSSpec *spec) {
  return platform::FSPathMakeFSSpec(path.c_str(), spec) == platform::noErr;
}

bool PathFromSpec(const FSSpec *spec, std::string &path) {
  return platform::FSSpecMakePath(spec, path) == platform::noErr;
}

bool RefFromPath(const std::string &path, FSRef *ref, HFSUniStr255 *name) {
  return platform::FSPathMakeRef(path.c_str(), ref, nullptr) == platform::noErr &&
         (name == nullptr ||
          platform::FSGetCatalogInfo(ref, platform::kFSCatInfoNone, nullptr, name, nullptr, nullptr) == platform::noErr);
}

bool PathFromParentRef(const FSRef *parent, const HFSUniStr255 *name, std::string &path) {
  std::string folder;
  if (platform::FSRefMakePath(parent, folder) != platform::noErr) {
    return false;
  }
  std::u16string units(reinterpret_cast<const char16_t *>(name->unicode), name->length);
  path = (folder == "/" ? "" : folder) + "/" + std::filesystem::path(units).string();
  return true;
}

// Another process holding a file open for writing, for as long as this object lives.
class WriterElsewhere {
 public:
  explicit WriterElsewhere(const std::string &path) {
    int ready[2];
    if (pipe(ready) != 0 || pipe(finish_) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(finish_[1]);
      const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
      char byte = fd >= 0 ? 'y' : 'n';
      (void)!write(ready[1], &byte, 1);
      (void)!read(finish_[0], &byte, 1);
      _exit(0);
    }
    close(ready[1]);
    close(finish_[0]);
    char byte = 0;
    opened_ = read(ready[0], &byte, 1) == 1 && byte == 'y';
    close(ready[0]);
  }
  ~WriterElsewhere() {
    close(finish_[1]);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  bool opened() const { return opened_; }

 private:
  int finish_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool opened_ = false;
};

// `levels` nested folders below `from`, each level beside `siblings` empty folders made before
// it and as many after, so that whichever order a folder is listed in, a reader that guesses
// among look-alike subfolders meets many of them. Gives the innermost.
std::string CrowdedNest(const std::string &from, size_t levels, size_t siblings) {
  std::string here = from;
  std::filesystem::create_directories(here);
  for (size_t level = 0; level < levels; ++level) {
    for (size_t i = 0; i < 2 * siblings; ++i) {
      if (i == siblings) std::filesystem::create_directory(here + "/way");
      std::filesystem::create_directory(here + "/beside " + std::to_string(i));
    }
    here += "/way";
  }
  return here;
}

class Files : public fake::PluginTest {
 protected:
  Files() {
    host.SetFileHooks(&SpecFromPath, &PathFromSpec, &RefFromPath, &PathFromParentRef);
    folder = ::testing::TempDir() + "qrv-files-" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    file = folder + "/Grüße.txt";
    std::ofstream(file) << "data";
  }
  ~Files() override { std::filesystem::remove_all(folder); }

  template <typename Signature>
  Signature *FolderItemMethod(const char *declaration) {
    return host.Method<Signature>("folderitem", declaration);
  }

  HostObject RefOf(HostObject item) { return FolderItemMethod<HostObject(HostObject)>("FSRefQRV as memoryblock")(item); }
  HostObject SpecOf(HostObject item) { return FolderItemMethod<HostObject(HostObject)>("FSSpecQRV as memoryblock")(item); }
  // The path of the item the bundle makes from a reference block; "(nil)" for none.
  std::string ItemFromRef(HostObject ref) {
    return PathAndRelease(host.Global<HostObject(HostObject)>("NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem")(ref));
  }
  std::string ItemFromSpec(HostObject spec) {
    return PathAndRelease(host.Global<HostObject(HostObject)>("NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem")(spec));
  }
  std::string PathAndRelease(HostObject item) {
    const std::string path = item ? host.FolderItemPath(item) : "(nil)";
    host.ReleaseObject(item);
    return path;
  }
  FSRefContents ContentsOf(HostObject ref) {
    FSRefContents contents{};
    const std::string bytes = ref ? host.BlockBytes(ref) : std::string();
    std::memcpy(&contents, bytes.data(), std::min(bytes.size(), sizeof contents));
    return contents;
  }
  // What goes amiss when the bundle makes an FSRef and an FSSpec (when `withSpec`) of the item at
  // `path` and then folder items from them; "" when both lead back to it.
  std::string RoundTrip(const std::string &path, bool withSpec = true) {
    std::string failed;
    HostObject item = host.MakeFolderItem(path);
    HostObject ref = RefOf(item);
    if (const std::string back = ItemFromRef(ref); back != path) failed += " FSRef of " + path + " gave " + back + ";";
    if (withSpec) {
      HostObject spec = SpecOf(item);
      if (const std::string back = ItemFromSpec(spec); back != path) {
        failed += " FSSpec of " + path + " gave " + back + ";";
      }
      host.ReleaseObject(spec);
    }
    for (HostObject o : {item, ref}) host.ReleaseObject(o);
    return failed;
  }
  // Runs `work` with mounts of its own; skips the test where none can be had.
  void WithOwnMounts(const std::function<std::string()> &work) {
    const std::optional<std::string> failed = fake::InOwnMountNamespace(work);
    if (!failed) GTEST_SKIP() << "cannot mount here: needs root (unshare(CLONE_NEWNS))";
    if (failed->rfind("skip: ", 0) == 0) GTEST_SKIP() << failed->substr(6);
    EXPECT_EQ(*failed, "");
  }

  std::string folder;
  std::string file;
};

TEST_F(Files, VolumeFiguresComeFromTheItemsVolume) {
  HostObject item = host.MakeFolderItem(file);
  const double total = FolderItemMethod<double(HostObject)>("VolumeSizeQRV as Double")(item);
  const double free = FolderItemMethod<double(HostObject)>("VolumeFreeSizeQRV as Double")(item);
  const intptr_t totalKB = FolderItemMethod<intptr_t(HostObject)>("VolumeSizeKBQRV as Integer")(item);
  struct statvfs figures {};
  ASSERT_EQ(statvfs(folder.c_str(), &figures), 0);
  EXPECT_EQ(total, static_cast<double>(figures.f_blocks * figures.f_frsize));
  EXPECT_LE(free, total);
  EXPECT_EQ(totalKB, static_cast<int32_t>(static_cast<uint32_t>((figures.f_blocks * figures.f_frsize) >> 10)));
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("FlushVolumeQRV as integer")(item), 0);
  host.ReleaseObject(item);
}

TEST_F(Files, ItemWithoutASpecGivesFailureValues) {
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("VolumeSizeKBQRV as Integer")(nullptr), -1);
  EXPECT_EQ(FolderItemMethod<double(HostObject)>("VolumeFreeSizeQRV as Double")(nullptr), -1.0);
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("FlushVolumeQRV as integer")(nullptr), -1);
  host.SetFileHooks(nullptr, nullptr, nullptr, nullptr);
  HostObject item = host.MakeFolderItem(file);
  EXPECT_EQ(FolderItemMethod<double(HostObject)>("VolumeSizeQRV as Double")(item), -1.0);
  EXPECT_EQ(FolderItemMethod<HostObject(HostObject)>("FSSpecQRV as memoryblock")(item), nullptr);
  EXPECT_EQ(FolderItemMethod<HostObject(HostObject)>("FSRefQRV as memoryblock")(item), nullptr);
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  HostString name = host.MakeString("kept");
  EXPECT_EQ(FolderItemMethod<HostObject(HostObject, HostString *)>(
                "FSRefNameQRV(byref name as string) as memoryblock")(item, &name),
            nullptr);
  EXPECT_EQ(Host::Text(name), "kept");
  host.Release(name);
  host.ReleaseObject(item);
}

TEST_F(Files, FSSpecBlockMakesAFolderItemForTheSameFile) {
  HostObject item = host.MakeFolderItem(file);
  HostObject spec = FolderItemMethod<HostObject(HostObject)>("FSSpecQRV as memoryblock")(item);
  ASSERT_NE(spec, nullptr);
  EXPECT_EQ(host.BlockBytes(spec).size(), 70u);
  auto fromSpec = host.Global<HostObject(HostObject)>("NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem");
  HostObject again = fromSpec(spec);
  EXPECT_EQ(host.FolderItemPath(again), std::filesystem::weakly_canonical(file).string());
  HostObject shortBlock = host.MakeMemoryBlock("too short");
  EXPECT_EQ(fromSpec(shortBlock), nullptr);
  EXPECT_EQ(fromSpec(nullptr), nullptr);
  for (HostObject o : {item, spec, again, shortBlock}) {
    host.ReleaseObject(o);
  }
}

TEST_F(Files, FSRefNameGivesTheReferenceAndTheNameInUtf8) {
  HostObject item = host.MakeFolderItem(file);
  HostString name = host.MakeString("old");
  HostObject ref = FolderItemMethod<HostObject(HostObject, HostString *)>(
      "FSRefNameQRV(byref name as string) as memoryblock")(item, &name);
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(host.BlockBytes(ref).size(), 80u);
  EXPECT_EQ(Host::Text(name), "Grüße.txt");
  EXPECT_EQ(Host::Encoding(name), HOST_ENCODING_UTF8);
  EXPECT_EQ(host.LiveStrings(), 1u) << "the old value and the UTF-16 name are released";
  host.Release(name);
  host.ReleaseObject(ref);
  host.ReleaseObject(item);
}

TEST_F(Files, FSRefMakesTheItemFromItsParentAndARootFromItsSpec) {
  auto fromRef = host.Global<HostObject(HostObject)>("NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem");
  auto refOf = FolderItemMethod<HostObject(HostObject)>("FSRefQRV as memoryblock");
  HostObject item = host.MakeFolderItem(file);
  HostObject ref = refOf(item);
  HostObject again = fromRef(ref);
  EXPECT_EQ(host.FolderItemPath(again), std::filesystem::weakly_canonical(file).string());
  EXPECT_EQ(host.Calls("REALFolderItemFromParentFSRef"), 1);
  EXPECT_EQ(host.Calls("FolderItemFromFSSpec"), 0);

  HostObject root = host.MakeFolderItem("/");
  HostObject rootRef = refOf(root);
  HostObject rootAgain = fromRef(rootRef);
  EXPECT_EQ(host.FolderItemPath(rootAgain), "/");
  EXPECT_EQ(host.Calls("FolderItemFromFSSpec"), 1);

  auto fromRefAndName = host.Global<HostObject(HostObject, HostString)>(
      "NewFolderItemFSRefNameQRV(fsref as memoryblock,name as string) as FolderItem");
  HostString name = host.MakeString("other");
  HostObject named = fromRefAndName(ref, name);
  EXPECT_EQ(host.FolderItemPath(named), host.FolderItemPath(again));
  EXPECT_EQ(fromRefAndName(nullptr, name), nullptr);
  HostString empty = host.MakeString("");
  HostObject emptyNamed = fromRefAndName(ref, empty);
  EXPECT_EQ(host.FolderItemPath(emptyNamed), host.FolderItemPath(again)) << "an empty name is no name";
  for (HostObject o : {item, ref, again, root, rootRef, rootAgain, named, emptyNamed}) {
    host.ReleaseObject(o);
  }
  host.Release(name);
  host.Release(empty);
}

TEST_F(Files, DataForkOpenForWritingElsewhereIsSeenAndAClosedOneIsLeftClosed) {
  HostObject item = host.MakeFolderItem(file);
  auto dataForkBusy = FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean");
  EXPECT_FALSE(dataForkBusy(item));
  size_t openDescriptors = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++openDescriptors;
  }
  {
    std::ofstream writer(file, std::ios::app);
    EXPECT_TRUE(dataForkBusy(item));
  }
  EXPECT_FALSE(dataForkBusy(item));
  size_t after = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++after;
  }
  EXPECT_EQ(after, openDescriptors);
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileResourceForkOpenReadWriteQRV as boolean")(item));
  host.ReleaseObject(item);
}

// A file far below its mount's root: the reference the host made leads the bundle to it, and a
// writer in another process is seen.
TEST_F(Files, DeepFileIsFoundFromTheHostsReferenceAndSeenOpenElsewhere) {
  const std::string deep = ScratchFolder::MakeNested(folder, 24) + "/deep.txt";
  std::ofstream(deep) << "x";
  HostObject item = host.MakeFolderItem(deep);
  HostObject ref = RefOf(item);
  EXPECT_EQ(ItemFromRef(ref), deep);
  HostObject spec = SpecOf(item);
  EXPECT_EQ(ItemFromSpec(spec), deep);

  auto dataForkBusy = FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean");
  EXPECT_FALSE(dataForkBusy(item));
  {
    WriterElsewhere writer(deep);
    EXPECT_TRUE(writer.opened());
    EXPECT_TRUE(dataForkBusy(item));
  }
  EXPECT_FALSE(dataForkBusy(item));
  for (HostObject o : {item, ref, spec}) host.ReleaseObject(o);
}

// A reference to a link names the link: when its target becomes a link back to it, the link is
// still there to be found, and nothing is thrown.
TEST_F(Files, LinkWhoseTargetLoopsBackIsStillTheLink) {
  ScratchFolder scratch(ScratchFolder::kTmpfs);
  if (scratch.path().empty()) GTEST_SKIP() << "no tmpfs at /dev/shm";
  const std::string target = scratch.path() + "/target";
  const std::string link = scratch.path() + "/link";
  std::ofstream(target) << "x";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  HostObject item = host.MakeFolderItem(link);
  HostObject ref = RefOf(item);
  HostObject spec = SpecOf(item);
  ASSERT_NE(ref, nullptr);
  ASSERT_EQ(unlink(target.c_str()), 0);
  ASSERT_EQ(symlink(link.c_str(), target.c_str()), 0);

  EXPECT_EQ(ItemFromRef(ref), link);
  EXPECT_EQ(ItemFromSpec(spec), link);
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  HostObject again = RefOf(item);
  EXPECT_EQ(ItemFromRef(again), link);
  HostObject inLoop = host.MakeFolderItem(link + "/below");
  EXPECT_EQ(RefOf(inLoop), nullptr);
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("VolumeSizeKBQRV as Integer")(inLoop), -1);
  for (HostObject o : {item, ref, spec, again, inLoop}) host.ReleaseObject(o);
}

TEST_F(Files, FoldersThatVanishOrCannotBeReadGiveFailureValues) {
  const std::string inner = ScratchFolder::MakeNested(folder + "/vanishing", 3);
  const std::string gone = inner + "/file";
  std::ofstream(gone) << "x";
  HostObject item = host.MakeFolderItem(gone);
  HostObject ref = RefOf(item);
  HostObject spec = SpecOf(item);
  std::filesystem::remove_all(folder + "/vanishing");
  EXPECT_EQ(ItemFromRef(ref), "(nil)");
  EXPECT_EQ(ItemFromSpec(spec), "(nil)");
  EXPECT_EQ(RefOf(item), nullptr);
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("VolumeSizeKBQRV as Integer")(item), -1);
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  for (HostObject o : {item, ref, spec}) host.ReleaseObject(o);

  // As a user whom the folder's permissions deny (root reads anything, so the check runs as
  // nobody in a process of its own).
  const std::string closed = folder + "/closed";
  std::filesystem::create_directories(closed + "/inside");
  std::ofstream(closed + "/inside/file") << "x";
  HostObject hidden = host.MakeFolderItem(closed + "/inside/file");
  HostObject hiddenRef = RefOf(hidden);
  ASSERT_NE(hiddenRef, nullptr);
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  const int outcome = fake::InOtherProcess([&] {
    if (geteuid() == 0 && setuid(65534) != 0) return 2;
    const bool refused = ItemFromRef(hiddenRef) == "(nil)" && RefOf(hidden) == nullptr &&
                         !FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(hidden);
    return refused ? 0 : 1;
  });
  chmod(closed.c_str(), 0755);
  EXPECT_EQ(outcome, 0);
  for (HostObject o : {hidden, hiddenRef}) host.ReleaseObject(o);
}

TEST_F(Files, NameOf255BytesKeepsItsNameThroughReferences) {
  std::string longName;
  while (longName.size() < 254) longName += "\xc3\xa9";
  longName += "x";
  ASSERT_EQ(longName.size(), 255u);
  const std::string named = folder + "/" + longName;
  std::ofstream(named) << "x";
  HostObject item = host.MakeFolderItem(named);
  HostString name = nullptr;
  HostObject ref = FolderItemMethod<HostObject(HostObject, HostString *)>(
      "FSRefNameQRV(byref name as string) as memoryblock")(item, &name);
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(Host::Text(name), longName);
  EXPECT_EQ(ItemFromRef(ref), named);
  auto fromRefAndName = host.Global<HostObject(HostObject, HostString)>(
      "NewFolderItemFSRefNameQRV(fsref as memoryblock,name as string) as FolderItem");
  EXPECT_EQ(PathAndRelease(fromRefAndName(ref, name)), named);
  EXPECT_EQ(SpecOf(item), nullptr) << "an FSSpec holds 63 bytes of name";
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  host.Release(name);
  for (HostObject o : {item, ref}) host.ReleaseObject(o);
}

// Files that the path reaches but a chain cannot lead to: a name that leaves the FSSpec no room
// for one, a folder 100 levels deep (a few bits per level among look-alike folders), a folder in
// the way that may be searched but not listed, an overlay whose layers lie on two file systems
// (a folder's inode in a listing is not the one stat gives). References made in this process
// find them all, and the writer of such a file is seen.
TEST_F(Files, ReferencesMadeHereFindEveryFileThePathReaches) {
  const std::string nest = CrowdedNest(folder, 6, 16);
  // An FSSpec keeps its folder's chain and stamp beside the name; a longer name has none.
  for (size_t length : {50u, 57u, 58u, 63u}) {
    const std::string named = nest + "/" + std::string(length, 'n');
    std::ofstream(named) << "x";
    EXPECT_EQ(RoundTrip(named, length <= 57), "") << "a name of " << length << " bytes";
    HostObject item = host.MakeFolderItem(named);
    HostObject spec = SpecOf(item);
    EXPECT_EQ(spec != nullptr, length <= 57) << "a name of " << length << " bytes";
    for (HostObject o : {item, spec}) host.ReleaseObject(o);
  }
  HostObject item = host.MakeFolderItem(nest + "/" + std::string(57, 'n'));
  {
    WriterElsewhere writer(nest + "/" + std::string(57, 'n'));
    EXPECT_TRUE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  }
  host.ReleaseObject(item);

  const std::string deepest = CrowdedNest(folder + "/deep", 100, 8) + "/file";
  std::ofstream(deepest) << "x";
  EXPECT_EQ(RoundTrip(deepest), "");

  // As a user whom the folder lets through but does not let list (root lists anything).
  const std::string passage = folder + "/passage";
  const std::string beyond = ScratchFolder::MakeNested(passage, 2) + "/file";
  std::ofstream(beyond) << "x";
  ASSERT_EQ(chmod(passage.c_str(), 0711), 0);
  const int outcome = fake::InOtherProcess([&] {
    if (geteuid() == 0 && setuid(65534) != 0) return 2;
    return RoundTrip(beyond).empty() ? 0 : 1;
  });
  chmod(passage.c_str(), 0755);
  EXPECT_EQ(outcome, 0) << "through a folder of mode 0711";

  WithOwnMounts([&]() -> std::string {
    const std::string lower = folder + "/lower";
    const std::string upper = folder + "/upper";
    const std::string merged = folder + "/merged";
    if (!fake::MountTmpfs(lower) || !fake::MountTmpfs(upper)) return "skip: no tmpfs";
    const std::string inLower = ScratchFolder::MakeNested(lower, 3);
    std::ofstream(inLower + "/from below") << "x";
    std::filesystem::create_directories(upper + "/changes");
    std::filesystem::create_directories(upper + "/work");
    std::filesystem::create_directories(merged);
    const std::string layers = "lowerdir=" + lower + ",upperdir=" + upper + "/changes,workdir=" + upper + "/work";
    if (mount("overlay", merged.c_str(), "overlay", 0, layers.c_str()) != 0) return "skip: no overlay file system";
    const std::string inMerged = merged + inLower.substr(lower.size());
    std::ofstream(inMerged + "/made above") << "x";
    return RoundTrip(inMerged + "/from below") + RoundTrip(inMerged + "/made above");
  });
}

// Mount IDs and device numbers are handed out again: a tmpfs unmounted and another mounted
// elsewhere gets the same ones, and its first file the same inode. A mount covered by a later
// one shows that one's files at its place. References made before name nothing, not the file
// that now has their numbers or their place.
TEST_F(Files, ReferencesToARemountedOrCoveredFileSystemNameNothing) {
  WithOwnMounts([&]() -> std::string {
    std::string failed;
    const std::string first = folder + "/first";
    if (!fake::MountTmpfs(first)) return "skip: no tmpfs";
    std::ofstream(first + "/file") << "old";
    HostObject old = host.MakeFolderItem(first + "/file");
    HostObject oldRef = RefOf(old);
    umount(first.c_str());
    const std::string second = folder + "/second";
    fake::MountTmpfs(second);
    std::ofstream(second + "/file") << "new";
    if (const std::string found = ItemFromRef(oldRef); found != "(nil)") failed += " remounted: " + found + ";";
    failed += RoundTrip(second + "/file");

    const std::string covered = folder + "/covered";
    fake::MountTmpfs(covered);
    std::filesystem::create_directories(covered + "/inner");
    std::vector<HostObject> refs;
    for (const std::string &path : {covered + "/file", covered + "/inner/file"}) {
      std::ofstream(path) << "under";
      HostObject item = host.MakeFolderItem(path);
      refs.push_back(RefOf(item));
      refs.push_back(SpecOf(item));
      host.ReleaseObject(item);
    }
    fake::MountTmpfs(covered);
    std::filesystem::create_directories(covered + "/inner");
    std::ofstream(covered + "/file") << "over";
    std::ofstream(covered + "/inner/file") << "over";
    for (size_t i = 0; i < refs.size(); ++i) {
      const std::string found = i % 2 == 0 ? ItemFromRef(refs[i]) : ItemFromSpec(refs[i]);
      if (found != "(nil)") failed += " covered, record " + std::to_string(i) + ": " + found + ";";
    }
    failed += RoundTrip(covered + "/inner/file");
    for (HostObject o : refs) host.ReleaseObject(o);
    for (HostObject o : {old, oldRef}) host.ReleaseObject(o);
    return failed;
  });
}

// A made-up FSRef of two levels without chain bits matches every folder two levels down; each
// there holds 100,000 links of one file, and the reference has that file's inode (on another
// device), so that looking through all of them takes seconds. The bundle gives up in time. An
// ordinary reference reads the mount table at most once, however many steps look at mounts.
TEST_F(Files, MadeUpReferenceIsGivenUpInTimeAndTheMountTableReadOnce) {
  WithOwnMounts([&]() -> std::string {
    const std::string crowd = folder + "/crowd";
    if (!fake::MountTmpfs(crowd)) return "skip: no tmpfs";
    const std::string links = crowd + "/links";
    std::filesystem::create_directories(links);
    std::ofstream(links + "/file") << "x";
    for (int i = 0; i < 100000; ++i) {
      if (link((links + "/file").c_str(), (links + "/" + std::to_string(i)).c_str()) != 0) return "no link";
    }
    for (int i = 0; i < 32; ++i) {
      const std::string at = crowd + "/folder " + std::to_string(i) + "/links";
      std::filesystem::create_directories(at);
      if (mount(links.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0) return "no bind mount";
    }
    HostObject root = host.MakeFolderItem(crowd);
    HostObject rootRef = RefOf(root);
    HostObject linked = host.MakeFolderItem(links + "/file");
    HostObject fileRef = RefOf(linked);
    FSRefContents madeUp{};
    madeUp.magic = FSREF_MAGIC;
    madeUp.mountID = ContentsOf(rootRef).mountID;
    madeUp.device = ContentsOf(fileRef).device ^ 1;
    madeUp.inode = ContentsOf(fileRef).inode;
    madeUp.kind = FSREF_KIND_ENTRY;
    madeUp.levels = 2;
    HostObject madeUpRef = host.MakeMemoryBlock(std::string_view(reinterpret_cast<const char *>(&madeUp), sizeof madeUp));
    std::string failed;
    const auto start = std::chrono::steady_clock::now();
    if (const std::string found = ItemFromRef(madeUpRef); found != "(nil)") failed += " made up: " + found + ";";
    // 0.1 s where nothing else runs; the bound leaves room for a loaded machine.
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds > 1.0) failed += " made up: " + std::to_string(seconds) + " s;";

    umount((crowd + "/folder 0/links").c_str());  // the table has changed since it was last read
    const size_t reads = platform::MountTableReads();
    if (const std::string found = ItemFromRef(fileRef); found != links + "/file") failed += " file: " + found + ";";
    if (platform::MountTableReads() - reads != 1) {
      failed += " mount table read " + std::to_string(platform::MountTableReads() - reads) + " times;";
    }
    for (HostObject o : {root, rootRef, linked, fileRef, madeUpRef}) host.ReleaseObject(o);
    return failed;
  });
}

}  // namespace
