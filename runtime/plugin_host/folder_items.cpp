// Folder items for bundles: a host object holding a path, and the File Manager references
// that name the same file. The references are the platform layer's, which every copy of that
// layer in the process resolves alike.
#include <cstring>
#include <string>

#include "platform/files.h"
#include "runtime/core/encoding.h"
#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

struct FolderItemData {
  std::string *path;
};

void DestroyFolderItem(HostObject object) {
  auto *data = static_cast<FolderItemData *>(InstanceData(static_cast<HostObjectRecord *>(object), "FolderItem"));
  if (!data) return;
  delete data->path;
  data->path = nullptr;
}

PluginClassRecord folderItemClass = {
    .version = 9,
    .name = "FolderItem",
    .dataSize = sizeof(FolderItemData),
    .destructor = reinterpret_cast<void *>(&DestroyFolderItem),
};

const std::string *PathOf(HostObject object) {
  auto *data = static_cast<FolderItemData *>(InstanceData(static_cast<HostObjectRecord *>(object), "FolderItem"));
  return data ? data->path : nullptr;
}

HostObjectRecord *NewFolderItemAt(std::string path) {
  HostObjectRecord *object = NewHostInstance("FolderItem");
  auto *data = object ? static_cast<FolderItemData *>(InstanceData(object, "FolderItem")) : nullptr;
  if (data) data->path = new std::string(std::move(path));
  return object;
}

// The item's name as UTF-16, at most 255 units; false when it does not fit.
bool FillName(const std::string &path, HFSUniStr255 *name) {
  std::string leaf = std::filesystem::path(path).filename().string();
  std::optional<String> utf16 = TryConvertEncoding(String(leaf), kEncodingUTF16);
  if (!utf16 || utf16->ByteLength() / 2 > 255) return false;
  name->length = static_cast<uint16_t>(utf16->ByteLength() / 2);
  std::memcpy(name->unicode, utf16->Bytes().data(), utf16->ByteLength());
  return true;
}

}  // namespace

void RegisterFolderItemClass() { RegisterHostClass(&folderItemClass); }

HostObjectRecord *NewFolderItemObject(const FolderItem &item) { return NewFolderItemAt(item.Path().string()); }

std::shared_ptr<FolderItem> FolderItemOfObject(HostObject object) {
  const std::string *path = object ? PathOf(object) : nullptr;
  return path ? std::make_shared<FolderItem>(*path) : nullptr;
}

}  // namespace rt

extern "C" HostObject FolderItemFromFSSpec(const FSSpec *spec) {
  std::string path;
  if (!spec || platform::FSSpecMakePath(spec, path) != platform::noErr || path.empty()) return nullptr;
  return rt::NewFolderItemAt(std::move(path));
}

extern "C" bool REALFSSpecFromFolderItem(FSSpec *spec, HostObject item) {
  const std::string *path = item ? rt::PathOf(item) : nullptr;
  if (!spec || !path) return false;
  platform::OSErr err = platform::FSPathMakeFSSpec(path->c_str(), spec);
  // A spec names a file that need not exist yet, as long as its folder does.
  return err == platform::noErr || err == platform::fnfErr;
}

extern "C" bool REALFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name) {
  const std::string *path = item ? rt::PathOf(item) : nullptr;
  if (!ref || !path) return false;
  bool isDirectory = false;
  if (platform::FSPathMakeRef(path->c_str(), ref, &isDirectory) != platform::noErr) return false;
  return !name || rt::FillName(*path, name);
}

extern "C" HostObject REALFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name) {
  std::string folder;
  if (!parent || !name || name->length > 255) return nullptr;
  if (platform::FSRefMakePath(parent, folder) != platform::noErr) return nullptr;
  rt::String utf16(std::string_view(reinterpret_cast<const char *>(name->unicode), name->length * 2u),
                   rt::kEncodingUTF16);
  std::optional<rt::String> leaf = rt::TryConvertEncoding(utf16, rt::kEncodingUTF8);
  if (!leaf || leaf->IsEmpty()) return nullptr;
  std::string child = leaf->ToStd();
  // A name is one step down, never a way out of the folder.
  if (child.find('/') != std::string::npos || child == "." || child == "..") return nullptr;
  return rt::NewFolderItemAt((std::filesystem::path(folder) / child).string());
}
