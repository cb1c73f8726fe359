// App.SetupHotkey: registers the stored hot key. It looks at no result; its callers, the start-up
// and the editor's Done, report a refusal with ReportRefusedHotkey.
#include "app/app.h"
#include "app/hotkey/carbon_hot_key.h"
#include "app/hotkey/hot_key_event_handler.h"
#include "app/hotkey/key_names.h"
#include "app/plugin_entries.h"
#include "app/store/preferences.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"

namespace tovra {
namespace {

constexpr intptr_t kHotKeyId = 5;

}  // namespace

void App::SetupHotkey() {
  // The old object goes with this assignment, and its registration with it, before the new
  // AddKey: the same key can be had again.
  HotKeyRef = std::make_shared<CarbonHotKeyQRV>();
  int32_t keyCode = Utilities::KeyNameToKeyCode(rt::Deref(thePreferences).hotkey);
  int32_t mask = Utilities::ModifierNameToMask(thePreferences->hotkeyModifier);
  intptr_t signature =
      PluginFunction<intptr_t (*)(HostString)>(kOSTypeFromString)(rt::String("QRVG").Record());
  HotKeyRef->AddKey(keyCode, mask, signature, kHotKeyId);
}

void App::ReportRefusedHotkey() const {
  if (rt::Deref(HotKeyRef).LastError() == 0) return;
  rt::MsgBox("The Hotkey could not be registered!");
  // Without a hot key the search window's File menu is the way to Preferences. It comes up once
  // the reporting handler has ended: after Done, the editor is closed by then.
  rt::Post(BringUpSearchWindow);
}

}  // namespace tovra
