#include "runtime/core/application.h"

#include <cctype>

namespace rt {

static std::string Key(const String &name) {
  std::string k(name.Bytes());
  for (char &c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

void MenuHandlers::Bind(const String &itemName, MenuHandler handler) {
  handlers_[Key(itemName)] = std::move(handler);
}

bool MenuHandlers::Run(const String &itemName) const {
  auto it = handlers_.find(Key(itemName));
  return it != handlers_.end() && it->second && it->second();
}

bool MenuHandlers::Has(const String &itemName) const {
  return handlers_.count(Key(itemName)) > 0;
}

}  // namespace rt
