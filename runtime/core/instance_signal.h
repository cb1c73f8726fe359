// A second start asks the running copy to come forward through a Unix stream socket in the
// abstract namespace, named after the folder whose lock they share. No session bus is needed, and
// nothing is left on disk when a copy is killed. Any user can take an abstract name, so each side
// asks the kernel who the other is (SO_PEERCRED) and deals only with its own user.
#pragma once

#include <filesystem>
#include <vector>

namespace rt {

class InstanceListener {
 public:
  // Listens for requests of this user on `folder`; nothing is listened to when the folder cannot
  // be named or its name is taken already.
  explicit InstanceListener(const std::filesystem::path &folder);
  ~InstanceListener();
  InstanceListener(const InstanceListener &) = delete;
  InstanceListener &operator=(const InstanceListener &) = delete;

  // Readable whenever TakeRequests has something to take; -1 when nothing is listened to.
  int Descriptor() const { return poller_; }
  // Takes what has come in, without ever waiting: true when a start of this user asked for the
  // copy to come forward.
  bool TakeRequests();

 private:
  void Forget(int connection);

  int listener_ = -1;
  int poller_ = -1;  // the listener and the connections whose request has not come in yet
  std::vector<int> waiting_;
};

// Asks the copy listening on `folder` to come forward, without waiting on it: true when a copy of
// this user was told.
bool AskRunningCopyToComeForward(const std::filesystem::path &folder);

}  // namespace rt
