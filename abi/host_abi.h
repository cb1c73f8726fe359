// The one contract between the runtime and its plug-in bundles. Both sides include this and
// nothing else of each other. A word is one pointer-sized slot: on a 32-bit build every record
// has the classic sizes (method 16 bytes, class 100, property 40); on 64-bit each slot is 8.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t HostWord;

// A runtime string as both sides see it. Word 1 points to the storage: a length byte, the text,
// then a NUL. Word 3 is the byte length. Words 0 and 2 are the host's own.
typedef struct HostStringRecord {
  HostWord referenceCount;  // word 0
  unsigned char *storage;   // word 1
  HostWord encoding;        // word 2
  intptr_t length;          // word 3
} HostStringRecord;

// Header of every object a plug-in can see. Instance data starts at the class record's data
// offset, which the host writes at registration.
typedef struct HostObjectRecord {
  const void *hostClass;    // word 0
  HostWord reserved1;       // word 1
  HostWord reserved2;       // word 2
  HostWord referenceCount;  // word 3
} HostObjectRecord;

typedef void *HostString;  // HostStringRecord *, or NULL for the empty string
typedef void *HostObject;  // HostObjectRecord *, or NULL

typedef struct PluginMethodRecord {
  void *function;
  void *setter;
  const char *declaration;
  HostWord flags;
} PluginMethodRecord;

// The form that hosts older than 5.9 read: the first three words only.
typedef struct PluginMethodRecordOld {
  void *function;
  void *setter;
  const char *declaration;
} PluginMethodRecordOld;

// Marks a property the host reads or writes straight from instance data.
#define PLUGIN_DIRECT_ACCESS ((void *)~(uintptr_t)0)

typedef struct PluginPropertyRecord {
  const char *group;
  const char *name;
  const char *type;  // "Integer", "Boolean", "String", "Color" or "Double"
  HostWord flags;
  void *getter;      // PLUGIN_DIRECT_ACCESS or a getter(object) -> value
  void *setter;      // PLUGIN_DIRECT_ACCESS, NULL (read-only) or a setter(object, value)
  HostWord param;    // byte offset of the value within the instance data
  const void *editor;
  HostWord enumCount;
  const void *enumEntries;
} PluginPropertyRecord;

typedef struct PluginClassRecord {
  HostWord version;  // always 9
  const char *name;
  const char *superName;
  HostWord dataSize;
  HostWord dataOffset;  // written by the host
  void *constructor;    // void (*)(HostObject)
  void *destructor;     // void (*)(HostObject)
  PluginPropertyRecord *properties;
  HostWord propertyCount;
  PluginMethodRecord *methods;  // PluginMethodRecordOld * on hosts below 5.9
  HostWord methodCount;
  HostWord unused11to19[9];
  HostWord flags;
  HostWord unused21to22[2];
  PluginMethodRecord *sharedMethods;
  HostWord sharedMethodCount;
} PluginClassRecord;

// File Manager references as the plug-in exchanges them with the host. Fixed sizes; the
// platform layer decides what the bytes mean.
#pragma pack(push, 2)
typedef struct FSSpec {
  int16_t vRefNum;
  int32_t parID;
  unsigned char name[64];  // Str63
} FSSpec;
#pragma pack(pop)

typedef struct FSRef {
  uint8_t hidden[80];
} FSRef;

typedef struct HFSUniStr255 {
  uint16_t length;
  uint16_t unicode[255];
} HFSUniStr255;

typedef void *(*HostCallbackResolver)(const char *name);
typedef void (*PluginMainFunction)(HostCallbackResolver resolver);

#define HOST_ENCODING_MAC_ROMAN 0x0u
#define HOST_ENCODING_UTF16 0x100u
#define HOST_ENCODING_ASCII 0x600u
#define HOST_ENCODING_UTF8 0x08000100u
#define HOST_ENCODING_NONE 0xFFFFu

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(PluginMethodRecord) == 4 * sizeof(void *));
static_assert(sizeof(PluginMethodRecordOld) == 3 * sizeof(void *));
static_assert(sizeof(PluginPropertyRecord) == 10 * sizeof(void *));
static_assert(sizeof(PluginClassRecord) == 25 * sizeof(void *));
static_assert(sizeof(HostStringRecord) == 4 * sizeof(void *));
static_assert(sizeof(FSSpec) == 70);
static_assert(sizeof(FSRef) == 80);
static_assert(sizeof(HFSUniStr255) == 512);
#endif
