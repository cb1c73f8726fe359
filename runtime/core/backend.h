// What a backend does for the runtime core. The core holds every rule; a backend shows windows,
// feeds outside events in (keys, clicks, another application coming to the front) and runs the
// platform's loop. runtime/headless and runtime/gtk each implement this.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "runtime/core/string.h"

namespace rt {

class Window;
class Control;
class MenuBar;
class MessageDialog;

// The standard Edit menu commands a text field carries out.
enum class EditCommand { kCut, kCopy, kPaste, kClear, kSelectAll };

struct ScreenSize {
  int width = 0;
  int height = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Runs core events and the platform's own until `finished` holds or nothing is left to do.
  virtual void RunLoop(const std::function<bool()> &finished) = 0;
  // A core event was posted from outside the loop's own handlers.
  virtual void Wake() {}
  // Called now and then from the cooperative yield point; must run no event handler.
  virtual void Breathe() {}

  virtual void ShowMessage(const String &text) = 0;  // modal
  // Modal; returns 0 for the action button, 1 for cancel, 2 for the alternate action.
  virtual int ShowMessageDialog(const MessageDialog &dialog) = 0;
  virtual void OpenURL(const String &url) = 0;

  virtual std::optional<String> ClipboardText() = 0;
  virtual void SetClipboardText(const String &text) = 0;
  virtual ScreenSize MainScreen() = 0;

  // The core tells the backend what changed.
  virtual void WindowOpened(Window &) {}
  virtual void WindowChanged(Window &) {}  // visibility, position, size, title
  virtual void WindowClosed(Window &) {}
  virtual void WindowFocused(Window &) {}
  virtual void WindowToFront(Window &) {}  // a window already on screen is shown again
  virtual void ControlChanged(Control &) {}
  virtual void MenusChanged(MenuBar &) {}
  virtual void ApplicationToFront() {}
  // The platform's own text field carries out an Edit command on its selection and reports the
  // new text back. False when it cannot; the core then acts on the field's whole text.
  virtual bool EditNatively(Control &field, EditCommand command) {
    (void)field;
    (void)command;
    return false;
  }

  // Runs a nested loop until the window has closed.
  virtual void RunModal(Window &window) = 0;

  // A system-wide hot key. Returns a registration handle, or 0 when the key cannot be had.
  virtual int RegisterHotKey(uint32_t macKeyCode, uint32_t macModifierMask,
                             std::function<void()> pressed) = 0;
  virtual void UnregisterHotKey(int handle) = 0;

  // Runs `readable` as an event, one at a time with every other, each time `fd` can be read, until
  // StopWatching(fd). The fd is not looked at again before `readable` has run: it must take what
  // made the fd readable.
  virtual void WatchReadable(int fd, std::function<void()> readable) = 0;
  virtual void StopWatching(int fd) = 0;
};

}  // namespace rt
