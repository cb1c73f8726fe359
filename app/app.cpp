#include "app/app.h"

#include "app/hotkey/carbon_hot_key.h"
#include "app/hotkey/hot_key_event_handler.h"
#include "app/plugin_entries.h"
#include "app/store/preferences.h"
#include "app/windows/about_window.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window.h"

namespace tovra {

App::~App() {
  thePreferences.reset();
  eventHandler.reset();
  HotKeyRef.reset();
}

void App::Event_NewDocument() {}

void App::Event_Open() {
  thePreferences = std::make_shared<Preferences>();
  thePreferences->hotkey = "f3";
  thePreferences->hotkeyModifier = "none";
  thePreferences->LoadPreferences();
  PluginFunction<void (*)()>(kUseQRVCFPlugin)();
  eventHandler = std::make_shared<HotKeyEventHandler>();
  eventHandler->Listen();
  SetupHotkey();
  // The application runs on without a hot key and retries nothing.
  ReportRefusedHotkey();
}

void App::Event_EnableMenuItems() {
  if (!MenuBar) return;
  if (auto about = MenuBar->Find("FileAboutTovra")) about->Enabled = true;
}

bool App::_FileAboutTovra_Action() {
  rt::Window::Create<AboutWindow>();
  return true;
}

namespace the {
std::shared_ptr<tovra::App> App() {
  auto app = std::dynamic_pointer_cast<tovra::App>(rt::RuntimeAppObject());
  if (!app) throw rt::RuntimeError("IllegalCastException");
  return app;
}
}  // namespace the

}  // namespace tovra
