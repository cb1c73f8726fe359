// Menus: a bar of menus, each a list of items, found and bound by name.
#pragma once

#include <memory>
#include <vector>

#include "runtime/core/string.h"

namespace rt {

class MenuItem : public std::enable_shared_from_this<MenuItem> {
 public:
  enum class Role { kPlain, kAbout, kPreferences, kQuit };

  MenuItem() = default;
  virtual ~MenuItem() = default;
  virtual Role ItemRole() const { return Role::kPlain; }

  String Name;
  String Text;
  String KeyboardShortcut;
  bool AutoEnable = true;
  bool Enabled = true;

  bool IsSeparator() const { return Text.Bytes() == "-"; }
  void Append(std::shared_ptr<MenuItem> item);
  // The direct child of that name, or nothing.
  std::shared_ptr<MenuItem> Child(const String &name) const;
  // The item of that name anywhere below this one, or nothing.
  std::shared_ptr<MenuItem> Find(const String &name) const;
  int Count() const { return static_cast<int>(children_.size()); }
  std::shared_ptr<MenuItem> Item(int index) const;

 private:
  std::vector<std::shared_ptr<MenuItem>> children_;
};

class AppleMenuItem : public MenuItem {
 public:
  Role ItemRole() const override { return Role::kAbout; }
};

class PrefsMenuItem : public MenuItem {
 public:
  Role ItemRole() const override { return Role::kPreferences; }
};

class QuitMenuItem : public MenuItem {
 public:
  Role ItemRole() const override { return Role::kQuit; }
};

class MenuBar : public MenuItem {};

// The item whose shortcut is Cmd plus this key, or nothing.
std::shared_ptr<MenuItem> FindShortcut(const MenuItem &bar, const String &key);

}  // namespace rt
