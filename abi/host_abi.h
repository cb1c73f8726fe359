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

// File Manager references as the plug-in exchanges them with the host. The platform library
// (libtovra_platform.so, one per process, see abi/file_manager.h) resolves a reference made or
// followed in the same process by the path it keeps for the item, checked against its device
// and inode. Any other reference names its file by numbers alone, so a reference made by any
// program on the machine (a host, another process) finds its file again without shared state and
// without listing a whole mount. Both forms have the same bytes in 32- and 64-bit programs;
// integers are in the machine's byte order.
//
// The mount is the `mount ID` of /proc/self/mountinfo (field 1), and the way from the mount's
// point down to the item is a folder chain: for each folder between the mount's root folder
// (not counted) and the item (not counted either), outermost first, the low `bits` bits of the
// folder's inode number (st_ino). Entry i takes bits [i*bits, (i+1)*bits) of the chain bytes, bit
// 0 being the lowest bit of chain byte 0 (a little-endian bit string); unused bits are 0. A
// reader follows the chain one directory read per level: in each folder it takes the subfolder
// whose inode matches the entry, and where several match it tries the others within a small
// bounded number of further reads and about 40 ms. `bits` may be below 64 (a long chain shares
// few bytes), and even 0: then only the end of the chain decides. A mount whose point leads to
// another mount (it is covered) holds nothing a reference can name.
//
// FSSpec: vRefNum is minus the mount ID (so mount IDs above 0x7FFF have no FSSpec). name is a
// Str63: a length byte L (at most 63) and the item's name. parID names the item's folder:
//   1 (FSSPEC_PARID_VOLUME)      the FSSpec names the mount itself; name is its last path element;
//   2 (FSSPEC_PARID_ROOT_FOLDER) the item is in the mount's root folder;
//   otherwise                    the low 32 bits of the folder's inode, and the folder is found
//                                through the chain held in the name field after the name:
//     name[1 + L]  levels: folders between the mount's root folder and the item, the item's
//                  folder included (1 to 255; 0 when there is no chain);
//     name[2 + L]  bits per chain entry (0 to 64; 0 when the field ends before this byte);
//     name[3 + L] to name[63]: the chain bytes.
//   A spec with a chain (levels from 1) is read by its chain, whatever parID is; the folder at
//   its end must also match parID. A spec of a folder other than the root without a chain (a
//   name of 63 bytes) is found only by a process that knows the folder (made or followed a
//   record for it). The named file need not exist. The format is unchanged and has no mount
//   mark; a covered mount names nothing here either.
//
// FSRef: the FSRefContents record below.
#pragma pack(push, 2)
typedef struct FSSpec {
  int16_t vRefNum;
  int32_t parID;
  unsigned char name[64];  // Str63
} FSSpec;
#pragma pack(pop)

#define FSSPEC_PARID_VOLUME 1
#define FSSPEC_PARID_ROOT_FOLDER 2
#define FSSPEC_CHAIN_STAMPED 0x80u  // added to the bits byte: the chain bytes start with a stamp

typedef struct FSRef {
  uint8_t hidden[80];
} FSRef;

#define FSREF_MAGIC 0x51525672u       // 'QRVr'
#define FSREF_KIND_ENTRY 0u           // an entry of a folder (a file, folder, link, ...)
#define FSREF_KIND_MOUNT_ROOT 1u      // the root folder of the mount
#define FSREF_KIND_MOUNT_MARKED 0x80u // added to the kind: the record carries its mount's mark
#define FSREF_KIND_ITEM_STAMPED 0x40u // added to a marked kind: the mark is folded with the item's stamp
#define FSREF_CHAIN_BYTES 52
#define FSREF_MARK_BYTES 8

// What an FSRef holds on this platform. The item is found by the chain and then checked by its
// device and full inode, so a file that is gone or a reference that is made up names nothing.
//
// Mount mark. Mount IDs and device numbers are used again once a file system is unmounted, so a
// record names its mount's instance too: with FSREF_KIND_MOUNT_MARKED in `kind`, chain bytes 43
// to 50 hold a nonzero 64-bit mark of the file system the mount showed when the record was made
// (FNV-1a 64 over the mount root's statfs f_fsid, then, where statx reports it, its STATX_BTIME
// birth time as int64 seconds and uint32 nanoseconds). A marked record whose mount now has
// another mark, or is covered, names nothing. The platform library writes marked records where
// the mount has a mark; a record without the flag (as earlier versions and other hosts write it)
// is read as before, without that check. Readers that predate the flag do not read marked
// records.
typedef struct FSRefContents {
  uint32_t magic;        // FSREF_MAGIC
  uint32_t mountID;      // mountinfo mount ID of the mount that holds the item
  uint64_t device;       // st_dev of the item
  uint64_t inode;        // st_ino of the item
  uint16_t levels;       // folders between the mount's root folder and the item; 0 for the root
  uint8_t kind;          // FSREF_KIND_ENTRY or FSREF_KIND_MOUNT_ROOT, maybe with FSREF_KIND_MOUNT_MARKED
  uint8_t bits;          // bits per chain entry, 0 to 64
  // The chain from byte 0, then optionally the item's name as it was when the reference was
  // made: its n bytes end just before the mark (marked records) or the last byte, and the last
  // byte holds n (0: no name). The chain takes the bytes before the name (bits * levels <= 8 *
  // (51 - n), or 8 * (43 - n) when marked). The name is only a hint, looked at before the folder
  // is read; a renamed item is found by its inode.
  uint8_t chain[FSREF_CHAIN_BYTES];
} FSRefContents;

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
static_assert(sizeof(FSRefContents) == sizeof(FSRef));
static_assert(offsetof(FSRefContents, device) == 8 && offsetof(FSRefContents, inode) == 16);
static_assert(offsetof(FSRefContents, levels) == 24 && offsetof(FSRefContents, chain) == 28);
static_assert(offsetof(FSSpec, parID) == 2 && offsetof(FSSpec, name) == 6);
static_assert(sizeof(HFSUniStr255) == 512);
#endif
