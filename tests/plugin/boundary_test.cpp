// Nothing thrown inside the bundle reaches its host: a host routine that throws (as a C host
// never does, but as anything unexpected would) turns each member into its failure value.
#include <gtest/gtest.h>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;

class Boundary : public fake::PluginTest {
 protected:
  template <typename Signature>
  Signature *FolderItemMethod(const char *declaration) {
    return host.Method<Signature>("folderitem", declaration);
  }
};

TEST_F(Boundary, ThrowingHostRoutinesGiveEachMembersFailureValue) {
  HostObject item = host.MakeFolderItem("/");
  host.ThrowFrom("REALFSSpecFromFolderItem");
  host.ThrowFrom("REALFSRefFromFolderItem");
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("VolumeSizeKBQRV as Integer")(item), -1);
  EXPECT_EQ(FolderItemMethod<double(HostObject)>("VolumeFreeSizeQRV as Double")(item), -1.0);
  EXPECT_EQ(FolderItemMethod<intptr_t(HostObject)>("FlushVolumeQRV as integer")(item), -1);
  EXPECT_FALSE(FolderItemMethod<bool(HostObject)>("IsFileDataForkOpenReadWriteQRV as boolean")(item));
  EXPECT_EQ(FolderItemMethod<HostObject(HostObject)>("FSRefQRV as memoryblock")(item), nullptr);

  HostString text = host.MakeString("text");
  HostObject block = host.MakeMemoryBlock(std::string(80, 'r'));
  host.ThrowFrom("REALBuildString");
  host.ThrowFrom("newMemoryBlock");
  host.ThrowFrom("memoryBlockGetPtr");
  EXPECT_EQ(host.Global<HostString(HostString)>("CloneStringQRV(s as string) as string")(text), nullptr);
  EXPECT_EQ(host.Global<HostObject(HostString)>("StringToMemoryBlockQRV(s as string) as memoryblock")(text), nullptr);
  EXPECT_EQ(host.Global<HostObject(HostObject)>("NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem")(block),
            nullptr);
  EXPECT_EQ(host.Global<HostObject(HostString, HostString)>(
                "DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV")(text, text),
            nullptr);
  host.StopThrowing();

  // A destructor that releases what its instance holds, while the host's release throws.
  HostObject run = host.NewInstance("StyleDataQRV");
  reinterpret_cast<void (*)(HostObject, HostString)>(host.Property("StyleDataQRV", "Text")->setter)(run, text);
  host.ThrowFrom("REALUnlockString");
  host.ReleaseObject(run);
  host.StopThrowing();

  for (HostObject o : {item, block}) host.ReleaseObject(o);
  host.Release(text);
}

TEST(BoundaryEntry, ThrowingRegistrationEndsTheEntryQuietly) {
  fake::Bundle bundle;
  Host host;
  host.ThrowFrom("PluginRegisterClass");
  bundle.Main(Host::Resolver());
  EXPECT_EQ(host.Calls("PluginRegisterClass"), 1);
  EXPECT_TRUE(host.Globals().empty());
}

}  // namespace
