#include "app/startup.h"

#include "app/app.h"
#include "app/hotkey_menu.h"
#include "app/plugin_entries.h"
#include "app/single_copy.h"
#include "app/store/preferences_ft.h"
#include "app/windows/main_window.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window_list.h"
#include "runtime/external_classes.h"

namespace tovra {

int ProgramEntry(rt::Backend &backend, const std::filesystem::path &pluginFolder,
                 rt::InstanceListener *secondStarts) {
  rt::RuntimeInit(backend);
  if (secondStarts) AnswerSecondStarts(backend, *secondStarts);
  rt::RunHandler([&] { _Main(pluginFolder); });
  if (secondStarts) backend.StopWatching(secondStarts->Descriptor());
  rt::ForgetAllWindows();
  ReleaseModuleObjects();
  return rt::RuntimeExit();
}

void _Main(const std::filesystem::path &pluginFolder) {
  rt::InitExternalClasses(pluginFolder);
  _InitPluginEntrypoints();
  _InitFileTypes();
  _NewAppInstance();
  _ApplicationAddMenuHandlers();
  _MakeDefaultView();
  rt::RuntimeRun();
}

void _InitFileTypes() { PreferencesFT::_Initialize(); }

void _NewAppInstance() {
  auto app = std::make_shared<App>();
  if (!app) throw rt::NilObjectError();
  app->MenuBar = the::HotKeyMenu();
  rt::RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers() {
  std::weak_ptr<App> app = the::App();
  the::App()->menuHandlers.Bind("FileAboutTovra", [app] {
    auto a = app.lock();
    return a && a->_FileAboutTovra_Action();
  });
}

void _MakeDefaultView() { (void)the::MainWindow(); }

void ReleaseModuleObjects() {
  ReleaseHotKeyMenu();
  PreferencesFT::Release();
}

}  // namespace tovra
