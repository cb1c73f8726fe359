// The application object: it owns the live store, the hot key listener and the current hot key
// registration for the whole run.
#pragma once

#include <memory>

#include "runtime/core/application.h"

namespace tovra {

class Preferences;
class HotKeyEventHandler;
class CarbonHotKeyQRV;

class App : public rt::Application {
 public:
  ~App() override;

  std::shared_ptr<Preferences> thePreferences;
  std::shared_ptr<HotKeyEventHandler> eventHandler;
  std::shared_ptr<CarbonHotKeyQRV> HotKeyRef;

  void Event_NewDocument() override;
  void Event_Open() override;
  void Event_EnableMenuItems() override;
  bool _FileAboutTovra_Action();
  void SetupHotkey();
  // Shows "The Hotkey could not be registered!" when the last SetupHotkey was refused, then brings
  // up the search window.
  void ReportRefusedHotkey() const;
};

namespace the {
// The object the runtime holds as the application object; a cast error when it is no App.
std::shared_ptr<tovra::App> App();
}  // namespace the

}  // namespace tovra
