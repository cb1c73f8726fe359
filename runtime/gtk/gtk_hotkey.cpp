#include <keybinder.h>

#include "runtime/gtk/gtk_dialogs.h"
#include "runtime/gtk/hot_keys.h"
#include "runtime/gtk/mac_key_codes.h"
#include "runtime/gtk/server_keys.h"

namespace rt::gtk {

HotKeys::~HotKeys() {
  for (const auto &[handle, binding] : bindings_) keybinder_unbind(binding->accelerator.c_str(), OnPressed);
}

int HotKeys::Register(uint32_t macKeyCode, uint32_t macModifierMask, std::function<void()> pressed) {
  std::string accelerator = HotKeyAccelerator(macKeyCode, macModifierMask);
  if (accelerator.empty()) return 0;
  for (const auto &[handle, binding] : bindings_) {
    if (binding->accelerator == accelerator) return 0;  // one registration per key, as on the Mac
  }
  guint keyval = 0;
  GdkModifierType modifiers = GdkModifierType(0);
  gtk_accelerator_parse(accelerator.c_str(), &keyval, &modifiers);
  // The grab would be made, and the user left waiting for a press that never comes.
  if (ServerKeepsKey(gdk_display_get_default(), keyval, modifiers)) return 0;
  auto binding = std::make_unique<Binding>(Binding{this, accelerator, std::move(pressed)});
  // False when the key is another client's grab already, or the display has no such key.
  if (!keybinder_bind(accelerator.c_str(), OnPressed, binding.get())) return 0;
  int handle = nextHandle_++;
  bindings_[handle] = std::move(binding);
  return handle;
}

void HotKeys::Unregister(int handle) {
  auto it = bindings_.find(handle);
  if (it == bindings_.end()) return;
  keybinder_unbind(it->second->accelerator.c_str(), OnPressed);
  bindings_.erase(it);
}

void HotKeys::OnPressed(const char *, void *data) {
  auto *binding = static_cast<Binding *>(data);
  // The press's time is known only now; the window it brings up is presented later.
  uint32_t time = keybinder_get_current_event_time();
  // A message box that waits for its answer holds the application: the press brings it
  // forward, as it does a waiting dialog, rather than waiting to toggle the search window
  // once the box is answered.
  if (GtkWindow *alert = WaitingAlert()) {
    gtk_window_present_with_time(alert, time);
    return;
  }
  binding->owner->focus_.HotKeyPressed(time);
  std::function<void()> pressed = binding->pressed;
  binding->owner->gate_.Run(pressed);
}

}  // namespace rt::gtk
