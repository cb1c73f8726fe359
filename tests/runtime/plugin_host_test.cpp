// The runtime's plug-in host: its routines called as a bundle calls them, with the records a
// bundle hands over, and bundles loaded from a folder.
#include "runtime/plugin_host/plugin_host.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/string.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "tests/plugin/file_fixtures.h"

namespace {

using Object = std::unique_ptr<void, void (*)(HostObject)>;
using Str = std::unique_ptr<void, void (*)(HostString)>;
Object Own(HostObject o) { return Object(o, &REALUnlockObject); }
Str Own(HostStringRecord *s) { return Str(s, &REALUnlockString); }
HostStringRecord *Rec(HostString s) { return static_cast<HostStringRecord *>(s); }
std::string_view Text(HostString s) {
  return {reinterpret_cast<const char *>(Rec(s)->storage + 1), static_cast<size_t>(Rec(s)->length)};
}
HostWord Word(HostObject o, size_t i) { return static_cast<const HostWord *>(o)[i]; }

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override { rt::RegisterHostClasses(); }
  void TearDown() override {
    rt::ForgetDeclarations();
    rt::ForgetHostClasses();
  }
};

// --- Resolver ---------------------------------------------------------------------------

TEST_F(PluginHost, ResolverGivesEachRoutineUnderItsExactName) {
  const std::pair<const char *, void *> routines[] = {
      {"RegisterPluginVersion", reinterpret_cast<void *>(&RegisterPluginVersion)},
      {"PluginRegisterMethod", reinterpret_cast<void *>(&PluginRegisterMethod)},
      {"PluginRegisterClass", reinterpret_cast<void *>(&PluginRegisterClass)},
      {"PluginRegisterClassExtension", reinterpret_cast<void *>(&PluginRegisterClassExtension)},
      {"PluginNewInstance", reinterpret_cast<void *>(&PluginNewInstance)},
      {"REALBuildString", reinterpret_cast<void *>(&REALBuildString)},
      {"REALLockObject", reinterpret_cast<void *>(&REALLockObject)},
      {"REALUnlockObject", reinterpret_cast<void *>(&REALUnlockObject)},
      {"REALLockString", reinterpret_cast<void *>(&REALLockString)},
      {"REALUnlockString", reinterpret_cast<void *>(&REALUnlockString)},
      {"REALGetStringEncoding", reinterpret_cast<void *>(&REALGetStringEncoding)},
      {"REALSetStringEncoding", reinterpret_cast<void *>(&REALSetStringEncoding)},
      {"REALConvertString", reinterpret_cast<void *>(&REALConvertString)},
      {"REALGetRBVersion", reinterpret_cast<void *>(&REALGetRBVersion)},
      {"REALYieldToRB", reinterpret_cast<void *>(&REALYieldToRB)},
      {"REALenterMovies", reinterpret_cast<void *>(&REALenterMovies)},
      {"FolderItemFromFSSpec", reinterpret_cast<void *>(&FolderItemFromFSSpec)},
      {"REALFSSpecFromFolderItem", reinterpret_cast<void *>(&REALFSSpecFromFolderItem)},
      {"REALFSRefFromFolderItem", reinterpret_cast<void *>(&REALFSRefFromFolderItem)},
      {"REALFolderItemFromParentFSRef", reinterpret_cast<void *>(&REALFolderItemFromParentFSRef)},
      {"newMemoryBlock", reinterpret_cast<void *>(&newMemoryBlock)},
      {"memoryBlockGetPtr", reinterpret_cast<void *>(&memoryBlockGetPtr)},
      {"memoryBlockGetSize", reinterpret_cast<void *>(&memoryBlockGetSize)},
      {"PtrToMemoryBlock", reinterpret_cast<void *>(&PtrToMemoryBlock)},
  };
  for (const auto &[name, routine] : routines) EXPECT_EQ(rt::ResolveHostCallback(name), routine) << name;
  for (const char *unknown : {"realbuildstring", "REALBuildString ", "", "REALGetFrontWindow"}) {
    EXPECT_EQ(rt::ResolveHostCallback(unknown), nullptr) << unknown;
  }
  EXPECT_EQ(rt::ResolveHostCallback(nullptr), nullptr);
  // Bundles then hand over four-word method records and keep shared methods in the class.
  EXPECT_GE(REALGetRBVersion(), 2006.04);
}

// --- Strings ----------------------------------------------------------------------------

TEST_F(PluginHost, BuiltStringHasLengthByteTextAndNulAndNoEncoding) {
  Str s = Own(Rec(REALBuildString("hello", 5)));
  ASSERT_TRUE(s);
  EXPECT_EQ(Rec(s.get())->length, 5);
  EXPECT_EQ(Rec(s.get())->storage[0], 5);
  EXPECT_EQ(Text(s.get()), "hello");
  EXPECT_EQ(Rec(s.get())->storage[6], 0);
  EXPECT_EQ(REALGetStringEncoding(s.get()), HOST_ENCODING_NONE);
  EXPECT_EQ(rt::StringRecordReferences(Rec(s.get())), 1u);

  std::string longText(300, 'x');
  Str longer = Own(Rec(REALBuildString(longText.data(), 300)));
  EXPECT_EQ(Rec(longer.get())->length, 300);
  EXPECT_EQ(Rec(longer.get())->storage[0], 255) << "the length byte says at most 255";
  EXPECT_EQ(Rec(longer.get())->storage[301], 0);

  Str empty = Own(Rec(REALBuildString("", 0)));
  ASSERT_TRUE(empty);
  EXPECT_EQ(Rec(empty.get())->length, 0);
  EXPECT_EQ(Rec(empty.get())->storage[1], 0);

  EXPECT_EQ(REALBuildString(nullptr, 3), nullptr);
  EXPECT_EQ(REALBuildString("x", -1), nullptr);
  EXPECT_EQ(REALBuildString("x", INT32_MIN), nullptr);
}

TEST_F(PluginHost, ReferencesAndEncodingBelongToTheVeryRecord) {
  Str s = Own(Rec(REALBuildString("abc", 3)));
  REALLockString(s.get());
  EXPECT_EQ(rt::StringRecordReferences(Rec(s.get())), 2u);
  REALUnlockString(s.get());
  EXPECT_EQ(rt::StringRecordReferences(Rec(s.get())), 1u);
  REALSetStringEncoding(s.get(), HOST_ENCODING_ASCII);
  EXPECT_EQ(REALGetStringEncoding(s.get()), HOST_ENCODING_ASCII);
  EXPECT_EQ(Rec(s.get())->encoding, HOST_ENCODING_ASCII);

  REALLockString(nullptr);
  REALUnlockString(nullptr);
  REALSetStringEncoding(nullptr, HOST_ENCODING_UTF8);
  EXPECT_EQ(REALGetStringEncoding(nullptr), HOST_ENCODING_NONE) << "the empty string has none";
}

TEST_F(PluginHost, ConversionMakesANewStringAndLeavesTheSourceAlone) {
  Str utf8 = Own(Rec(REALBuildString("Caf\xc3\xa9", 5)));
  REALSetStringEncoding(utf8.get(), HOST_ENCODING_UTF8);
  Str roman = Own(Rec(REALConvertString(utf8.get(), HOST_ENCODING_MAC_ROMAN)));
  ASSERT_TRUE(roman);
  EXPECT_EQ(Text(roman.get()), "Caf\x8e");
  EXPECT_EQ(REALGetStringEncoding(roman.get()), HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(rt::StringRecordReferences(Rec(roman.get())), 1u);
  EXPECT_EQ(rt::StringRecordReferences(Rec(utf8.get())), 1u);
  EXPECT_EQ(REALGetStringEncoding(utf8.get()), HOST_ENCODING_UTF8);

  // Even into its own encoding: the bundle may relabel what it got without touching the source.
  Str same = Own(Rec(REALConvertString(utf8.get(), HOST_ENCODING_UTF8)));
  ASSERT_TRUE(same);
  EXPECT_NE(same.get(), utf8.get());

  // UTF-16 in the machine's order and without a byte order mark, as HFSUniStr255 holds it.
  Str utf16 = Own(Rec(REALConvertString(utf8.get(), HOST_ENCODING_UTF16)));
  ASSERT_TRUE(utf16);
  const char16_t expected[] = u"Caf\u00e9";
  ASSERT_EQ(Rec(utf16.get())->length, 8);
  EXPECT_EQ(std::memcmp(Rec(utf16.get())->storage + 1, expected, 8), 0);

  Str raw = Own(Rec(REALBuildString("\xff", 1)));
  Str relabelled = Own(Rec(REALConvertString(raw.get(), HOST_ENCODING_UTF8)));
  ASSERT_TRUE(relabelled) << "bytes without an encoding are only relabelled";
  EXPECT_EQ(Text(relabelled.get()), "\xff");
}

TEST_F(PluginHost, ConversionThatCannotBeDoneGivesNil) {
  Str invalid = Own(Rec(REALBuildString("\xff", 1)));
  REALSetStringEncoding(invalid.get(), HOST_ENCODING_UTF8);
  EXPECT_EQ(REALConvertString(invalid.get(), HOST_ENCODING_UTF16), nullptr);
  Str accented = Own(Rec(REALBuildString("\xc3\xa9", 2)));
  REALSetStringEncoding(accented.get(), HOST_ENCODING_UTF8);
  EXPECT_EQ(REALConvertString(accented.get(), HOST_ENCODING_ASCII), nullptr);
  EXPECT_EQ(REALConvertString(accented.get(), 0x1234), nullptr) << "an encoding the host cannot write";
  REALSetStringEncoding(accented.get(), 0x1234);
  EXPECT_EQ(REALConvertString(accented.get(), HOST_ENCODING_UTF8), nullptr) << "one it cannot read";
  EXPECT_EQ(REALConvertString(nullptr, HOST_ENCODING_UTF8), nullptr);
}

// --- Registration, instances and properties ---------------------------------------------

std::vector<std::string> gLog;
void BaseInit(HostObject) { gLog.push_back("base init"); }
void BaseExit(HostObject) { gLog.push_back("base exit"); }
void SubInit(HostObject) { gLog.push_back("sub init"); }
void SubExit(HostObject) { gLog.push_back("sub exit"); }
intptr_t BaseMethod(HostObject, intptr_t x) { return x; }
intptr_t Make() { return 0; }

// A shape's data: width (one word) at 0, visible (a Boolean) at one word.
PluginClassRecord gBase;
intptr_t &Width(HostObject o) {
  return *reinterpret_cast<intptr_t *>(static_cast<unsigned char *>(o) + gBase.dataOffset);
}
intptr_t AreaGet(HostObject o) { return Width(o) * 10; }
void AreaSet(HostObject o, intptr_t v) { Width(o) = v / 10; }
intptr_t FixedGet(HostObject) { return 42; }

void *const kDirect = PLUGIN_DIRECT_ACCESS;
PluginPropertyRecord gBaseProperties[] = {
    {nullptr, "Width", "Integer", 0, kDirect, kDirect, 0, nullptr, 0, nullptr},
    {nullptr, "Visible", "Boolean", 0, kDirect, kDirect, sizeof(void *), nullptr, 0, nullptr},
    {nullptr, "Area", "Integer", 0, reinterpret_cast<void *>(&AreaGet), reinterpret_cast<void *>(&AreaSet), 0,
     nullptr, 0, nullptr},
    {nullptr, "Fixed", "Integer", 0, reinterpret_cast<void *>(&FixedGet), nullptr, 0, nullptr, 0, nullptr},
};
PluginMethodRecord gBaseMethods[] = {
    {reinterpret_cast<void *>(&BaseMethod), nullptr, "Echo(x as integer) as integer", 0}};
PluginMethodRecord gBaseShared[] = {{reinterpret_cast<void *>(&Make), nullptr, "Make() as Shape", 0}};

PluginClassRecord BaseRecord() {
  return {.version = 9, .name = "Shape", .dataSize = 2 * sizeof(void *),
          .constructor = reinterpret_cast<void *>(&BaseInit), .destructor = reinterpret_cast<void *>(&BaseExit),
          .properties = gBaseProperties, .propertyCount = 4, .methods = gBaseMethods, .methodCount = 1,
          .sharedMethods = gBaseShared, .sharedMethodCount = 1};
}
PluginClassRecord SubRecord() {
  return {.version = 9, .name = "Square", .superName = "Shape", .dataSize = 3,
          .constructor = reinterpret_cast<void *>(&SubInit), .destructor = reinterpret_cast<void *>(&SubExit)};
}

class Registration : public PluginHost {
 protected:
  void SetUp() override {
    PluginHost::SetUp();
    gLog.clear();
    gBase = BaseRecord();
    sub = SubRecord();
  }
  bool Bound(const std::string &declaration) { return rt::RuntimeLookupPluginEntrypoint(declaration) != nullptr; }
  PluginClassRecord sub;
};

TEST_F(Registration, MethodRecordsOfBothFormsBindTheirDeclaration) {
  PluginMethodRecord current = {reinterpret_cast<void *>(&Make), nullptr, "Now() as integer", 0};
  PluginRegisterMethod(&current);
  EXPECT_EQ(rt::RuntimeLookupPluginEntrypoint("Now() as integer"), reinterpret_cast<void *>(&Make));
  // Exactly three words on the heap: reading a fourth would be caught.
  auto old = std::make_unique<PluginMethodRecordOld>(
      PluginMethodRecordOld{reinterpret_cast<void *>(&Make), nullptr, "Then() as integer"});
  PluginRegisterMethod(reinterpret_cast<PluginMethodRecord *>(old.get()));
  EXPECT_TRUE(Bound("Then() as integer"));

  PluginMethodRecord noFunction = {nullptr, nullptr, "Nothing()", 0};
  PluginMethodRecord noDeclaration = {reinterpret_cast<void *>(&Make), nullptr, nullptr, 0};
  PluginRegisterMethod(&noFunction);
  PluginRegisterMethod(&noDeclaration);
  PluginRegisterMethod(nullptr);
  EXPECT_FALSE(Bound("Nothing()"));
}

TEST_F(Registration, ClassLearnsItsDataOffsetAndBindsItsMembers) {
  PluginRegisterClass(&gBase);
  PluginRegisterClass(&sub);
  EXPECT_EQ(gBase.dataOffset, sizeof(HostObjectRecord));
  EXPECT_EQ(sub.dataOffset, gBase.dataOffset + gBase.dataSize) << "after the superclass's data";
  for (const char *declaration :
       {"Shape.__init", "Shape.__exit", "Shape.Echo(x as integer) as integer", "Shape.Make() as Shape",
        "Shape.Area as Integer.Get", "Shape.Area as Integer.Set", "Shape.Fixed as Integer.Get", "Square.__init"}) {
    EXPECT_TRUE(Bound(declaration)) << declaration;
  }
  EXPECT_FALSE(Bound("Shape.Fixed as Integer.Set")) << "read-only";
  EXPECT_FALSE(Bound("Shape.Width as Integer.Get")) << "read in place, no accessor to bind";

  PluginClassRecord extension = {.version = 9, .name = "object", .methods = gBaseMethods, .methodCount = 1};
  PluginRegisterClassExtension(&extension);
  EXPECT_TRUE(Bound("object.Echo(x as integer) as integer"));
  PluginRegisterClassExtension(nullptr);
  PluginRegisterClass(nullptr);
}

TEST_F(Registration, RecordsTheHostCannotTrustAreRefused) {
  auto refused = [](PluginClassRecord record, const char *why) {
    PluginRegisterClass(&record);
    EXPECT_EQ(record.dataOffset, 0u) << why;
    if (record.name) {
      EXPECT_EQ(rt::FindHostClass(record.name), nullptr) << why;
    }
  };
  PluginPropertyRecord outside[] = {{nullptr, "W", "Integer", 0, kDirect, kDirect, 2 * sizeof(void *) - 1,
                                     nullptr, 0, nullptr}};
  PluginPropertyRecord untyped[] = {{nullptr, "W", nullptr, 0, kDirect, kDirect, 0, nullptr, 0, nullptr}};
  PluginClassRecord r = BaseRecord();
  r.properties = outside;
  r.propertyCount = 1;
  refused(r, "a property read in place past the instance data");
  r.properties = untyped;
  refused(r, "a property without a type");
  r = BaseRecord();
  r.dataSize = ~HostWord{0};
  refused(r, "instance data of every byte there is");
  r = BaseRecord();
  r.methodCount = ~HostWord{0};
  refused(r, "a method count no array holds");
  refused(SubRecord(), "an unknown superclass");
  r = BaseRecord();
  r.name = "";
  refused(r, "no name");
  r.name = nullptr;
  refused(r, "no name");
}

TEST_F(Registration, AClassNameIsNeverTakenOverButTheSameClassMayComeAgain) {
  PluginClassRecord impostor = {.version = 9, .name = "MemoryBlock", .dataSize = 1,
                                .destructor = reinterpret_cast<void *>(&BaseExit)};
  PluginRegisterClass(&impostor);
  EXPECT_EQ(impostor.dataOffset, 0u);
  Object block = Own(newMemoryBlock(4));
  EXPECT_NE(memoryBlockGetPtr(block.get()), nullptr);
  block.reset();
  EXPECT_TRUE(gLog.empty()) << "the host's own class still destroys its blocks";

  PluginRegisterClass(&gBase);
  const rt::HostClass *first = rt::FindHostClass("Shape");
  Object live = Own(PluginNewInstance("Shape"));
  rt::ForgetDeclarations();
  // A bundle whose entry runs again resets its records and hands them over once more.
  PluginClassRecord again = BaseRecord();
  PluginRegisterClass(&again);
  EXPECT_EQ(rt::FindHostClass("Shape"), first) << "live objects keep their class";
  EXPECT_EQ(again.dataOffset, gBase.dataOffset);
  EXPECT_TRUE(Bound("Shape.Echo(x as integer) as integer"));
  EXPECT_TRUE(Bound("Shape.__exit"));
  EXPECT_TRUE(Bound("Shape.Make() as Shape"));
}

TEST_F(Registration, NewInstanceConstructsFromTheRootAndDestroysFromTheLeaf) {
  PluginRegisterClass(&gBase);
  PluginRegisterClass(&sub);
  HostObject square = PluginNewInstance("Square");
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(gLog, (std::vector<std::string>{"base init", "sub init"}));
  EXPECT_EQ(Word(square, 3), 1u) << "one reference, in the header's count word";
  EXPECT_EQ(Width(square), 0) << "instance data starts zeroed";
  REALLockObject(square);
  REALUnlockObject(square);
  EXPECT_EQ(gLog.size(), 2u);
  REALUnlockObject(square);
  EXPECT_EQ(gLog, (std::vector<std::string>{"base init", "sub init", "sub exit", "base exit"}));

  EXPECT_EQ(PluginNewInstance(nullptr), nullptr);
  EXPECT_EQ(PluginNewInstance(""), nullptr);
  EXPECT_EQ(PluginNewInstance("Circle"), nullptr);
  REALLockObject(nullptr);
  REALUnlockObject(nullptr);
}

TEST_F(Registration, PropertiesAreReadInPlaceOrThroughTheirAccessors) {
  PluginRegisterClass(&gBase);
  Object shape = Own(PluginNewInstance("Shape"));
  auto *data = static_cast<unsigned char *>(shape.get()) + gBase.dataOffset;
  intptr_t value = 0;
  ASSERT_TRUE(rt::SetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Width", 7));
  EXPECT_EQ(Width(shape.get()), 7);
  ASSERT_TRUE(rt::GetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Area", value));
  EXPECT_EQ(value, 70);
  ASSERT_TRUE(rt::SetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Area", 30));
  EXPECT_EQ(Width(shape.get()), 3);
  ASSERT_TRUE(rt::SetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Visible", 5));
  EXPECT_EQ(data[sizeof(void *)], 1) << "a Boolean is the first byte of its slot";
  ASSERT_TRUE(rt::GetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Fixed", value));
  EXPECT_EQ(value, 42);
  EXPECT_FALSE(rt::SetIntegerProperty(static_cast<HostObjectRecord *>(shape.get()), "Fixed", 1));
}

// --- Memory blocks ----------------------------------------------------------------------

TEST_F(PluginHost, NewBlockOwnsZeroFilledBytesWhosePointerIsAmongItsFirstWords) {
  Object block = Own(newMemoryBlock(16));
  ASSERT_TRUE(block);
  EXPECT_EQ(memoryBlockGetSize(block.get()), 16);
  auto *bytes = static_cast<unsigned char *>(memoryBlockGetPtr(block.get()));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bytes[i], 0) << i;
  std::memset(bytes, 0xAB, 16);
  size_t found = 0;
  while (found < 20 && Word(block.get(), found) != reinterpret_cast<HostWord>(bytes)) ++found;
  EXPECT_LT(found, 20u);
  EXPECT_GE(found, sizeof(HostObjectRecord) / sizeof(void *)) << "past the header";

  Object empty = Own(newMemoryBlock(0));
  ASSERT_TRUE(empty);
  EXPECT_EQ(memoryBlockGetSize(empty.get()), 0);
  EXPECT_NE(memoryBlockGetPtr(empty.get()), nullptr);
  EXPECT_EQ(newMemoryBlock(-1), nullptr);
  EXPECT_EQ(newMemoryBlock(INT32_MIN), nullptr);
}

TEST_F(PluginHost, PointerBlockNeitherCopiesNorFreesItsBytes) {
  char text[] = "abc";  // on the stack: freeing it would be caught
  Object view = Own(PtrToMemoryBlock(text));
  ASSERT_TRUE(view);
  EXPECT_EQ(memoryBlockGetPtr(view.get()), text);
  EXPECT_EQ(memoryBlockGetSize(view.get()), 0) << "their extent is unknown";
  static_cast<char *>(memoryBlockGetPtr(view.get()))[0] = 'x';
  view.reset();
  EXPECT_STREQ(text, "xbc");
  EXPECT_EQ(PtrToMemoryBlock(nullptr), nullptr);
}

TEST_F(PluginHost, BlockAccessorsAnswerNothingForNilAndOtherObjects) {
  EXPECT_EQ(memoryBlockGetPtr(nullptr), nullptr);
  EXPECT_EQ(memoryBlockGetSize(nullptr), 0);
  Object item = Own(rt::NewFolderItemObject(rt::FolderItem("/tmp")));
  EXPECT_EQ(memoryBlockGetPtr(item.get()), nullptr);
  EXPECT_EQ(memoryBlockGetSize(item.get()), 0);
}

TEST_F(Registration, SubclassOfMemoryBlockKeepsItsDataAfterTheBlockFields) {
  PluginClassRecord storage = {.version = 9, .name = "Storage", .superName = "MemoryBlock",
                               .dataSize = sizeof(void *), .destructor = reinterpret_cast<void *>(&SubExit)};
  PluginRegisterClass(&storage);
  EXPECT_EQ(storage.dataOffset, rt::FindHostClass("MemoryBlock")->instanceSize);
  Object block = Own(PluginNewInstance("Storage"));
  ASSERT_TRUE(block);
  EXPECT_EQ(memoryBlockGetPtr(block.get()), nullptr);
  EXPECT_EQ(memoryBlockGetSize(block.get()), 0);
  // Where a bundle finds the byte pointer: a probe block over a known pointer.
  char known = 0;
  Object probe = Own(PtrToMemoryBlock(&known));
  size_t word = 0;
  while (word < 20 && Word(probe.get(), word) != reinterpret_cast<HostWord>(&known)) ++word;
  ASSERT_LT(word * sizeof(void *), storage.dataOffset) << "the pointer lies before the subclass's data";
  char text[] = "text";
  static_cast<HostWord *>(block.get())[word] = reinterpret_cast<HostWord>(text);
  EXPECT_EQ(memoryBlockGetPtr(block.get()), text);
  block.reset();
  EXPECT_EQ(gLog, std::vector<std::string>{"sub exit"});
}

// --- Folder items and file references ---------------------------------------------------

class FolderItems : public PluginHost {
 protected:
  void SetUp() override {
    PluginHost::SetUp();
    char tmpl[] = "/tmp/tovra-host-XXXXXX";
    dir = mkdtemp(tmpl);
    file = dir / "a file \xc3\xa9.txt";
    std::ofstream(file) << "x";
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    PluginHost::TearDown();
  }
  Object Item(const std::filesystem::path &path) { return Own(rt::NewFolderItemObject(rt::FolderItem(path))); }
  static std::filesystem::path PathOf(const Object &item) {
    auto folderItem = rt::FolderItemOfObject(item.get());
    return folderItem ? folderItem->Path() : std::filesystem::path();
  }
  static HFSUniStr255 Name(std::u16string_view text) {
    HFSUniStr255 name{};
    name.length = static_cast<uint16_t>(text.size());
    std::memcpy(name.unicode, text.data(), text.size() * 2);
    return name;
  }
  std::filesystem::path dir, file;
};

TEST_F(FolderItems, ObjectHoldsTheItemsAbsolutePath) {
  EXPECT_EQ(PathOf(Item(dir / "sub" / ".." / "b/")), dir / "b");
  EXPECT_EQ(PathOf(Item("relative")), std::filesystem::current_path() / "relative");
  EXPECT_EQ(rt::FolderItemOfObject(nullptr), nullptr);
  Object block = Own(newMemoryBlock(1));
  EXPECT_EQ(rt::FolderItemOfObject(block.get()), nullptr);
  Object bare = Own(PluginNewInstance("FolderItem"));
  EXPECT_EQ(rt::FolderItemOfObject(bare.get()), nullptr);
  FSRef ref{};
  EXPECT_FALSE(REALFSRefFromFolderItem(bare.get(), &ref, nullptr));
}

TEST_F(FolderItems, RefAndNameLeadBackToTheSameFile) {
  Object item = Item(file);
  FSRef ref{};
  HFSUniStr255 name{};
  ASSERT_TRUE(REALFSRefFromFolderItem(item.get(), &ref, &name));
  const std::u16string expected = u"a file \u00e9.txt";
  ASSERT_EQ(name.length, expected.size());
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(name.unicode), name.length), expected);
  EXPECT_TRUE(REALFSRefFromFolderItem(item.get(), &ref, nullptr));

  FSRef parent{};
  ASSERT_TRUE(REALFSRefFromFolderItem(Item(dir).get(), &parent, nullptr));
  Object again = Own(REALFolderItemFromParentFSRef(&parent, &name));
  EXPECT_EQ(PathOf(again), file);
  HFSUniStr255 unmade = Name(u"not yet");
  EXPECT_EQ(PathOf(Own(REALFolderItemFromParentFSRef(&parent, &unmade))), dir / "not yet");
  EXPECT_FALSE(REALFSRefFromFolderItem(Item(dir / "missing").get(), &ref, nullptr)) << "a ref needs the file";
}

TEST_F(FolderItems, SpecRoundTripsForFilesThatExistAndFilesToBeMade) {
  FSSpec spec{};
  ASSERT_TRUE(REALFSSpecFromFolderItem(&spec, Item(file).get()));
  EXPECT_EQ(PathOf(Own(FolderItemFromFSSpec(&spec))), file);
  ASSERT_TRUE(REALFSSpecFromFolderItem(&spec, Item(dir / "to be made").get()));
  EXPECT_EQ(PathOf(Own(FolderItemFromFSSpec(&spec))), dir / "to be made");
  EXPECT_FALSE(REALFSSpecFromFolderItem(&spec, Item(dir / "no folder" / "x").get()));
  EXPECT_FALSE(REALFSSpecFromFolderItem(&spec, Item(dir / std::string(64, 'n')).get())) << "a name of 63 at most";
}

TEST_F(FolderItems, NamesThatLeaveTheirFolderAndForeignBytesAreRefused) {
  FSRef parent{};
  ASSERT_TRUE(REALFSRefFromFolderItem(Item(dir).get(), &parent, nullptr));
  for (const std::u16string &bad : {std::u16string(u".."), std::u16string(u"."), std::u16string(u"a/b"),
                                    std::u16string(u"a\0b", 3), std::u16string()}) {
    HFSUniStr255 name = Name(bad);
    EXPECT_EQ(REALFolderItemFromParentFSRef(&parent, &name), nullptr);
  }
  HFSUniStr255 tooLong = Name(u"x");
  tooLong.length = 256;
  EXPECT_EQ(REALFolderItemFromParentFSRef(&parent, &tooLong), nullptr);
  HFSUniStr255 name = Name(u"x");
  FSRef ofFile{};
  ASSERT_TRUE(REALFSRefFromFolderItem(Item(file).get(), &ofFile, nullptr));
  EXPECT_EQ(REALFolderItemFromParentFSRef(&ofFile, &name), nullptr) << "a file is no folder";

  FSSpec spec{};
  ASSERT_TRUE(REALFSSpecFromFolderItem(&spec, Item(file).get()));
  std::memcpy(spec.name, "\x05../xx", 6);
  EXPECT_EQ(FolderItemFromFSSpec(&spec), nullptr);
  spec.name[0] = 200;  // longer than the field: read as 63 at most
  EXPECT_EQ(FolderItemFromFSSpec(&spec), nullptr);
  FSSpec zeroSpec{};
  FSRef zeroRef{};
  EXPECT_EQ(FolderItemFromFSSpec(&zeroSpec), nullptr);
  EXPECT_EQ(REALFolderItemFromParentFSRef(&zeroRef, &name), nullptr);
}

TEST_F(FolderItems, NilArgumentsGiveFailure) {
  Object item = Item(file);
  FSRef ref{};
  FSSpec spec{};
  HFSUniStr255 name = Name(u"x");
  EXPECT_EQ(FolderItemFromFSSpec(nullptr), nullptr);
  EXPECT_FALSE(REALFSSpecFromFolderItem(nullptr, item.get()));
  EXPECT_FALSE(REALFSSpecFromFolderItem(&spec, nullptr));
  EXPECT_FALSE(REALFSRefFromFolderItem(nullptr, &ref, &name));
  EXPECT_FALSE(REALFSRefFromFolderItem(item.get(), nullptr, &name));
  EXPECT_EQ(REALFolderItemFromParentFSRef(nullptr, &name), nullptr);
  EXPECT_EQ(REALFolderItemFromParentFSRef(&ref, nullptr), nullptr);
}

// A reference made by another process names its file however deep it lies.
TEST_F(FolderItems, ReferencesFromAnotherProcessLeadToDeepFiles) {
  const std::string deepFolder = fake::ScratchFolder::MakeNested(dir, 24);
  const std::string deep = deepFolder + "/deep.txt";
  std::ofstream(deep) << "x";
  const std::optional<std::string> made = fake::BytesFromOtherProcess([&]() -> std::optional<std::string> {
    FSRef folderRef{};
    FSSpec spec{};
    if (!REALFSRefFromFolderItem(Item(deepFolder).get(), &folderRef, nullptr) ||
        !REALFSSpecFromFolderItem(&spec, Item(deep).get())) {
      return std::nullopt;
    }
    return std::string(reinterpret_cast<const char *>(&folderRef), sizeof folderRef) +
           std::string(reinterpret_cast<const char *>(&spec), sizeof spec);
  });
  ASSERT_TRUE(made);
  ASSERT_EQ(made->size(), sizeof(FSRef) + sizeof(FSSpec));
  FSRef folderRef{};
  FSSpec spec{};
  std::memcpy(&folderRef, made->data(), sizeof folderRef);
  std::memcpy(&spec, made->data() + sizeof folderRef, sizeof spec);
  HFSUniStr255 name = Name(u"deep.txt");
  EXPECT_EQ(PathOf(Own(REALFolderItemFromParentFSRef(&folderRef, &name))), deep);
  EXPECT_EQ(PathOf(Own(FolderItemFromFSSpec(&spec))), deep);
}

// A reference to a link is one to the link itself, even when its target loops back to it.
TEST_F(FolderItems, LinkInALoopIsReferencedAsItself) {
  const std::filesystem::path link = dir / "link";
  const std::filesystem::path target = dir / "target";
  std::filesystem::create_symlink(target, link);
  std::filesystem::create_symlink(link, target);
  FSRef ref{};
  HFSUniStr255 name{};
  ASSERT_TRUE(REALFSRefFromFolderItem(Item(link).get(), &ref, &name));
  FSRef parent{};
  ASSERT_TRUE(REALFSRefFromFolderItem(Item(dir).get(), &parent, nullptr));
  EXPECT_EQ(PathOf(Own(REALFolderItemFromParentFSRef(&parent, &name))), link);
  FSSpec spec{};
  ASSERT_TRUE(REALFSSpecFromFolderItem(&spec, Item(link).get()));
  EXPECT_EQ(PathOf(Own(FolderItemFromFSSpec(&spec))), link);
  EXPECT_FALSE(REALFSRefFromFolderItem(Item(link / "below").get(), &ref, nullptr));
}

// --- Loading bundles --------------------------------------------------------------------

#ifdef TEST_BUNDLE_PATH
class Bundles : public FolderItems {
 protected:
  void Copy(const char *name) { std::filesystem::copy_file(TEST_BUNDLE_PATH, dir / name); }
  template <class F>
  F Member(const char *declaration) {
    return reinterpret_cast<F>(rt::RuntimeLookupPluginEntrypoint(declaration));
  }
};

TEST_F(Bundles, MissingFolderLoadsNothingAndStillGivesTheHostClasses) {
  rt::ForgetHostClasses();
  rt::LoadPluginBundles(dir / "missing");
  EXPECT_NE(rt::FindHostClass("MemoryBlock"), nullptr);
  EXPECT_NE(rt::FindHostClass("FolderItem"), nullptr);
}

TEST_F(Bundles, EveryBundleOfTheFolderRegistersInNameOrder) {
  Copy("b_second.so");
  Copy("a_first.so");
  Copy("z_not_a_bundle.txt");
  std::ofstream(dir / "c_broken.so") << "not a shared object";
  std::filesystem::create_directory(dir / "d_folder.so");
  rt::LoadPluginBundles(dir);

  auto bundleFile = Member<HostString (*)()>("TestBundleFile() as string");
  ASSERT_NE(bundleFile, nullptr);
  Str name = Own(Rec(bundleFile()));
  ASSERT_TRUE(name);
  EXPECT_EQ(Text(name.get()), "b_second.so") << "the last bundle by name registers last";

  Object counter = Own(PluginNewInstance("TestBundleCounter"));
  ASSERT_TRUE(counter);
  auto *object = static_cast<HostObjectRecord *>(counter.get());
  intptr_t count = 0;
  ASSERT_TRUE(rt::GetIntegerProperty(object, "Count", count));
  EXPECT_EQ(count, 1) << "its constructor ran";
  auto increment = Member<void (*)(HostObject, intptr_t)>("TestBundleCounter.Increment(by as integer)");
  ASSERT_NE(increment, nullptr);
  increment(counter.get(), 3);
  ASSERT_TRUE(rt::GetIntegerProperty(object, "Count", count));
  EXPECT_EQ(count, 4) << "the bundle and the host agree on where the data is";

  auto tag = Member<intptr_t (*)(HostObject)>("object.TestBundleTag as Integer");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag(counter.get()), 0x7E57);
}

TEST_F(Bundles, LoadingAgainKeepsLiveObjectsAndTheirClass) {
  Copy("bundle.so");
  rt::LoadPluginBundles(dir);
  Object counter = Own(PluginNewInstance("TestBundleCounter"));
  rt::LoadPluginBundles(dir);
  auto increment = Member<void (*)(HostObject, intptr_t)>("TestBundleCounter.Increment(by as integer)");
  ASSERT_NE(increment, nullptr);
  increment(counter.get(), 1);
  intptr_t count = 0;
  ASSERT_TRUE(rt::GetIntegerProperty(static_cast<HostObjectRecord *>(counter.get()), "Count", count));
  EXPECT_EQ(count, 2);
}
#endif

}  // namespace
