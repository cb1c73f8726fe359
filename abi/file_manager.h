// File references for hosts, from the platform library (libtovra_platform.so) that the runtime
// and every bundle load once per process: a host makes and reads FSRef and FSSpec records
// (abi/host_abi.h) the way the runtime does, and shares the process's catalog with it, so a
// record made here resolves exactly, by its path, at any depth.
//
// Each returns 0 (noErr) or a classic negative File Manager code:
//   -35 (nsvErr)    the record's volume is not mounted, or is covered by another mount;
//   -37 (bdNamErr)  a name does not fit the record (an FSSpec holds 63 bytes of name, and in a
//                   folder other than the mount's root only what leaves room for the folder's
//                   stamp or number; see abi/host_abi.h);
//   -43 (fnfErr)    no such file or folder; the record names nothing (anymore);
//   -50 (paramErr)  a required pointer is NULL;
//   -2110           the path with its NUL needs more than maxPathSize bytes; nothing is
//                   written.
// Paths are absolute, NUL-terminated bytes. No call throws or blocks on anything but the file
// system; a record that leads nowhere is given up after about 40 ms. Any thread may call them, and
// the child of a fork may call them at once, whatever the parent's other threads were doing: the
// library's locks are held across a fork (pthread_atfork) and are free in the child.
#pragma once

#include <stdint.h>

#include "abi/host_abi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define FILE_MANAGER_PATH_TOO_LONG (-2110)

// The FSRef of the item at `path` (a link as the last element is the link itself);
// *isDirectory, when asked for, is 1 when the item is a folder (or a link to one).
int16_t FSPathMakeRef(const char *path, FSRef *ref, unsigned char *isDirectory);
// The path of the item the FSRef names.
int16_t FSRefMakePath(const FSRef *ref, char *path, uint32_t maxPathSize);
// The FSSpec of `path`, whose folder must exist. -43 when the item itself does not exist: the
// FSSpec is filled all the same, as one may name a file yet to be made.
int16_t FSPathMakeFSSpec(const char *path, FSSpec *spec);
// The path the FSSpec names. -43 when its folder is found but the item is not there: the path is
// written all the same (when it fits).
int16_t FSSpecMakePath(const FSSpec *spec, char *path, uint32_t maxPathSize);

#ifdef __cplusplus
}  // extern "C"
#endif
