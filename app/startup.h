// Program entry and the start-up sequence.
#pragma once

#include <filesystem>

#include "runtime/core/backend.h"

namespace rt {
class InstanceListener;
}  // namespace rt

namespace tovra {

// Runs the whole program on `backend`; plug-in bundles come from `pluginFolder`, second starts are
// heard through `secondStarts` when there is one. Returns the process's exit status.
int ProgramEntry(rt::Backend &backend, const std::filesystem::path &pluginFolder,
                 rt::InstanceListener *secondStarts = nullptr);

// The start-up steps, in the order _Main runs them.
void _Main(const std::filesystem::path &pluginFolder);
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();

// Releases the module-level objects after the loop has ended.
void ReleaseModuleObjects();

}  // namespace tovra
