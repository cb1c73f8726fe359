#include "platform/file_catalog.h"

#include <pthread.h>

#include <list>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/mounts.h"

namespace platform {
namespace {

struct ItemKey {
  uint64_t device;
  uint64_t inode;
  bool operator==(const ItemKey &) const = default;
};

struct ItemKeyHash {
  size_t operator()(const ItemKey &key) const {
    return std::hash<uint64_t>()(key.inode * 0x9E3779B97F4A7C15u ^ key.device);
  }
};

uint64_t FolderKey(uint32_t mountID, uint32_t folderID) { return uint64_t{mountID} << 32 | folderID; }

struct CheckedMount {
  uint32_t id = 0;
  uint64_t mark = 0;
};

// Whether the item is still at its path, on the mount instance it was found on.
bool StillThere(const CatalogItem &item, CheckedMount checked) {
  const bool checkedNow = checked.mark != 0 && item.mountID == checked.id && item.mark == checked.mark;
  const std::optional<uint64_t> mark = checkedNow ? checked.mark : MountMark(item.mountID);
  return mark && (item.mark == 0 || *mark == item.mark) && ItemIsAt(item.path, item.device, item.inode, item.stamp);
}

// Whether the item has all that the reference holds of it.
bool Matches(const CatalogItem &item, const RecordedItem &wanted) {
  if (wanted.folded != 0) {
    return item.mountID == wanted.mountID && item.stamp.value != 0 &&
           FoldedStamp(item.mark, item.stamp.value) == wanted.folded;
  }
  return wanted.mark == 0 || (item.mountID == wanted.mountID && item.mark == wanted.mark);
}

class Catalog {
 public:
  void Hold() { mutex_.lock(); }
  void Release() { mutex_.unlock(); }

  void Remember(const CatalogItem &item) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const ItemKey key{item.device, item.inode};
    if (const auto known = byItem_.find(key); known != byItem_.end()) {
      Forget(known->second);
    }
    // All of btrfs's stand-ins for the subvolumes in a snapshot are one item to stat and handle
    // alike: knowing one, the catalog would answer for the others.
    if (item.isFolder && IsSubvolumeStandIn(item.path, item.inode)) {
      return;
    }
    recent_.push_front(item);
    byItem_.emplace(key, recent_.begin());
    if (item.isFolder) {
      folders_.emplace(FolderKey(item.mountID, static_cast<uint32_t>(item.inode)), recent_.begin());
    }
    if (recent_.size() > kCatalogItems) {
      Forget(std::prev(recent_.end()));
    }
  }

  std::optional<std::string> PathOf(const RecordedItem &wanted, CheckedMount checked) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto known = byItem_.find(ItemKey{wanted.device, wanted.inode});
    if (known == byItem_.end() || !Matches(*known->second, wanted)) {
      return std::nullopt;
    }
    return Checked(known->second, checked);
  }

  std::optional<std::string> Folder(uint32_t mountID, uint32_t folderID, uint32_t folded) {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto [first, last] = folders_.equal_range(FolderKey(mountID, folderID));
    std::vector<Items::iterator> candidates;
    for (auto at = first; at != last; ++at) {
      const CatalogItem &item = *at->second;
      if (item.stamp.value != 0 && static_cast<uint32_t>(FoldedStamp(item.mark, item.stamp.value)) == folded) {
        candidates.push_back(at->second);
      }
    }
    std::optional<std::string> found;
    for (Items::iterator candidate : candidates) {
      std::optional<std::string> path = Checked(candidate, {});
      if (path && found) {
        return std::nullopt;  // two known folders have all the FSSpec holds: it cannot tell them apart
      }
      if (path) {
        found = std::move(path);
      }
    }
    return found;
  }

 private:
  using Items = std::list<CatalogItem>;

  // The item's path when it is still there, now the most recent; otherwise it is forgotten.
  std::optional<std::string> Checked(Items::iterator item, CheckedMount checked) {
    if (!StillThere(*item, checked)) {
      Forget(item);
      return std::nullopt;
    }
    recent_.splice(recent_.begin(), recent_, item);
    return item->path;
  }

  void Forget(Items::iterator item) {
    byItem_.erase(ItemKey{item->device, item->inode});
    if (item->isFolder) {
      auto [first, last] = folders_.equal_range(FolderKey(item->mountID, static_cast<uint32_t>(item->inode)));
      for (auto at = first; at != last; ++at) {
        if (at->second == item) {
          folders_.erase(at);
          break;
        }
      }
    }
    recent_.erase(item);
  }

  std::mutex mutex_;
  Items recent_;  // most recently used first
  std::unordered_map<ItemKey, Items::iterator, ItemKeyHash> byItem_;
  std::unordered_multimap<uint64_t, Items::iterator> folders_;
};

Catalog &TheCatalog() {
  static Catalog catalog;
  return catalog;
}

// A threaded host may fork while another thread is in here: the locks are taken around the
// fork, in the order the library takes them (the catalog, then the mount table), so the child
// finds them free and what they guard whole. Set up as the library loads, before a host forks.
void BeforeFork() {
  TheCatalog().Hold();
  HoldMountTable();
}
void AfterForkInParent() {
  ReleaseMountTable(false);
  TheCatalog().Release();
}
void AfterForkInChild() {
  ReleaseMountTable(true);
  TheCatalog().Release();
}
[[maybe_unused]] const int kForkHandlers = pthread_atfork(&BeforeFork, &AfterForkInParent, &AfterForkInChild);

}  // namespace

void RememberItem(const CatalogItem &item) { TheCatalog().Remember(item); }

std::optional<std::string> KnownPathOf(const RecordedItem &wanted, uint64_t currentMark) {
  return TheCatalog().PathOf(wanted, {wanted.mountID, currentMark});
}

std::optional<std::string> KnownFolder(uint32_t mountID, uint32_t folderID, uint32_t folded) {
  return TheCatalog().Folder(mountID, folderID, folded);
}


}  // namespace platform
