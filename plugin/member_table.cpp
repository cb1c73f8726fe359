#include "plugin/member_table.h"

#include <array>
#include <cstddef>

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

template <typename Function>
void *Handler(Function *function) {
  return reinterpret_cast<void *>(function);
}

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
    Method(Handler(&StdoutWrite), "Write(data as string)")};

std::array<PluginMethodRecord, 1> gStdinMethods = {
    Method(Handler(&StdinRead), "Read(count as integer) as string")};

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
    ReadDirectWithSetter("FontID", "Integer", 20, Handler(&SetFontID)),
    ReadDirectWithSetter("FontName", "String", 28, Handler(&SetFontName)),
    Direct("TextSize", "Integer", 36, true),
    ReadDirectWithSetter("TextColor", "Color", 44, Handler(&SetTextColor)),
    ReadDirectWithSetter("Red", "Integer", 52, Handler(&SetRed)),
    ReadDirectWithSetter("Green", "Integer", 60, Handler(&SetGreen)),
    ReadDirectWithSetter("Blue", "Integer", 68, Handler(&SetBlue)),
    ReadDirectWithSetter("Text", "String", 72, Handler(&SetText)),
    Direct("Style", "Integer", 80, true),
    Direct("TextLength", "Integer", 76, false),
};

std::array<PluginPropertyRecord, 1> gStyleDataListProperties = {
    Direct("Count", "Integer", 0, true)};

std::array<PluginMethodRecord, 1> gStyleDataListMethods = {
    Method(Handler(&StyleDataListStyle), "Style(index as integer) as StyleDataQRV")};

std::array<PluginPropertyRecord, 6> gTimeZoneProperties = {
    Direct("GmtDeltaTotalseconds", "Integer", 0, false),
    Direct("GmtDeltaSeconds", "Integer", 4, false),
    Direct("GmtDeltaMinutes", "Integer", 8, false),
    Direct("GmtDeltaHours", "Integer", 12, false),
    ReadOnlyGetter("Latitude", "Double", 16, Handler(&LatitudeGetter)),
    ReadOnlyGetter("Longitude", "Double", 24, Handler(&LongitudeGetter)),
};

std::array<PluginMethodRecord, 10> gFolderItemMethods = {
    Method(Handler(&VolumeSizeKBQRV), "VolumeSizeKBQRV as Integer", kFolderItemFlags),
    Method(Handler(&VolumeSizeQRV), "VolumeSizeQRV as Double", kFolderItemFlags),
    Method(Handler(&VolumeFreeSizeKBQRV), "VolumeFreeSizeKBQRV as Integer", kFolderItemFlags),
    Method(Handler(&VolumeFreeSizeQRV), "VolumeFreeSizeQRV as Double", kFolderItemFlags),
    Method(Handler(&FSSpecQRV), "FSSpecQRV as memoryblock", kFolderItemFlags),
    Method(Handler(&FSRefQRV), "FSRefQRV as memoryblock", kFolderItemFlags),
    Method(Handler(&FSRefNameQRV), "FSRefNameQRV(byref name as string) as memoryblock",
           kFolderItemFlags),
    Method(Handler(&FlushVolumeQRV), "FlushVolumeQRV as integer", kFolderItemFlags),
    Method(Handler(&IsFileDataForkOpenReadWriteQRV), "IsFileDataForkOpenReadWriteQRV as boolean",
           kFolderItemFlags),
    Method(Handler(&IsFileResourceForkOpenReadWriteQRV),
           "IsFileResourceForkOpenReadWriteQRV as boolean", kFolderItemFlags),
};

std::array<PluginMethodRecord, 2> gObjectMethods = {
    Method(Handler(&ReferenceCountQRV), "ReferenceCountQRV as Integer"),
    Method(Handler(&MemoryAddressQRV), "MemoryAddressQRV as Integer"),
};

std::array<PluginPropertyRecord, 1> gStringMemoryBlockProperties = {
    ReadOnlyGetter("StorageString", "String", 0, Handler(&StorageStringGetter))};

std::array<PluginMethodRecord, 42> gGlobalFunctions = {
    Method(Handler(&DecompileMacStyleDataQRV),
           "DecompileMacStyleDataQRV(text as string, styles as string) as StyleDataListQRV"),
    Method(Handler(&DecompileWinStyleDataQRV),
           "DecompileWinStyleDataQRV(text as string, styles as string) as StyleDataListQRV"),
    Method(Handler(&GetHash32QRV), "GetHash32QRV(s as string) as integer"),
    Method(Handler(&NewInstanceQRV), "NewInstanceQRV(ClassName as string) as object"),
    Method(Handler(&GetEncodingOfStringQRV), "GetEncodingOfStringQRV(s as string) as integer"),
    Method(Handler(&SetEncodingOfStringQRV),
           "SetEncodingOfStringQRV(s as string, encoding as integer)"),
    Method(Handler(&StringFromOSTypeQRV), "StringFromOSTypeQRV(int as integer) as string"),
    Method(Handler(&OSTypeFromStringQRV), "OSTypeFromStringQRV(str as string) as integer"),
    Method(Handler(&StringToMemoryBlockQRV), "StringToMemoryBlockQRV(s as string) as memoryblock"),
    Method(Handler(&StringToMemoryBlockByReferenceQRV),
           "StringToMemoryBlockByReferenceQRV(s as string) as memoryblock"),
    Method(Handler(&MemoryBlockToStringQRV), "MemoryBlockToStringQRV(s as memoryblock) as string"),
    Method(Handler(&MemoryBlockToStringWithLengthQRV),
           "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string"),
    Method(Handler(&CloneStringQRV), "CloneStringQRV(s as string) as string"),
    Method(Handler(&CloneMemoryBlockQRV), "CloneMemoryBlockQRV(s as memoryblock) as memoryblock"),
    Method(Handler(&CloneMemoryBlockWithLengthQRV),
           "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock"),
    Method(Handler(&ReturnErrPtrQRV), "ReturnErrPtrQRV as Integer"),
    Method(Handler(&ReturnOutPtrQRV), "ReturnOutPtrQRV as Integer"),
    Method(Handler(&ReturnInPtrQRV), "ReturnInPtrQRV as Integer"),
    Method(Handler(&BitwiseXORStringBytesQRV),
           "BitwiseXORStringBytesQRV(s as string, v as integer) as string"),
    Method(Handler(&DelayQRV), "DelayQRV(time as double)"),
    Method(Handler(&DelayWithModeQRV), "DelayQRV(time as double, mode as integer)"),
    Method(Handler(&SetSoundVolumeQRV), "SetSoundVolumeQRV(percent as double)"),
    Method(Handler(&GetSoundVolumeQRV), "GetSoundVolumeQRV as double"),
    Method(Handler(&SetSoundVolumeLeftQRV), "SetSoundVolumeLeftQRV(percent as double)"),
    Method(Handler(&GetSoundVolumeLeftQRV), "GetSoundVolumeLeftQRV as double"),
    Method(Handler(&SetSoundVolumeRightQRV), "SetSoundVolumeRightQRV(percent as double)"),
    Method(Handler(&GetSoundVolumeRightQRV), "GetSoundVolumeRightQRV as double"),
    Method(Handler(&SetSoundMuteQRV), "SetSoundMuteQRV(mute as boolean)"),
    Method(Handler(&GetSoundMuteQRV), "GetSoundMuteQRV as boolean"),
    Method(Handler(&ShowCursorQRV), "ShowCursorQRV"),
    Method(Handler(&HideCursorQRV), "HideCursorQRV"),
    Method(Handler(&ObscureCursorQRV), "ObscureCursorQRV"),
    Method(Handler(&FlashMenuBarQRV), "FlashMenuBarQRV"),
    Method(Handler(&GetDoubleClickIntervalQRV), "GetDoubleClickIntervalQRV as integer"),
    Method(Handler(&NewFolderItemFSSpecQRV),
           "NewFolderItemFSSpecQRV(fsspec as memoryblock) as FolderItem"),
    Method(Handler(&NewFolderItemFSRefQRV),
           "NewFolderItemFSRefQRV(fsref as memoryblock) as FolderItem"),
    Method(Handler(&NewFolderItemFSRefNameQRV),
           "NewFolderItemFSRefNameQRV(fsref as memoryblock,name as string) as FolderItem"),
    Method(Handler(&MemoryAddressQRV), "GetObjectMemoryAddressQRV(o as object) as integer"),
    Method(Handler(&MemoryAddressQRV), "GetStringMemoryAddressQRV(s as string) as integer"),
    Method(Handler(&ReferenceCountQRV), "GetObjectLockCountQRV(o as object) as integer"),
    Method(Handler(&ReferenceCountQRV), "GetStringLockCountQRV(s as string) as integer"),
    Method(Handler(&NewStringMemoryBlockQRV),
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
  gStyleDataClass.destructor = Handler(&StyleDataDestructor);
  SetProperties(gStyleDataClass, gStyleDataProperties);

  gStyleDataListClass = Class("StyleDataListQRV", 8);
  gStyleDataListClass.destructor = Handler(&StyleDataListDestructor);
  SetProperties(gStyleDataListClass, gStyleDataListProperties);
  SetMethods(gStyleDataListClass, gStyleDataListMethods);

  gTimeZoneClass = Class("TimeZoneQRV", 32);
  gTimeZoneClass.constructor = Handler(&TimeZoneConstructor);
  SetProperties(gTimeZoneClass, gTimeZoneProperties);

  gFolderItemExtension = Class("folderitem", 0);
  gFolderItemExtension.flags = kFolderItemFlags;
  SetMethods(gFolderItemExtension, gFolderItemMethods);

  gObjectExtension = Class("object", 0);
  SetMethods(gObjectExtension, gObjectMethods);

  gStringMemoryBlockClass = Class("StringMemoryBlockQRV", 4);
  gStringMemoryBlockClass.superName = "MemoryBlock";
  gStringMemoryBlockClass.destructor = Handler(&StringMemoryBlockDestructor);
  SetProperties(gStringMemoryBlockClass, gStringMemoryBlockProperties);
}

}  // namespace qrv
