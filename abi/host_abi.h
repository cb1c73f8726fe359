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
// followed in the same process by the path it keeps for the item, checked against the item's
// stamp (below). Any other reference names its file by numbers alone, so a reference made by any
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
// bounded number of further reads and about 40 ms. The numbers a listing gives are hints, checked
// by stat (btrfs lists a subvolume by its own number, stat gives its root folder's inode 256).
// `bits` may be below 64 (a long chain shares few bytes), and even 0: then only the end of the
// chain decides. A mount whose point leads to another mount (it is covered) holds nothing a
// reference can name. A file that is a mount point itself (a file bound over another) is an entry
// of the folder above it, on that folder's mount.
//
// Stamp. Inode numbers are given again (ext4 gives a freed one to the next new item at once) and
// repeated (a btrfs snapshot repeats its subvolume's, an overlay shifts them), so a record also
// holds a stamp of its item's identity that the file system does not give to another item: FNV-1a
// 64 over the int32 handle type and the bytes of the handle that name_to_handle_at(2) gives (with
// AT_HANDLE_FID where the kernel has it; it holds the inode's generation and, on btrfs, the
// subvolume), or where the file system gives no handle, over the STATX_BTIME birth time as int64
// seconds and uint32 nanoseconds. The stamp is folded with the mount's mark (below): FNV-1a 64
// over the mark's 8 bytes, then the stamp's 8 bytes (a fold of 0 is written as 1). Where a file
// system has neither handles nor birth times, a record holds no stamp and only device and inode
// (FSRef) or the folder's number (FSSpec) tell the item: a record of an item that is gone may
// then name the item that took its number.
//
// FSSpec: vRefNum is minus the mount ID (so mount IDs above 0x7FFF have no FSSpec). name is a
// Str63: a length byte L (at most 63) and the item's name. parID names the item's folder:
//   1 (FSSPEC_PARID_VOLUME)      the FSSpec names the mount itself; name is its last path element;
//   2 (FSSPEC_PARID_ROOT_FOLDER) the item is in the mount's root folder;
//   otherwise                    the low 32 bits of the folder's inode, and the folder is found
//                                through the chain held in the name field after the name:
//     name[1 + L]  levels: folders between the mount's root folder and the item, the item's
//                  folder included (1 to 255; 0 when there is no chain);
//     name[2 + L]  bits per chain entry (0 to 64; 0 when the field ends before this byte), plus
//                  FSSPEC_CHAIN_STAMPED when the chain starts with the folder's stamp;
//     stamped:     name[3 + L] to name[6 + L]: the low 32 bits of the folder's folded stamp, and
//                  name[7 + L] to name[63]: the chain bytes;
//     otherwise:   name[3 + L] to name[63]: the chain bytes.
//   A spec with a chain (levels from 1) is read by its chain, whatever parID is; the folder at
//   its end must also match parID and the stamp. One without a stamp (as earlier versions and
//   file systems without stamps write it) names nothing where two folders on the chain's way
//   match it. The platform library writes a stamped chain wherever the folder has a stamp (and a
//   plain one where it has none), so in a folder other than the mount's root the name can have
//   up to 57 bytes (61 without a stamp). A spec of such a folder without a chain (a longer name,
//   as earlier versions wrote) holds the folder's number alone, which cannot tell the folder from
//   one that took the number later or repeats it: it names nothing. Where no chain fits (a longer
//   name, or a folder deeper than 255 levels) no spec is made (bdNamErr); a folder whose number's
//   low 32 bits are 1 or 2 thus never reads as the mount or its root folder.
//   The named file need not exist. An FSSpec has no mount mark of its own beyond the stamp's fold;
//   a covered mount names nothing here either.
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
// device, full inode and stamp, so a file that is gone or a reference that is made up names
// nothing.
//
// Mount mark. Mount IDs and device numbers are used again once a file system is unmounted, so a
// record names its mount's instance too: with FSREF_KIND_MOUNT_MARKED in `kind`, chain bytes 43
// to 50 hold a nonzero 64-bit mark of the file system the mount showed when the record was made
// (FNV-1a 64 over the mount root's statfs f_fsid, then, where statx reports it, its STATX_BTIME
// birth time as int64 seconds and uint32 nanoseconds). With FSREF_KIND_ITEM_STAMPED as well, those
// bytes hold the mark folded with the item's stamp (above), and the item found must have both. A
// marked record whose mount now has another mark, or is covered, names nothing. The platform
// library writes marked records where the mount has a mark, stamped where the item has a stamp;
// a record without the flags (as earlier versions and other hosts write it) is read as before,
// without those checks. Readers that predate a flag do not read records that carry it.
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
