// A backend with no display: deterministic, for tests. It records what the application shows
// and opens, and answers each modal window and message dialog from a queue of scripted
// reactions. A modal window that finds no reaction is a test failure, never a hang.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "runtime/core/backend.h"

namespace rt {

class HeadlessBackend : public Backend {
 public:
  using ModalReaction = std::function<void(Window &)>;

  struct HotKeyRegistration {
    uint32_t keyCode = 0;
    uint32_t modifierMask = 0;
    std::function<void()> pressed;
  };

  // Scripting.
  void QueueModalReaction(ModalReaction reaction) { modalReactions_.push_back(std::move(reaction)); }
  void QueueDialogAnswer(int button) { dialogAnswers_.push_back(button); }
  size_t PendingReactions() const { return modalReactions_.size() + dialogAnswers_.size(); }
  void SetClipboard(std::optional<String> text) { clipboard_ = std::move(text); }
  void SetScreen(ScreenSize size) { screen_ = size; }
  void RefuseNextHotKey() { refuseNextHotKey_ = true; }

  // What happened.
  std::vector<std::string> messages;        // every MsgBox text, in order
  std::vector<std::string> dialogMessages;  // every MessageDialog's message, in order
  std::vector<std::string> urls;            // every URL handed to ShowURL
  std::vector<std::string> failures;        // scripting faults the test must report
  std::vector<std::string> modalTitles;     // every window run modally, in order
  int applicationToFrontCount = 0;
  int focusCount = 0;
  const std::map<int, HotKeyRegistration> &HotKeys() const { return hotKeys_; }

  // Backend.
  void RunLoop(const std::function<bool()> &finished) override;
  void ShowMessage(const String &text) override;
  int ShowMessageDialog(const MessageDialog &dialog) override;
  void OpenURL(const String &url) override;
  std::optional<String> ClipboardText() override { return clipboard_; }
  void SetClipboardText(const String &text) override { clipboard_ = text; }
  ScreenSize MainScreen() override { return screen_; }
  void WindowFocused(Window &) override { ++focusCount; }
  void ApplicationToFront() override { ++applicationToFrontCount; }
  void RunModal(Window &window) override;
  int RegisterHotKey(uint32_t macKeyCode, uint32_t macModifierMask,
                     std::function<void()> pressed) override;
  void UnregisterHotKey(int handle) override;
  void WatchReadable(int fd, std::function<void()> readable) override;
  void StopWatching(int fd) override { watches_.erase(fd); }
  // Queues the handler of each watched descriptor that can be read now.
  void QueueReadableWatches();

 private:
  std::deque<ModalReaction> modalReactions_;
  std::deque<int> dialogAnswers_;
  std::optional<String> clipboard_;
  ScreenSize screen_{1024, 768};
  bool refuseNextHotKey_ = false;
  int nextHotKeyHandle_ = 1;
  std::map<int, HotKeyRegistration> hotKeys_;
  struct Watch {
    std::function<void()> readable;
    bool queued = false;
  };
  std::map<int, Watch> watches_;
};

}  // namespace rt
