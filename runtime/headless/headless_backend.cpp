#include "runtime/headless/headless_backend.h"

#include <poll.h>

#include "runtime/core/clipboard.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window.h"

namespace rt {

void HeadlessBackend::RunLoop(const std::function<bool()> &finished) {
  while (!finished() && HasPendingEvents()) RunPendingEvents();
}

void HeadlessBackend::ShowMessage(const String &text) { messages.push_back(text.ToStd()); }

int HeadlessBackend::ShowMessageDialog(const MessageDialog &dialog) {
  dialogMessages.push_back(dialog.Message.ToStd());
  if (dialogAnswers_.empty()) {
    failures.push_back("message dialog \"" + dialog.Message.ToStd() + "\" found no scripted answer");
    return 1;
  }
  int answer = dialogAnswers_.front();
  dialogAnswers_.pop_front();
  return answer;
}

void HeadlessBackend::OpenURL(const String &url) { urls.push_back(url.ToStd()); }

void HeadlessBackend::RunModal(Window &window) {
  modalTitles.push_back(window.Title.ToStd());
  auto keep = window.shared_from_this();
  while (window.IsOpen() && !QuitRequested()) {
    RunPendingEvents();
    if (!window.IsOpen()) break;
    if (modalReactions_.empty()) {
      failures.push_back("modal window \"" + window.Title.ToStd() + "\" found no scripted reaction");
      window.Close();
      break;
    }
    ModalReaction reaction = std::move(modalReactions_.front());
    modalReactions_.pop_front();
    RunHandler([&] { reaction(window); });
  }
}

int HeadlessBackend::RegisterHotKey(uint32_t macKeyCode, uint32_t macModifierMask,
                                    std::function<void()> pressed) {
  if (refuseNextHotKey_) {
    refuseNextHotKey_ = false;
    return 0;
  }
  int handle = nextHotKeyHandle_++;
  hotKeys_[handle] = HotKeyRegistration{macKeyCode, macModifierMask, std::move(pressed)};
  return handle;
}

void HeadlessBackend::UnregisterHotKey(int handle) { hotKeys_.erase(handle); }

void HeadlessBackend::WatchReadable(int fd, std::function<void()> readable) {
  watches_[fd] = Watch{std::move(readable), false};
}

void HeadlessBackend::QueueReadableWatches() {
  std::vector<pollfd> fds;
  for (const auto &[fd, watch] : watches_) {
    if (!watch.queued) fds.push_back(pollfd{fd, POLLIN, 0});
  }
  if (fds.empty() || ::poll(fds.data(), fds.size(), 0) <= 0) return;
  for (const pollfd &p : fds) {
    if (!(p.revents & POLLIN)) continue;
    watches_[p.fd].queued = true;
    Post([this, fd = p.fd] {
      auto it = watches_.find(fd);
      if (it == watches_.end()) return;
      it->second.queued = false;
      std::function<void()> readable = it->second.readable;
      readable();
    });
  }
}

}  // namespace rt
