#include "app/hotkey/hot_key_event_handler.h"

#include <memory>

#include "app/windows/main_window.h"
#include "runtime/core/clipboard.h"  // rt::Screen

namespace tovra {
namespace {

// The runtime turns a double into an integer by dropping the fraction.
int32_t ToInteger(double value) { return static_cast<int32_t>(value); }

}  // namespace

HotKeyEventHandler::HotKeyEventHandler()
    : base_("CarbonApplicationEventsQRV", kCarbonApplicationEventsExit, kCarbonApplicationEventsInit) {
  rt::SetEventSink(base_.Get(), this);
}

HotKeyEventHandler::~HotKeyEventHandler() { rt::SetEventSink(base_.Get(), nullptr); }

void HotKeyEventHandler::Listen() {
  PluginFunction<void (*)(HostObject)>(kCarbonApplicationEventsListen)(Object());
}

void HotKeyEventHandler::RaiseHostEvent(std::string_view event, intptr_t a, intptr_t b) {
  // HotKeyReleased has no handler here.
  if (event == "HotKeyPressed") Event_HotKeyPressed(static_cast<int32_t>(a), static_cast<int32_t>(b));
}

void HotKeyEventHandler::Event_HotKeyPressed(int32_t a, int32_t b) {
  (void)a;
  (void)b;
  std::shared_ptr<MainWindow> window = the::MainWindow();
  if (window->Visible()) {
    window->Hide();
    return;
  }
  BringUpSearchWindow();
}

void BringUpSearchWindow() {
  std::shared_ptr<MainWindow> window = the::MainWindow();
  // Centred on the whole main screen, wherever the user last moved it.
  rt::ScreenSize screen = rt::Screen(0);
  window->SetLeft(ToInteger(static_cast<double>(screen.width - window->Width()) * 0.5));
  window->SetTop(ToInteger(static_cast<double>(screen.height - window->Height()) * 0.5));
  window->Show();
  window->SetFocus();
  // The runtime's application object has no host record; the property is the whole process's.
  PluginFunction<void (*)(HostObject, bool)>(kApplicationFrontmostSet)(nullptr, true);
}

}  // namespace tovra
