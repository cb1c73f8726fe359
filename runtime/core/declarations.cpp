#include "runtime/core/declarations.h"

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace rt {
namespace {

std::unordered_map<std::string, void *> &Registry() {
  static std::unordered_map<std::string, void *> registry;
  return registry;
}

}  // namespace

void RegisterDeclaration(std::string_view declaration, void *entry) {
  Registry()[std::string(declaration)] = entry;
}

void ForgetDeclarations() { Registry().clear(); }

void *RuntimeLookupPluginEntrypoint(std::string_view declaration) {
  auto it = Registry().find(std::string(declaration));
  return it == Registry().end() ? nullptr : it->second;
}

void **RuntimeAllocatePluginEntrypointsTable(size_t count) {
  static std::deque<std::unique_ptr<void *[]>> tables;
  tables.push_back(std::make_unique<void *[]>(count));
  return tables.back().get();
}

}  // namespace rt
