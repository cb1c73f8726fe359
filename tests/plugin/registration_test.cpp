// What a host receives when it loads QRVUtil, across the host versions that change the records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;
using fake::LoadedPlugin;

// The host binds members by these exact texts, so each is spelled out here once more.
const std::vector<std::string> kGlobalDeclarations = {
    "DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV",
    "DecompileWinStyleDataQRV(text as string, styles as string) as StyleDataListQRV",
    "GetHash32QRV(s as string) as integer",
    "NewInstanceQRV(ClassName as string) as object",
    "GetEncodingOfStringQRV(s as string) as integer",
    "SetEncodingOfStringQRV(s as string, encoding as integer)",
    "StringFromOSTypeQRV(int as integer) as string",
    "OSTypeFromStringQRV(str as string) as integer",
    "StringToMemoryBlockQRV(s as string) as memoryblock",
    "StringToMemoryBlockByReferenceQRV(s as string) as memoryblock",
    "MemoryBlockToStringQRV(s as memoryblock) as string",
    "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string",
    "CloneStringQRV(s as string) as string",
    "CloneMemoryBlockQRV(s as memoryblock) as memoryblock",
    "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock",
    "ReturnErrPtrQRV as Integer",
    "ReturnOutPtrQRV as Integer",
    "ReturnInPtrQRV as Integer",
    "BitwiseXORStringBytesQRV(s as string, v as integer) as string",
    "DelayQRV(time as double)",
    "DelayQRV(time as double, mode as integer)",
    "SetSoundVolumeQRV(percent as double)",
    "GetSoundVolumeQRV as double",
    "SetSoundVolumeLeftQRV(percent as double)",
    "GetSoundVolumeLeftQRV as double",
    "SetSoundVolumeRightQRV(percent as double)",
    "GetSoundVolumeRightQRV as double",
    "SetSoundMuteQRV(mute as boolean)",
    "GetSoundMuteQRV as boolean",
    "ShowCursorQRV",
    "HideCursorQRV",
    "ObscureCursorQRV",
    "FlashMenuBarQRV",
    "GetDoubleClickIntervalQRV as integer",
    "NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem",
    "NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem",
    "NewFolderItemFSRefNameQRV(fsref as memoryblock,name as string) as FolderItem",
    "GetObjectMemoryAddressQRV(o as object) as integer",
    "GetStringMemoryAddressQRV(s as string) as integer",
    "GetObjectLockCountQRV(o as object) as integer",
    "GetStringLockCountQRV(s as string) as integer",
    "NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV",
};

const std::vector<std::string> kClassOrder = {
    "class StdoutQRV",        "class StdinQRV",          "class StyleDataQRV",
    "class StyleDataListQRV", "class TimeZoneQRV",       "extension folderitem",
    "extension object",       "class StringMemoryBlockQRV"};

const std::vector<std::string> kFolderItemMethods = {
    "VolumeSizeKBQRV as Integer",
    "VolumeSizeQRV as Double",
    "VolumeFreeSizeKBQRV as Integer",
    "VolumeFreeSizeQRV as Double",
    "FSSpecQRV as memoryblock",
    "FSRefQRV as memoryblock",
    "FSRefNameQRV(byref name as string) as memoryblock",
    "FlushVolumeQRV as integer",
    "IsFileDataForkOpenReadWriteQRV as boolean",
    "IsFileResourceForkOpenReadWriteQRV as boolean"};

std::vector<std::string> Declarations(const std::vector<fake::RegisteredMethod> &methods) {
  std::vector<std::string> out;
  for (const auto &method : methods) {
    out.push_back(method.declaration);
  }
  return out;
}

size_t Scaled(size_t classicBytes) { return classicBytes * sizeof(void *) / 4; }

TEST(Registration, AnnouncesInterfaceNineThenRegistersEverythingInOrder) {
  LoadedPlugin plugin;
  EXPECT_EQ(plugin.host.announcedInterface, 9);
  ASSERT_FALSE(plugin.host.CallLog().empty());
  EXPECT_EQ(plugin.host.CallLog().front(), "RegisterPluginVersion");

  std::vector<std::string> expected = {"enterMovies"};
  expected.insert(expected.end(), kClassOrder.begin(), kClassOrder.end());
  for (const std::string &declaration : kGlobalDeclarations) {
    expected.push_back("global " + declaration);
  }
  EXPECT_EQ(plugin.host.RegistrationLog(), expected);
  for (const auto &global : plugin.host.Globals()) {
    EXPECT_EQ(global.flags, 0u) << global.declaration;
    EXPECT_EQ(global.setter, nullptr) << global.declaration;
  }
}

TEST(Registration, ClassRecordsCarryTheirMembersAndLayout) {
  LoadedPlugin plugin;
  const Host &host = plugin.host;

  const auto *folderItem = host.FindClass("folderitem");
  ASSERT_NE(folderItem, nullptr);
  EXPECT_TRUE(folderItem->extension);
  EXPECT_EQ(folderItem->flags, 4u);
  EXPECT_EQ(Declarations(folderItem->methods), kFolderItemMethods);
  for (const auto &method : folderItem->methods) {
    EXPECT_EQ(method.flags, 4u) << method.declaration;
  }

  const auto *object = host.FindClass("object");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(Declarations(object->methods),
            (std::vector<std::string>{"ReferenceCountQRV as Integer", "MemoryAddressQRV as Integer"}));
  EXPECT_EQ(object->flags, 0u);

  const auto *block = host.FindClass("StringMemoryBlockQRV");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->superName, "MemoryBlock");
  EXPECT_EQ(block->record->dataSize, Scaled(4));
  EXPECT_NE(block->record->destructor, nullptr);
  const PluginPropertyRecord *storage = host.Property("StringMemoryBlockQRV", "StorageString");
  ASSERT_NE(storage, nullptr);
  EXPECT_STREQ(storage->type, "String");
  EXPECT_NE(storage->getter, PLUGIN_DIRECT_ACCESS);
  EXPECT_EQ(storage->setter, nullptr);

  const auto *zone = host.FindClass("TimeZoneQRV");
  ASSERT_NE(zone, nullptr);
  EXPECT_NE(zone->record->constructor, nullptr);
  EXPECT_EQ(zone->record->destructor, nullptr);
  EXPECT_EQ(zone->record->dataSize, Scaled(32));
  ASSERT_EQ(zone->properties.size(), 6u);
  EXPECT_STREQ(zone->properties[0].name, "GmtDeltaTotalseconds");
  EXPECT_EQ(zone->properties[0].getter, PLUGIN_DIRECT_ACCESS);
  EXPECT_EQ(zone->properties[0].setter, nullptr);
  EXPECT_STREQ(zone->properties[5].name, "Longitude");
  EXPECT_STREQ(zone->properties[5].type, "Double");
  EXPECT_EQ(zone->properties[5].param, Scaled(24));

  const auto *run = host.FindClass("StyleDataQRV");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->record->dataSize, Scaled(84));
  ASSERT_EQ(run->properties.size(), 21u);
  EXPECT_STREQ(run->properties[0].name, "FontAvailable");
  EXPECT_EQ(run->properties[0].param, Scaled(64));
  EXPECT_STREQ(run->properties[20].name, "TextLength");
  EXPECT_EQ(run->properties[20].setter, nullptr);
  const PluginPropertyRecord *color = host.Property("StyleDataQRV", "TextColor");
  ASSERT_NE(color, nullptr);
  EXPECT_STREQ(color->type, "Color");
  EXPECT_EQ(color->getter, PLUGIN_DIRECT_ACCESS);
  EXPECT_NE(color->setter, PLUGIN_DIRECT_ACCESS);
  EXPECT_NE(color->setter, nullptr);

  const auto *list = host.FindClass("StyleDataListQRV");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Declarations(list->methods),
            (std::vector<std::string>{"Style(index as integer) as StyleDataQRV"}));
  EXPECT_EQ(Declarations(host.FindClass("StdinQRV")->methods),
            (std::vector<std::string>{"Read(count as integer) as string"}));
  EXPECT_EQ(Declarations(host.FindClass("StdoutQRV")->methods),
            (std::vector<std::string>{"Write(data as string)"}));
}

TEST(Registration, SharedHandlersServeTheirDeclarations) {
  LoadedPlugin plugin;
  const Host &host = plugin.host;
  void *address = host.GlobalHandler("GetObjectMemoryAddressQRV(o as object) as integer");
  EXPECT_EQ(host.GlobalHandler("GetStringMemoryAddressQRV(s as string) as integer"), address);
  EXPECT_EQ(host.MethodHandler("object", "MemoryAddressQRV as Integer"), address);
  void *count = host.GlobalHandler("GetObjectLockCountQRV(o as object) as integer");
  EXPECT_EQ(host.GlobalHandler("GetStringLockCountQRV(s as string) as integer"), count);
  EXPECT_EQ(host.MethodHandler("object", "ReferenceCountQRV as Integer"), count);
  EXPECT_NE(address, count);
}

TEST(Registration, OldHostGetsThreeWordMethodRecordsWithTheSameDeclarations) {
  LoadedPlugin current(5.9);
  LoadedPlugin old(5.8);
  EXPECT_EQ(old.host.RegistrationLog(), current.host.RegistrationLog());
  ASSERT_EQ(old.host.Classes().size(), current.host.Classes().size());
  for (size_t i = 0; i < old.host.Classes().size(); ++i) {
    const auto &oldClass = old.host.Classes()[i];
    const auto &currentClass = current.host.Classes()[i];
    EXPECT_TRUE(oldClass.oldMethodForm);
    EXPECT_FALSE(currentClass.oldMethodForm);
    EXPECT_EQ(Declarations(oldClass.methods), Declarations(currentClass.methods)) << oldClass.name;
    for (size_t m = 0; m < oldClass.methods.size(); ++m) {
      EXPECT_NE(oldClass.methods[m].function, nullptr);
    }
  }
  // The 5.9 host reads the four-word records as built, flags included.
  EXPECT_EQ(current.host.FindClass("folderitem")->methods[0].flags, 4u);
}

TEST(Registration, HostWithoutVersionGetsOldRecordsAndACachedZero) {
  LoadedPlugin plugin(std::nullopt);
  for (const auto &registered : plugin.host.Classes()) {
    EXPECT_TRUE(registered.oldMethodForm) << registered.name;
  }
  // A cached 0.0 makes the count handler read word 0 of a record, even once the host can answer.
  plugin.host.SetVersion(fake::kCurrentHost);
  auto count = plugin.host.Global<intptr_t(void *)>("GetStringLockCountQRV(s as string) as integer");
  HostString text = plugin.host.MakeString("abcdef");
  EXPECT_EQ(count(text), 0);  // word 0 of the string record is its one reference
  plugin.host.Release(text);
}

TEST(Registration, HostVersionIsAskedOnceForHandlers) {
  LoadedPlugin plugin;
  const int asked = plugin.host.Calls("REALGetRBVersion");
  auto count = plugin.host.Global<intptr_t(void *)>("GetObjectLockCountQRV(o as object) as integer");
  HostObject block = plugin.host.MakeMemoryBlock("xy");
  EXPECT_EQ(count(block), 0);
  EXPECT_EQ(count(block), 0);
  EXPECT_EQ(plugin.host.Calls("REALGetRBVersion"), asked);
  plugin.host.ReleaseObject(block);
}

TEST(Registration, MissingRegisterMethodLeavesGlobalsOutAndClassesIn) {
  fake::Bundle bundle;
  Host host;
  host.Remove("PluginRegisterMethod");
  bundle.Main(Host::Resolver());
  EXPECT_TRUE(host.Globals().empty());
  std::vector<std::string> expected = {"enterMovies"};
  expected.insert(expected.end(), kClassOrder.begin(), kClassOrder.end());
  EXPECT_EQ(host.RegistrationLog(), expected);
  // Asked again for every global, since it was missing each time.
  EXPECT_EQ(host.Lookups("PluginRegisterMethod"), 42);
}

TEST(Registration, MissingClassRegistrationLeavesOnlyThoseOut) {
  fake::Bundle bundle;
  Host host;
  host.Remove("PluginRegisterClass");
  bundle.Main(Host::Resolver());
  EXPECT_EQ(host.FindClass("StdoutQRV"), nullptr);
  EXPECT_NE(host.FindClass("folderitem"), nullptr);
  EXPECT_EQ(host.Globals().size(), 42u);
}

TEST(Registration, MissingCallbackIsAskedAgainAtItsNextUse) {
  LoadedPlugin plugin;
  Host &host = plugin.host;
  auto fromCode = host.Global<HostString(intptr_t)>("StringFromOSTypeQRV(int as integer) as string");
  host.Remove("REALBuildString");
  const int before = host.Lookups("REALBuildString");
  EXPECT_EQ(fromCode(0x54455854), nullptr);
  EXPECT_EQ(fromCode(0x54455854), nullptr);
  EXPECT_EQ(host.Lookups("REALBuildString"), before + 2);

  host.Restore("REALBuildString");
  HostString first = fromCode(0x54455854);
  HostString second = fromCode(0x54455854);
  EXPECT_EQ(Host::Text(first), "TEXT");
  EXPECT_EQ(host.Lookups("REALBuildString"), before + 3);  // found once, then kept
  host.Release(first);
  host.Release(second);
}

TEST(Registration, HostWithoutRegisterPluginVersionGetsNothing) {
  fake::Bundle bundle;
  Host host;
  host.Remove("RegisterPluginVersion");
  bundle.Main(Host::Resolver());
  EXPECT_TRUE(host.RegistrationLog().empty());
}

TEST(Registration, EnteringAgainOnAnOldHostHandsOverTheSameRecords) {
  fake::Bundle bundle;
  std::vector<std::vector<std::string>> declarations;
  for (int entry = 0; entry < 2; ++entry) {
    Host host(5.8);
    bundle.Main(Host::Resolver());
    declarations.push_back(Declarations(host.FindClass("folderitem")->methods));
  }
  EXPECT_EQ(declarations[0], kFolderItemMethods);
  EXPECT_EQ(declarations[1], kFolderItemMethods);
}

}  // namespace
