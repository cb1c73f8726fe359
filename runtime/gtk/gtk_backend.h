// The desktop backend: real GTK 3 windows and controls, global hot keys through keybinder-3.0,
// on an X11 display. It shows the runtime core's state and feeds the user's actions back in;
// every rule stays in the core. This header names no GTK type, so its users need no GTK headers.
#pragma once

#include <memory>

#include "runtime/core/backend.h"

namespace rt {

class GtkBackend : public Backend {
 public:
  // Connects to the X11 display; nothing when there is none.
  static std::unique_ptr<GtkBackend> Open(int *argc, char ***argv);
  ~GtkBackend() override;
  GtkBackend(const GtkBackend &) = delete;
  GtkBackend &operator=(const GtkBackend &) = delete;

  void RunLoop(const std::function<bool()> &finished) override;
  void Wake() override;
  void Breathe() override;

  void ShowMessage(const String &text) override;
  int ShowMessageDialog(const MessageDialog &dialog) override;
  void OpenURL(const String &url) override;

  std::optional<String> ClipboardText() override;
  void SetClipboardText(const String &text) override;
  ScreenSize MainScreen() override;

  void WindowOpened(Window &window) override;
  void WindowChanged(Window &window) override;
  void WindowClosed(Window &window) override;
  void WindowFocused(Window &window) override;
  void WindowToFront(Window &window) override;
  void ControlChanged(Control &control) override;
  void MenusChanged(MenuBar &bar) override;
  void ApplicationToFront() override;
  bool EditNatively(Control &field, EditCommand command) override;

  void RunModal(Window &window) override;

  int RegisterHotKey(uint32_t macKeyCode, uint32_t macModifierMask,
                     std::function<void()> pressed) override;
  void UnregisterHotKey(int handle) override;
  void WatchReadable(int fd, std::function<void()> readable) override;
  void StopWatching(int fd) override;

 private:
  struct Parts;
  GtkBackend();
  std::unique_ptr<Parts> parts_;
};

}  // namespace rt
