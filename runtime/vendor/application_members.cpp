#include "runtime/vendor/application_members.h"

#include "abi/host_abi.h"
#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/runtime.h"

namespace rt::vendor {
namespace {

// On the Mac this readies the vendor's Core Foundation bundle; here there is nothing to ready.
void UseQRVCFPlugin() {}

// Only true does anything: the application never asks to be sent to the back.
void SetFrontmost(HostObject application, bool frontmost) {
  (void)application;  // there is one application: the process
  if (frontmost) CurrentBackend().ApplicationToFront();
}

PluginMethodRecord globalMethods[] = {
    {reinterpret_cast<void *>(&UseQRVCFPlugin), nullptr, "UseQRVCFPlugin", 0},
};

// Write-only: the application sets it and never reads it back.
PluginPropertyRecord applicationProperties[] = {
    {.name = "FrontmostQRV", .type = "Boolean", .setter = reinterpret_cast<void *>(&SetFrontmost)},
};

PluginClassRecord applicationExtension = {
    .version = 9,
    .name = "application",
    .properties = applicationProperties,
    .propertyCount = 1,
};

}  // namespace

void RegisterApplicationMembers() {
  for (const PluginMethodRecord &m : globalMethods) RegisterDeclaration(m.declaration, m.function);
  RegisterHostClassExtension(&applicationExtension);
}

}  // namespace rt::vendor
