#include "runtime/core/instance_signal.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <optional>

namespace rt {
namespace {

constexpr char kComeForward = 'F';
// A start of this user that connects and sends nothing holds a descriptor; the oldest goes first.
constexpr size_t kMostWaiting = 8;

struct Address {
  sockaddr_un address{};
  socklen_t length = 0;
};

// The folder's device and inode name it however it is reached (a link, another spelling).
std::optional<Address> AddressOf(const std::filesystem::path &folder) {
  struct stat st{};
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  Address a;
  a.address.sun_family = AF_UNIX;
  // sun_path[0] stays 0: the abstract namespace.
  int n = std::snprintf(a.address.sun_path + 1, sizeof a.address.sun_path - 1, "tovra-%llx-%llx",
                        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
  a.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(n));
  return a;
}

bool OfThisUser(int socket) {
  ucred peer{};
  socklen_t length = sizeof peer;
  return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
         peer.uid == ::geteuid();
}

}  // namespace

InstanceListener::InstanceListener(const std::filesystem::path &folder) {
  std::optional<Address> a = AddressOf(folder);
  if (!a) return;
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return;
  poller_ = ::epoll_create1(EPOLL_CLOEXEC);
  epoll_event in{};
  in.events = EPOLLIN;
  in.data.fd = listener_;
  if (poller_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr *>(&a->address), a->length) != 0 ||
      ::listen(listener_, 16) != 0 || ::epoll_ctl(poller_, EPOLL_CTL_ADD, listener_, &in) != 0) {
    if (poller_ >= 0) ::close(poller_);
    ::close(listener_);
    poller_ = listener_ = -1;
  }
}

InstanceListener::~InstanceListener() {
  for (int c : waiting_) ::close(c);
  if (poller_ >= 0) ::close(poller_);
  if (listener_ >= 0) ::close(listener_);
}

void InstanceListener::Forget(int connection) {
  ::close(connection);  // which also takes it out of the poller
  waiting_.erase(std::find(waiting_.begin(), waiting_.end(), connection));
}

bool InstanceListener::TakeRequests() {
  if (listener_ < 0) return false;
  for (;;) {
    int c = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      break;
    }
    epoll_event in{};
    in.events = EPOLLIN;
    in.data.fd = c;
    if (!OfThisUser(c) || ::epoll_ctl(poller_, EPOLL_CTL_ADD, c, &in) != 0) {
      ::close(c);
      continue;
    }
    if (waiting_.size() == kMostWaiting) Forget(waiting_.front());
    waiting_.push_back(c);
  }
  // A connection may be taken before its byte has come: it waits in the poller for it.
  bool requested = false;
  for (int c : std::vector<int>(waiting_)) {
    char request = 0;
    ssize_t n = ::recv(c, &request, 1, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
    if (n == 1 && request == kComeForward) requested = true;
    Forget(c);
  }
  return requested;
}

// Nothing here blocks: a Unix socket's connect either finds room in the listener's queue at once,
// which the kernel keeps also for a copy that is stopped, or fails.
bool AskRunningCopyToComeForward(const std::filesystem::path &folder) {
  std::optional<Address> a = AddressOf(folder);
  if (!a) return false;
  int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (s < 0) return false;
  bool told = ::connect(s, reinterpret_cast<const sockaddr *>(&a->address), a->length) == 0 && OfThisUser(s) &&
              ::send(s, &kComeForward, 1, MSG_DONTWAIT | MSG_NOSIGNAL) == 1;
  ::close(s);
  return told;
}

}  // namespace rt
