// The bundle's one exported symbol.
#include "abi/host_abi.h"
#include "plugin/boundary.h"
#include "plugin/host_callbacks.h"
#include "plugin/registration.h"

namespace {

constexpr int32_t kPluginInterfaceVersion = 9;

using RegisterPluginVersionRoutine = void (*)(int32_t);

// Asked outside the callback table: the host must hear the interface version before anything
// else. A host without the routine is not one this bundle can talk to, so it stops there.
void Enter(HostCallbackResolver resolver) {
  qrv::ConnectHost(resolver);
  auto announce = reinterpret_cast<RegisterPluginVersionRoutine>(
      resolver != nullptr ? resolver("RegisterPluginVersion") : nullptr);
  if (announce == nullptr) {
    return;
  }
  announce(kPluginInterfaceVersion);
  qrv::RegisterMembers();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void REALPluginMain(
    HostCallbackResolver resolver) noexcept {
  qrv::Guard<&Enter, 0>::Call(resolver);
}
