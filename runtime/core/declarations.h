// Binding of plug-in members by declaration string. Bundles and the runtime's own vendor
// components register entry points under their declarations; the application looks each one up
// once at start-up into its entry table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rt {

void RegisterDeclaration(std::string_view declaration, void *entry);
void ForgetDeclarations();

void *RuntimeLookupPluginEntrypoint(std::string_view declaration);
// A table of `count` empty entries, owned by the runtime until the process ends.
void **RuntimeAllocatePluginEntrypointsTable(size_t count);

}  // namespace rt
