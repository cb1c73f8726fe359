#include "runtime/core/menus.h"

namespace rt {

void MenuItem::Append(std::shared_ptr<MenuItem> item) {
  if (item) children_.push_back(std::move(item));
}

std::shared_ptr<MenuItem> MenuItem::Child(const String &name) const {
  for (const auto &child : children_) {
    if (child->Name == name) return child;
  }
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Find(const String &name) const {
  for (const auto &child : children_) {
    if (child->Name == name) return child;
    if (auto found = child->Find(name)) return found;
  }
  return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<size_t>(index)];
}

std::shared_ptr<MenuItem> FindShortcut(const MenuItem &bar, const String &key) {
  String wanted = String("Cmd+") + key;
  for (int i = 0; i < bar.Count(); ++i) {
    auto item = bar.Item(i);
    if (!item->IsSeparator() && !key.IsEmpty() && item->KeyboardShortcut == wanted) return item;
    if (auto found = FindShortcut(*item, key)) return found;
  }
  return nullptr;
}

}  // namespace rt
