#include "plugin/member_table.h"

#include <array>
#include <cstddef>

#include "plugin/boundary.h"
#include "plugin/files.h"
#include "plugin/host_values.h"
#include "plugin/memory_blocks.h"
#include "plugin/references.h"
#include "plugin/string_memory_block.h"
#include "plugin/strings.h"
#include "plugin/style_data.h"
#include "plugin/system.h"

namespace qrv {
namespace {

// The host reads these records word by word: the classic sizes in 32-bit words, whatever the
// word is here.
constexpr size_t kWord = sizeof(void *);
static_assert(kWord == 4 || kWord == 8);
static_assert(sizeof(PluginMethodRecord) == (kWord == 4 ? 16 : 32));
static_assert(sizeof(PluginMethodRecordOld) == (kWord == 4 ? 12 : 24));
static_assert(sizeof(PluginPropertyRecord) == (kWord == 4 ? 40 : 80));
static_assert(sizeof(PluginClassRecord) == (kWord == 4 ? 100 : 200));
static_assert(offsetof(PluginClassRecord, methods) == 9 * kWord);
static_assert(offsetof(PluginClassRecord, flags) == 20 * kWord);
static_assert(offsetof(PluginClassRecord, sharedMethods) == 23 * kWord);
static_assert(offsetof(HostStringRecord, storage) == 1 * kWord);
static_assert(offsetof(HostStringRecord, length) == 3 * kWord);

constexpr HostWord kFolderItemFlags = 4;

PluginMethodRecord Method(void *function, const char *declaration, HostWord flags = 0) {
  return {function, nullptr, declaration, flags};
}

// Read straight from instance data; `writable` lets the host write it straight back too.
PluginPropertyRecord Direct(const char *name, const char *type, size_t classicOffset,
                            bool writable) {
  return {nullptr, name,    type, 0, PLUGIN_DIRECT_ACCESS, writable ? PLUGIN_DIRECT_ACCESS : nullptr,
          Scaled(classicOffset), nullptr, 0, nullptr};
}

PluginPropertyRecord ReadDirectWithSetter(const char *name, const char *type,
                                          size_t classicOffset, void *setter) {
  return {nullptr, name, type, 0, PLUGIN_DIRECT_ACCESS, setter, Scaled(classicOffset),
          nullptr, 0,    nullptr};
}

PluginPropertyRecord ReadOnlyGetter(const char *name, const char *type, size_t classicOffset,
                                    void *getter) {
  return {nullptr, name, type, 0, getter, nullptr, Scaled(classicOffset), nullptr, 0, nullptr};
}

std::array<PluginMethodRecord, 1> gStdoutMethods = {
    Method(Guarded<&StdoutWrite>(), "Write(data as string)")};

std::array<PluginMethodRecord, 1> gStdinMethods = {
    Method(Guarded<&StdinRead>(), "Read(count as integer) as string")};

std::array<PluginPropertyRecord, 21> gStyleDataProperties = {
    Direct("FontAvailable", "Boolean", 64, true),
    Direct("ColorAvailable", "Boolean", 56, true),
    Direct("Bold", "Boolean", 0, true),
    Direct("Italic", "Boolean", 8, true),
    Direct("Underline", "Boolean", 16, true),
    Direct("Outline", "Boolean", 24, true),
    Direct("Shadow", "Boolean", 32, true),
    Direct("Condense", "Boolean", 40, true),
    Direct("Extend", "Boolean", 48, true),
    Direct("TextOffset", "Integer", 4, true),
    Direct("TextHeight", "Integer", 12, true),
    ReadDirectWithSetter("FontID", "Integer", 20, Guarded<&SetFontID>()),
    ReadDirectWithSetter("FontName", "String", 28, Guarded<&SetFontName>()),
    Direct("TextSize", "Integer", 36, true),
    ReadDirectWithSetter("TextColor", "Color", 44, Guarded<&SetTextColor>()),
    ReadDirectWithSetter("Red", "Integer", 52, Guarded<&SetRed>()),
    ReadDirectWithSetter("Green", "Integer", 60, Guarded<&SetGreen>()),
    ReadDirectWithSetter("Blue", "Integer", 68, Guarded<&SetBlue>()),
    ReadDirectWithSetter("Text", "String", 72, Guarded<&SetText>()),
    Direct("Style", "Integer", 80, true),
    Direct("TextLength", "Integer", 76, false),
};

std::array<PluginPropertyRecord, 1> gStyleDataListProperties = {
    Direct("Count", "Integer", 0, true)};

std::array<PluginMethodRecord, 1> gStyleDataListMethods = {
    Method(Guarded<&StyleDataListStyle>(), "Style(index as integer) as StyleDataQRV")};

std::array<PluginPropertyRecord, 6> gTimeZoneProperties = {
    Direct("GmtDeltaTotalseconds", "Integer", 0, false),
    Direct("GmtDeltaSeconds", "Integer", 4, false),
    Direct("GmtDeltaMinutes", "Integer", 8, false),
    Direct("GmtDeltaHours", "Integer", 12, false),
    ReadOnlyGetter("Latitude", "Double", 16, Guarded<&LatitudeGetter>()),
    ReadOnlyGetter("Longitude", "Double", 24, Guarded<&LongitudeGetter>()),
};

std::array<PluginMethodRecord, 10> gFolderItemMethods = {
    Method(Guarded<&VolumeSizeKBQRV, -1>(), "VolumeSizeKBQRV as Integer", kFolderItemFlags),
    Method(Guarded<&VolumeSizeQRV, -1>(), "VolumeSizeQRV as Double", kFolderItemFlags),
    Method(Guarded<&VolumeFreeSizeKBQRV, -1>(), "VolumeFreeSizeKBQRV as Integer", kFolderItemFlags),
    Method(Guarded<&VolumeFreeSizeQRV, -1>(), "VolumeFreeSizeQRV as Double", kFolderItemFlags),
    Method(Guarded<&FSSpecQRV>(), "FSSpecQRV as memoryblock", kFolderItemFlags),
    Method(Guarded<&FSRefQRV>(), "FSRefQRV as memoryblock", kFolderItemFlags),
    Method(Guarded<&FSRefNameQRV>(), "FSRefNameQRV(byref name as string) as memoryblock",
           kFolderItemFlags),
    Method(Guarded<&FlushVolumeQRV, -1>(), "FlushVolumeQRV as integer", kFolderItemFlags),
    Method(Guarded<&IsFileDataForkOpenReadWriteQRV>(), "IsFileDataForkOpenReadWriteQRV as boolean",
           kFolderItemFlags),
    Method(Guarded<&IsFileResourceForkOpenReadWriteQRV>(),
           "IsFileResourceForkOpenReadWriteQRV as boolean", kFolderItemFlags),
};

std::array<PluginMethodRecord, 2> gObjectMethods = {
    Method(Guarded<&ReferenceCountQRV>(), "ReferenceCountQRV as Integer"),
    Method(Guarded<&MemoryAddressQRV>(), "MemoryAddressQRV as Integer"),
};

std::array<PluginPropertyRecord, 1> gStringMemoryBlockProperties = {
    ReadOnlyGetter("StorageString", "String", 0, Guarded<&StorageStringGetter>())};

std::array<PluginMethodRecord, 42> gGlobalFunctions = {
    Method(Guarded<&DecompileMacStyleDataQRV>(),
           "DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV"),
    Method(Guarded<&DecompileWinStyleDataQRV>(),
           "DecompileWinStyleDataQRV(text as string, styles as string) as StyleDataListQRV"),
    Method(Guarded<&GetHash32QRV>(), "GetHash32QRV(s as string) as integer"),
    Method(Guarded<&NewInstanceQRV>(), "NewInstanceQRV(ClassName as string) as object"),
    Method(Guarded<&GetEncodingOfStringQRV>(), "GetEncodingOfStringQRV(s as string) as integer"),
    Method(Guarded<&SetEncodingOfStringQRV>(),
           "SetEncodingOfStringQRV(s as string, encoding as integer)"),
    Method(Guarded<&StringFromOSTypeQRV>(), "StringFromOSTypeQRV(int as integer) as string"),
    Method(Guarded<&OSTypeFromStringQRV>(), "OSTypeFromStringQRV(str as string) as integer"),
    Method(Guarded<&StringToMemoryBlockQRV>(), "StringToMemoryBlockQRV(s as string) as memoryblock"),
    Method(Guarded<&StringToMemoryBlockByReferenceQRV>(),
           "StringToMemoryBlockByReferenceQRV(s as string) as memoryblock"),
    Method(Guarded<&MemoryBlockToStringQRV>(), "MemoryBlockToStringQRV(s as memoryblock) as string"),
    Method(Guarded<&MemoryBlockToStringWithLengthQRV>(),
           "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string"),
    Method(Guarded<&CloneStringQRV>(), "CloneStringQRV(s as string) as string"),
    Method(Guarded<&CloneMemoryBlockQRV>(), "CloneMemoryBlockQRV(s as memoryblock) as memoryblock"),
    Method(Guarded<&CloneMemoryBlockWithLengthQRV>(),
           "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock"),
    Method(Guarded<&ReturnErrPtrQRV>(), "ReturnErrPtrQRV as Integer"),
    Method(Guarded<&ReturnOutPtrQRV>(), "ReturnOutPtrQRV as Integer"),
    Method(Guarded<&ReturnInPtrQRV>(), "ReturnInPtrQRV as Integer"),
    Method(Guarded<&BitwiseXORStringBytesQRV>(),
           "BitwiseXORStringBytesQRV(s as string, v as integer) as string"),
    Method(Guarded<&DelayQRV>(), "DelayQRV(time as double)"),
    Method(Guarded<&DelayWithModeQRV>(), "DelayQRV(time as double, mode as integer)"),
    Method(Guarded<&SetSoundVolumeQRV>(), "SetSoundVolumeQRV(percent as double)"),
    Method(Guarded<&GetSoundVolumeQRV>(), "GetSoundVolumeQRV as double"),
    Method(Guarded<&SetSoundVolumeLeftQRV>(), "SetSoundVolumeLeftQRV(percent as double)"),
    Method(Guarded<&GetSoundVolumeLeftQRV>(), "GetSoundVolumeLeftQRV as double"),
    Method(Guarded<&SetSoundVolumeRightQRV>(), "SetSoundVolumeRightQRV(percent as double)"),
    Method(Guarded<&GetSoundVolumeRightQRV>(), "GetSoundVolumeRightQRV as double"),
    Method(Guarded<&SetSoundMuteQRV>(), "SetSoundMuteQRV(mute as boolean)"),
    Method(Guarded<&GetSoundMuteQRV>(), "GetSoundMuteQRV as boolean"),
    Method(Guarded<&ShowCursorQRV>(), "ShowCursorQRV"),
    Method(Guarded<&HideCursorQRV>(), "HideCursorQRV"),
    Method(Guarded<&ObscureCursorQRV>(), "ObscureCursorQRV"),
    Method(Guarded<&FlashMenuBarQRV>(), "FlashMenuBarQRV"),
    Method(Guarded<&GetDoubleClickIntervalQRV>(), "GetDoubleClickIntervalQRV as integer"),
    Method(Guarded<&NewFolderItemFSSpecQRV>(),
           "NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem"),
    Method(Guarded<&NewFolderItemFSRefQRV>(),
           "NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem"),
    Method(Guarded<&NewFolderItemFSRefNameQRV>(),
           "NewFolderItemFSRefNameQRV(fsref as memoryblock,name as string) as FolderItem"),
    Method(Guarded<&MemoryAddressQRV>(), "GetObjectMemoryAddressQRV(o as object) as integer"),
    Method(Guarded<&MemoryAddressQRV>(), "GetStringMemoryAddressQRV(s as string) as integer"),
    Method(Guarded<&ReferenceCountQRV>(), "GetObjectLockCountQRV(o as object) as integer"),
    Method(Guarded<&ReferenceCountQRV>(), "GetStringLockCountQRV(s as string) as integer"),
    Method(Guarded<&NewStringMemoryBlockQRV>(),
           "NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV"),
};

PluginClassRecord Class(const char *name, size_t classicDataSize) {
  PluginClassRecord record{};
  record.version = 9;
  record.name = name;
  record.dataSize = Scaled(classicDataSize);
  return record;
}

template <size_t N>
void SetMethods(PluginClassRecord &record, std::array<PluginMethodRecord, N> &methods) {
  record.methods = methods.data();
  record.methodCount = N;
}

template <size_t N>
void SetProperties(PluginClassRecord &record, std::array<PluginPropertyRecord, N> &properties) {
  record.properties = properties.data();
  record.propertyCount = N;
}

}  // namespace

PluginClassRecord gStdoutClass;
PluginClassRecord gStdinClass;
PluginClassRecord gStyleDataClass;
PluginClassRecord gStyleDataListClass;
PluginClassRecord gTimeZoneClass;
PluginClassRecord gFolderItemExtension;
PluginClassRecord gObjectExtension;
PluginClassRecord gStringMemoryBlockClass;

std::span<PluginMethodRecord> GlobalFunctions() { return gGlobalFunctions; }

void ResetClassRecords() {
  gStdoutClass = Class("StdoutQRV", 1);
  SetMethods(gStdoutClass, gStdoutMethods);

  gStdinClass = Class("StdinQRV", 1);
  SetMethods(gStdinClass, gStdinMethods);

  gStyleDataClass = Class("StyleDataQRV", 84);
  gStyleDataClass.destructor = Guarded<&StyleDataDestructor>();
  SetProperties(gStyleDataClass, gStyleDataProperties);

  gStyleDataListClass = Class("StyleDataListQRV", 8);
  gStyleDataListClass.destructor = Guarded<&StyleDataListDestructor>();
  SetProperties(gStyleDataListClass, gStyleDataListProperties);
  SetMethods(gStyleDataListClass, gStyleDataListMethods);

  gTimeZoneClass = Class("TimeZoneQRV", 32);
  gTimeZoneClass.constructor = Guarded<&TimeZoneConstructor>();
  SetProperties(gTimeZoneClass, gTimeZoneProperties);

  gFolderItemExtension = Class("folderitem", 0);
  gFolderItemExtension.flags = kFolderItemFlags;
  SetMethods(gFolderItemExtension, gFolderItemMethods);

  gObjectExtension = Class("object", 0);
  SetMethods(gObjectExtension, gObjectMethods);

  gStringMemoryBlockClass = Class("StringMemoryBlockQRV", 4);
  gStringMemoryBlockClass.superName = "MemoryBlock";
  gStringMemoryBlockClass.destructor = Guarded<&StringMemoryBlockDestructor>();
  SetProperties(gStringMemoryBlockClass, gStringMemoryBlockProperties);
}

}  // namespace qrv
