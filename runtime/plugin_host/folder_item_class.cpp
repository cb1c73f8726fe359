// The FolderItem class as bundles see it: a host object whose instance data holds the item's
// absolute path, made from and turned back into the runtime's FolderItem.
#include "runtime/core/host_objects.h"
#include "runtime/plugin_host/host_classes.h"
#include "runtime/plugin_host/plugin_host.h"

namespace rt {
namespace {

struct FolderItemData {
  std::string *path;
};

FolderItemData *DataOf(HostObject object) {
  return static_cast<FolderItemData *>(InstanceData(static_cast<HostObjectRecord *>(object), "FolderItem"));
}

void DestroyFolderItem(HostObject object) {
  if (FolderItemData *data = DataOf(object)) {
    delete data->path;
    data->path = nullptr;
  }
}

PluginClassRecord folderItemClass = {
    .version = 9,
    .name = "FolderItem",
    .dataSize = sizeof(FolderItemData),
    .destructor = reinterpret_cast<void *>(&DestroyFolderItem),
};

// File references name files by absolute paths; "a/b/" and "a/./b" are the item "a/b".
std::string AbsolutePath(const std::filesystem::path &path) {
  std::error_code error;  // an empty path has no absolute form; it stays empty
  std::filesystem::path full = std::filesystem::absolute(path, error).lexically_normal();
  if (!full.has_filename() && full != full.root_path()) full = full.parent_path();
  return full.string();
}

}  // namespace

void RegisterFolderItemClass() {
  if (!FindHostClass(folderItemClass.name)) RegisterHostClass(&folderItemClass);
}

HostObjectRecord *NewFolderItemAt(std::string absolutePath) {
  HostObjectRecord *object = NewHostInstance(folderItemClass.name);
  if (!object) return nullptr;
  try {
    DataOf(object)->path = new std::string(std::move(absolutePath));
  } catch (...) {
    UnlockHostObject(object);
    throw;
  }
  return object;
}

const std::string *PathOfFolderItem(HostObject object) {
  FolderItemData *data = object ? DataOf(object) : nullptr;
  return data ? data->path : nullptr;
}

HostObjectRecord *NewFolderItemObject(const FolderItem &item) { return NewFolderItemAt(AbsolutePath(item.Path())); }

std::shared_ptr<FolderItem> FolderItemOfObject(HostObject object) {
  const std::string *path = PathOfFolderItem(object);
  return path ? std::make_shared<FolderItem>(*path) : nullptr;
}

}  // namespace rt
