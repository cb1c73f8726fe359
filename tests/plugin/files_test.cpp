// File and volume queries on folder items, the host's folder items made by this test's copy of
// the platform layer and read by the bundle's own copy, as a runtime and its bundle do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <string>

#include "platform/files.h"
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
  int ready[2];
  int finish[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(finish), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    close(ready[0]);
    close(finish[1]);
    const int fd = open(deep.c_str(), O_WRONLY | O_APPEND);
    char byte = fd >= 0 ? 'y' : 'n';
    (void)!write(ready[1], &byte, 1);
    (void)!read(finish[0], &byte, 1);
    _exit(0);
  }
  char opened = 0;
  ASSERT_EQ(read(ready[0], &opened, 1), 1);
  EXPECT_EQ(opened, 'y');
  EXPECT_TRUE(dataForkBusy(item));
  close(finish[1]);
  waitpid(writer, nullptr, 0);
  for (int fd : {ready[0], ready[1], finish[0]}) close(fd);
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

}  // namespace
