// The application events listener: the application's subclass of the vendor's
// CarbonApplicationEventsQRV. Its base part is a plug-in object that this class constructs and
// destroys through the entry table; the object raises its events here.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/hotkey/plugin_object.h"
#include "runtime/core/host_objects.h"

namespace tovra {

class HotKeyEventHandler : public rt::HostEventSink {
 public:
  HotKeyEventHandler();
  ~HotKeyEventHandler() override;
  HotKeyEventHandler(const HotKeyEventHandler &) = delete;
  HotKeyEventHandler &operator=(const HotKeyEventHandler &) = delete;

  // Inherited: from now on each press of the application's hot key raises HotKeyPressed.
  void Listen();

  // Toggles the search window; both integers are ignored.
  void Event_HotKeyPressed(int32_t a, int32_t b);

  HostObjectRecord *Object() const { return base_.Get(); }

 private:
  void RaiseHostEvent(std::string_view event, intptr_t a, intptr_t b) override;

  PluginObject base_;
};

// What a press does while the search window is hidden: centres it on the main screen, shows it,
// gives it the focus and brings the application to the front. Whatever else brings the window up
// does it this way too.
void BringUpSearchWindow();

}  // namespace tovra
