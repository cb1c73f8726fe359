#include "runtime/vendor/carbon_application_events.h"

#include <algorithm>
#include <vector>

#include "abi/host_abi.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window.h"
#include "runtime/core/window_list.h"

namespace rt::vendor {
namespace {

constexpr char kClassName[] = "CarbonApplicationEventsQRV";

struct ListenerData {
  bool listening;
};

// Every constructed listener, so a press never reaches an object that is gone.
std::vector<HostObjectRecord *> &Constructed() {
  static std::vector<HostObjectRecord *> objects;
  return objects;
}

bool IsConstructed(HostObjectRecord *object) {
  const auto &all = Constructed();
  return std::find(all.begin(), all.end(), object) != all.end();
}

ListenerData &DataOf(HostObject object) {
  return *static_cast<ListenerData *>(InstanceData(static_cast<HostObjectRecord *>(object), kClassName));
}

void Constructor(HostObject object) {
  DataOf(object).listening = false;
  Constructed().push_back(static_cast<HostObjectRecord *>(object));
}

void Destructor(HostObject object) {
  auto &all = Constructed();
  all.erase(std::remove(all.begin(), all.end(), object), all.end());
}

void Listen(HostObject object) { DataOf(object).listening = true; }

void DeliverHotKeyPressed(intptr_t signature, intptr_t id) {
  // A modal window waiting for its answer holds the application and the keyboard: the press
  // brings it forward instead of reaching the listeners, which would put a window over it.
  if (std::shared_ptr<Window> dialog = FrontModalWindow()) {
    dialog->Show();
    CurrentBackend().ApplicationToFront();
    return;
  }
  // Each listener is held for the round, so one whose handler drops another finds it gone
  // (destroyed, out of the list) rather than freed.
  std::vector<HostObjectRecord *> listeners;
  for (HostObjectRecord *object : Constructed()) {
    if (!DataOf(object).listening) continue;
    LockHostObject(object);
    listeners.push_back(object);
  }
  for (HostObjectRecord *object : listeners) {
    if (IsConstructed(object)) {
      if (HostEventSink *sink = EventSinkOf(object)) sink->RaiseHostEvent("HotKeyPressed", signature, id);
    }
  }
  for (HostObjectRecord *object : listeners) UnlockHostObject(object);
}

PluginMethodRecord methods[] = {
    {reinterpret_cast<void *>(&Listen), nullptr, "Listen", 0},
};

PluginClassRecord record = {
    .version = 9,
    .name = kClassName,
    .dataSize = sizeof(ListenerData),
    .constructor = reinterpret_cast<void *>(&Constructor),
    .destructor = reinterpret_cast<void *>(&Destructor),
    .methods = methods,
    .methodCount = 1,
};

}  // namespace

void RegisterCarbonApplicationEvents() { RegisterHostClass(&record); }

void RaiseHotKeyPressed(intptr_t signature, intptr_t id) {
  // The press may come from inside a handler or from the platform's loop; either way the event
  // runs later, on the loop, one at a time.
  Post([signature, id] { DeliverHotKeyPressed(signature, id); });
}

}  // namespace rt::vendor
