#include "runtime/plugin_host/plugin_host.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/string.h"
#include "runtime/plugin_host/host_callbacks.h"

namespace {

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override { rt::RegisterHostClasses(); }
  void TearDown() override {
    rt::ForgetDeclarations();
    rt::ForgetHostClasses();
  }
};

TEST_F(PluginHost, ResolvesEveryRoutineByItsExactName) {
  for (const char *name :
       {"RegisterPluginVersion", "PluginRegisterMethod", "PluginRegisterClass", "PluginRegisterClassExtension",
        "PluginNewInstance", "REALBuildString", "REALLockObject", "REALUnlockObject", "REALLockString",
        "REALUnlockString", "REALGetStringEncoding", "REALSetStringEncoding", "REALConvertString",
        "REALGetRBVersion", "REALYieldToRB", "REALenterMovies", "FolderItemFromFSSpec",
        "REALFSSpecFromFolderItem", "REALFSRefFromFolderItem", "REALFolderItemFromParentFSRef",
        "newMemoryBlock", "memoryBlockGetPtr", "memoryBlockGetSize", "PtrToMemoryBlock"}) {
    EXPECT_NE(rt::ResolveHostCallback(name), nullptr) << name;
  }
  EXPECT_EQ(rt::ResolveHostCallback("realbuildstring"), nullptr);
  EXPECT_EQ(rt::ResolveHostCallback(nullptr), nullptr);
  EXPECT_GE(REALGetRBVersion(), 2006.04);
}

TEST_F(PluginHost, StringsCarryOneReferenceAndConvert) {
  auto *s = static_cast<HostStringRecord *>(REALBuildString("Caf\xc3\xa9", 5));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->length, 5);
  EXPECT_EQ(s->storage[0], 5);
  EXPECT_EQ(s->storage[6], 0);
  EXPECT_EQ(rt::StringRecordReferences(s), 1u);
  REALSetStringEncoding(s, HOST_ENCODING_UTF8);
  auto *roman = static_cast<HostStringRecord *>(REALConvertString(s, HOST_ENCODING_MAC_ROMAN));
  ASSERT_NE(roman, nullptr);
  EXPECT_EQ(roman->length, 4);
  EXPECT_EQ(roman->storage[4], 0x8e);
  EXPECT_EQ(REALGetStringEncoding(roman), HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(rt::StringRecordReferences(s), 1u) << "conversion leaves the source's count alone";
  REALUnlockString(roman);
  REALUnlockString(s);
  EXPECT_EQ(REALBuildString(nullptr, 3), nullptr);
  EXPECT_EQ(REALBuildString("x", -1), nullptr);
  EXPECT_EQ(REALConvertString(nullptr, HOST_ENCODING_UTF8), nullptr);
  REALSetStringEncoding(nullptr, 0);
  REALUnlockString(nullptr);
}

TEST_F(PluginHost, MemoryBlocksOwnTheirBytesOrPointAtOthers) {
  HostObject block = newMemoryBlock(16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(memoryBlockGetSize(block), 16);
  auto *bytes = static_cast<unsigned char *>(memoryBlockGetPtr(block));
  EXPECT_EQ(bytes[15], 0) << "zero-filled";
  // Bundles look for the byte pointer among an object's first 20 words.
  auto *words = static_cast<void **>(block);
  bool found = false;
  for (int i = 0; i < 20; ++i) found = found || words[i] == bytes;
  EXPECT_TRUE(found);
  char text[] = "abc";
  HostObject view = PtrToMemoryBlock(text);
  EXPECT_EQ(memoryBlockGetPtr(view), text);
  REALUnlockObject(view);
  EXPECT_STREQ(text, "abc");
  HostObject empty = newMemoryBlock(0);
  EXPECT_NE(empty, nullptr);
  EXPECT_NE(memoryBlockGetPtr(empty), nullptr);
  REALUnlockObject(empty);
  REALUnlockObject(block);
  EXPECT_EQ(newMemoryBlock(-1), nullptr);
  EXPECT_EQ(memoryBlockGetPtr(nullptr), nullptr);
  EXPECT_EQ(memoryBlockGetSize(nullptr), 0);
}

TEST_F(PluginHost, FolderItemsRoundTripThroughFileReferences) {
  char tmpl[] = "/tmp/tovra-host-XXXXXX";
  std::filesystem::path dir = mkdtemp(tmpl);
  std::filesystem::path file = dir / "a file.txt";
  FILE *f = std::fopen(file.c_str(), "w");
  std::fclose(f);
  HostObjectRecord *item = rt::NewFolderItemObject(rt::FolderItem(file));
  FSRef ref{};
  HFSUniStr255 name{};
  ASSERT_TRUE(REALFSRefFromFolderItem(item, &ref, &name));
  EXPECT_EQ(name.length, 10);
  FSRef parent{};
  HostObjectRecord *folder = rt::NewFolderItemObject(rt::FolderItem(dir));
  ASSERT_TRUE(REALFSRefFromFolderItem(folder, &parent, nullptr));
  HostObject again = REALFolderItemFromParentFSRef(&parent, &name);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(rt::FolderItemOfObject(again)->Path(), file);
  FSSpec spec{};
  ASSERT_TRUE(REALFSSpecFromFolderItem(&spec, item));
  HostObject fromSpec = FolderItemFromFSSpec(&spec);
  ASSERT_NE(fromSpec, nullptr);
  EXPECT_EQ(rt::FolderItemOfObject(fromSpec)->Path(), file);
  HFSUniStr255 escape{};
  escape.length = 2;
  escape.unicode[0] = '.';
  escape.unicode[1] = '.';
  EXPECT_EQ(REALFolderItemFromParentFSRef(&parent, &escape), nullptr);
  EXPECT_FALSE(REALFSRefFromFolderItem(nullptr, &ref, nullptr));
  for (HostObject o : {static_cast<HostObject>(item), static_cast<HostObject>(folder), again, fromSpec}) REALUnlockObject(o);
  std::filesystem::remove_all(dir);
}

#ifdef QRVUTIL_DIR
class QRVUtilThroughTheHost : public PluginHost {
 protected:
  void SetUp() override { rt::LoadPluginBundles(QRVUTIL_DIR); }
  template <class F>
  F Member(const char *declaration) {
    void *entry = rt::RuntimeLookupPluginEntrypoint(declaration);
    EXPECT_NE(entry, nullptr) << declaration;
    return reinterpret_cast<F>(entry);
  }
};

TEST_F(QRVUtilThroughTheHost, ServesTheHotKeySignatureAndStringFunctions) {
  auto ostype = Member<intptr_t (*)(HostString)>("OSTypeFromStringQRV(str as string) as integer");
  rt::String qrvg("QRVG");
  EXPECT_EQ(ostype(qrvg.Record()), 0x51525647);
  auto hash = Member<intptr_t (*)(HostString)>("GetHash32QRV(s as string) as integer");
  EXPECT_EQ(hash(rt::String("ABC").Record()), 4915);
  auto toBlock = Member<HostObject (*)(HostString)>("StringToMemoryBlockQRV(s as string) as memoryblock");
  auto toString = Member<HostString (*)(HostObject)>("MemoryBlockToStringQRV(s as memoryblock) as string");
  HostObject block = toBlock(rt::String("bytes").Record());
  rt::String back = rt::String::Adopt(static_cast<HostStringRecord *>(toString(block)));
  EXPECT_EQ(back.Bytes(), "bytes");
  EXPECT_EQ(back.Encoding(), rt::kEncodingNone);
  REALUnlockObject(block);
}

TEST_F(QRVUtilThroughTheHost, StringMemoryBlockSharesTheStringsBytes) {
  auto make = Member<HostObject (*)(HostString)>(
      "NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  rt::String data("shared");
  HostObject block = make(data.Record());
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(memoryBlockGetPtr(block), data.Record()->storage + 1);
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 2u);
  REALUnlockObject(block);
  EXPECT_EQ(rt::StringRecordReferences(data.Record()), 1u);
}

TEST_F(QRVUtilThroughTheHost, RegistersItsClassesAndExtensions) {
  for (const char *name : {"StdoutQRV", "StdinQRV", "StyleDataQRV", "StyleDataListQRV", "TimeZoneQRV",
                           "StringMemoryBlockQRV"}) {
    EXPECT_NE(rt::FindHostClass(name), nullptr) << name;
  }
  EXPECT_NE(rt::RuntimeLookupPluginEntrypoint("object.ReferenceCountQRV as Integer"), nullptr);
  EXPECT_NE(rt::RuntimeLookupPluginEntrypoint("folderitem.FSRefQRV as memoryblock"), nullptr);
  HostObjectRecord *zone = rt::NewHostInstance("TimeZoneQRV");
  ASSERT_NE(zone, nullptr);
  REALUnlockObject(zone);
}
#endif

}  // namespace
