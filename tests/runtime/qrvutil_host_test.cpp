// The built QRVUtil bundle loaded by the real host: its members bound by declaration and
// called on the host's own strings, blocks and folder items.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/string.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/plugin_host.h"

#ifdef QRVUTIL_DIR
namespace {

using Object = std::unique_ptr<void, void (*)(HostObject)>;
Object Own(HostObject o) { return Object(o, &REALUnlockObject); }
rt::String Adopt(HostString s) { return rt::String::Adopt(static_cast<HostStringRecord *>(s)); }

class QRVUtilThroughTheHost : public ::testing::Test {
 protected:
  void SetUp() override { rt::LoadPluginBundles(QRVUTIL_DIR); }
  void TearDown() override {
    rt::ForgetDeclarations();
    rt::ForgetHostClasses();
  }
  template <class F>
  F Member(const char *declaration) {
    void *entry = rt::RuntimeLookupPluginEntrypoint(declaration);
    EXPECT_NE(entry, nullptr) << declaration;
    return reinterpret_cast<F>(entry);
  }
};

TEST_F(QRVUtilThroughTheHost, BindsTheHotKeySignatureConversion) {
  auto ostype = Member<intptr_t (*)(HostString)>("OSTypeFromStringQRV(str as string) as integer");
  ASSERT_NE(ostype, nullptr);
  EXPECT_EQ(ostype(rt::String("QRVG").Record()), 0x51525647);
  EXPECT_EQ(ostype(rt::String("ab").Record()), 0x61622020);
  EXPECT_EQ(ostype(nullptr), 0x20202020);
  // Through the host's conversion to Mac Roman: one UTF-8 character, one byte of the code.
  EXPECT_EQ(ostype(rt::String("\xc3\xa9t\xc3\xa9").Record()), static_cast<int32_t>(0x8E748E20u));
}

TEST_F(QRVUtilThroughTheHost, HashesTheHostsStringRecords) {
  auto hash = Member<intptr_t (*)(HostString)>("GetHash32QRV(s as string) as integer");
  ASSERT_NE(hash, nullptr);
  EXPECT_EQ(hash(rt::String("abc").Record()), 4915);
  EXPECT_EQ(hash(rt::String("ABC").Record()), 4915);
  EXPECT_EQ(hash(nullptr), 1);
  EXPECT_EQ(hash(rt::String("").Record()), 1);
}

TEST_F(QRVUtilThroughTheHost, MemoryBlocksRoundTripThroughTheHost) {
  auto toBlock = Member<HostObject (*)(HostString)>("StringToMemoryBlockQRV(s as string) as memoryblock");
  auto toString = Member<HostString (*)(HostObject)>("MemoryBlockToStringQRV(s as memoryblock) as string");
  auto toStringWithLength = Member<HostString (*)(HostObject, intptr_t)>(
      "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string");
  auto cloneWithLength = Member<HostObject (*)(HostObject, intptr_t)>(
      "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock");
  auto byReference = Member<HostObject (*)(HostString)>(
      "StringToMemoryBlockByReferenceQRV(s as string) as memoryblock");
  ASSERT_TRUE(toBlock && toString && toStringWithLength && cloneWithLength && byReference);

  Object block = Own(toBlock(rt::String("bytes").Record()));
  ASSERT_TRUE(block);
  EXPECT_EQ(memoryBlockGetSize(block.get()), 5);
  EXPECT_EQ(std::memcmp(memoryBlockGetPtr(block.get()), "bytes", 5), 0);
  rt::String back = Adopt(toString(block.get()));
  EXPECT_EQ(back.Bytes(), "bytes");
  EXPECT_EQ(back.Encoding(), rt::kEncodingNone);
  EXPECT_EQ(Adopt(toStringWithLength(block.get(), 3)).Bytes(), "byt");
  Object clipped = Own(cloneWithLength(block.get(), 1000));
  EXPECT_EQ(memoryBlockGetSize(clipped.get()), 5) << "never more than the block holds";

  Object empty = Own(toBlock(rt::String("").Record()));
  ASSERT_TRUE(empty) << "an empty string still gets a block";
  EXPECT_EQ(memoryBlockGetSize(empty.get()), 0);
  EXPECT_EQ(toString(empty.get()), nullptr);

  rt::String text("view");
  Object view = Own(byReference(text.Record()));
  EXPECT_EQ(memoryBlockGetPtr(view.get()), text.Record()->storage + 1);
  EXPECT_EQ(rt::StringRecordReferences(text.Record()), 1u) << "the view holds no reference";
}

TEST_F(QRVUtilThroughTheHost, StringMemoryBlockFindsTheBytePointerAndSharesTheString) {
  auto make = Member<HostObject (*)(HostString)>("NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  auto storage = Member<HostString (*)(HostObject)>("StringMemoryBlockQRV.StorageString as String.Get");
  ASSERT_TRUE(make && storage);
  rt::String data("shared");
  HostObject block = make(data.Record());
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(memoryBlockGetPtr(block), data.Record()->storage + 1);
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 2u);
  static_cast<char *>(memoryBlockGetPtr(block))[0] = 'S';
  EXPECT_EQ(data.Bytes(), "Shared") << "the block's bytes are the string's";
  rt::String held = Adopt(storage(block));
  EXPECT_EQ(held.Record(), data.Record());
  held = rt::String();
  REALUnlockObject(block);
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 1u);
  EXPECT_EQ(make(nullptr), nullptr);
}

TEST_F(QRVUtilThroughTheHost, ReadsTheHostsReferenceCountWord) {
  auto count = Member<intptr_t (*)(HostObject)>("GetObjectLockCountQRV(o as object) as integer");
  auto address = Member<intptr_t (*)(HostObject)>("object.MemoryAddressQRV as Integer");
  ASSERT_TRUE(count && address);
  Object block = Own(newMemoryBlock(1));
  EXPECT_EQ(count(block.get()), 0) << "held by the caller alone";
  REALLockObject(block.get());
  EXPECT_EQ(count(block.get()), 1);
  REALUnlockObject(block.get());
  EXPECT_EQ(address(block.get()), reinterpret_cast<intptr_t>(block.get()));
}

TEST_F(QRVUtilThroughTheHost, RegistersItsClassesOnTheHostsClasses) {
  for (const char *name :
       {"StdoutQRV", "StdinQRV", "StyleDataQRV", "StyleDataListQRV", "TimeZoneQRV", "StringMemoryBlockQRV"}) {
    EXPECT_NE(rt::FindHostClass(name), nullptr) << name;
  }
  EXPECT_EQ(rt::FindHostClass("StringMemoryBlockQRV")->super, rt::FindHostClass("MemoryBlock"));
  auto newInstance = Member<HostObject (*)(HostString)>("NewInstanceQRV(ClassName as string) as object");
  ASSERT_NE(newInstance, nullptr);
  Object zone = Own(newInstance(rt::String("TimeZoneQRV").Record()));
  ASSERT_TRUE(zone);
  EXPECT_TRUE(rt::IsInstanceOf(static_cast<HostObjectRecord *>(zone.get()), "TimeZoneQRV"));
  EXPECT_EQ(newInstance(rt::String("NoSuchClassQRV").Record()), nullptr);
}

TEST_F(QRVUtilThroughTheHost, LoadingAgainKeepsItsClassesAndTheirDataWhereTheyWere) {
  auto make = Member<HostObject (*)(HostString)>("NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  rt::String data("kept");
  Object before = Own(make(data.Record()));
  rt::LoadPluginBundles(QRVUTIL_DIR);
  make = Member<HostObject (*)(HostString)>("NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  Object after = Own(make(data.Record()));
  ASSERT_TRUE(after);
  EXPECT_EQ(memoryBlockGetPtr(after.get()), data.Record()->storage + 1);
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 3u);
  before.reset();
  after.reset();
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 1u);
}

class QRVUtilFiles : public QRVUtilThroughTheHost {
 protected:
  void SetUp() override {
    QRVUtilThroughTheHost::SetUp();
    char tmpl[] = "/tmp/tovra-qrv-XXXXXX";
    dir = mkdtemp(tmpl);
    file = dir / "na\xc3\xafve.txt";
    std::ofstream(file) << "x";
    item = Own(rt::NewFolderItemObject(rt::FolderItem(file)));
  }
  void TearDown() override {
    item.reset();
    std::filesystem::remove_all(dir);
    QRVUtilThroughTheHost::TearDown();
  }
  static std::filesystem::path PathOf(HostObject object) {
    Object owned = Own(object);
    auto folderItem = rt::FolderItemOfObject(owned.get());
    return folderItem ? folderItem->Path() : std::filesystem::path();
  }
  std::filesystem::path dir, file;
  Object item{nullptr, &REALUnlockObject};
};

TEST_F(QRVUtilFiles, SpecAndRefBlocksLeadBackToTheSameFile) {
  auto specOf = Member<HostObject (*)(HostObject)>("folderitem.FSSpecQRV as memoryblock");
  auto fromSpec = Member<HostObject (*)(HostObject)>("NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem");
  auto refAndName = Member<HostObject (*)(HostObject, HostString *)>(
      "folderitem.FSRefNameQRV(byref name as string) as memoryblock");
  auto fromRef = Member<HostObject (*)(HostObject)>("NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem");
  ASSERT_TRUE(specOf && fromSpec && refAndName && fromRef);

  Object spec = Own(specOf(item.get()));
  ASSERT_TRUE(spec);
  EXPECT_EQ(memoryBlockGetSize(spec.get()), 70);
  EXPECT_EQ(PathOf(fromSpec(spec.get())), file);

  HostString name = nullptr;
  Object ref = Own(refAndName(item.get(), &name));
  rt::String named = Adopt(name);
  ASSERT_TRUE(ref);
  EXPECT_EQ(memoryBlockGetSize(ref.get()), 80);
  EXPECT_EQ(named.Bytes(), "na\xc3\xafve.txt");
  EXPECT_EQ(named.Encoding(), rt::kEncodingUTF8);
  // The bundle reads the reference the host wrote, through the process's one platform library.
  EXPECT_EQ(PathOf(fromRef(ref.get())), file);
}

// The bundle follows the host's reference to a file far below its mount's root.
TEST_F(QRVUtilFiles, DeepFileRefMadeByTheHostLeadsTheBundleBack) {
  auto refOf = Member<HostObject (*)(HostObject)>("folderitem.FSRefQRV as memoryblock");
  auto fromRef = Member<HostObject (*)(HostObject)>("NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem");
  ASSERT_TRUE(refOf && fromRef);
  std::filesystem::path deep = dir;
  for (int level = 0; level < 24; ++level) deep /= "level " + std::to_string(level);
  std::filesystem::create_directories(deep);
  deep /= "deep.txt";
  std::ofstream(deep) << "x";
  Object ref = Own(refOf(Own(rt::NewFolderItemObject(rt::FolderItem(deep))).get()));
  ASSERT_TRUE(ref);
  EXPECT_EQ(PathOf(fromRef(ref.get())), deep);
}

TEST_F(QRVUtilFiles, VolumeFiguresComeFromTheItemsSpec) {
  auto sizeKB = Member<intptr_t (*)(HostObject)>("folderitem.VolumeSizeKBQRV as Integer");
  auto freeBytes = Member<double (*)(HostObject)>("folderitem.VolumeFreeSizeQRV as Double");
  ASSERT_TRUE(sizeKB && freeBytes);
  EXPECT_GT(sizeKB(item.get()), 0);
  EXPECT_GE(freeBytes(item.get()), 0.0);
  EXPECT_EQ(sizeKB(nullptr), -1);
  Object bare = Own(PluginNewInstance("FolderItem"));
  EXPECT_EQ(sizeKB(bare.get()), -1) << "an item without a path has no spec";
}

}  // namespace
#endif
