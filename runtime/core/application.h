// The framework's application object: the application-level events and menu handlers.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "runtime/core/menus.h"

namespace rt {

using MenuHandler = std::function<bool()>;

// Menu handlers bound by item name.
class MenuHandlers {
 public:
  void Bind(const String &itemName, MenuHandler handler);
  // The handler's answer, or false when nothing is bound to the name.
  bool Run(const String &itemName) const;
  bool Has(const String &itemName) const;

 private:
  std::map<std::string, MenuHandler> handlers_;
};

class Application {
 public:
  virtual ~Application() = default;

  virtual void Event_Open() {}
  virtual void Event_NewDocument() {}
  virtual void Event_EnableMenuItems() {}

  std::shared_ptr<rt::MenuBar> MenuBar;
  MenuHandlers menuHandlers;
};

}  // namespace rt
