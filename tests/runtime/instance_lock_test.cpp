// The lock that keeps one running copy: taken once, whoever asks, dropped with its process however
// it ends, never handed to the programs the copy starts, and never waiting on what sits at its
// path. The running copy hears a second start of its own user, and of no other.
#include "runtime/core/instance_lock.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <string>

#include "runtime/core/instance_signal.h"
#include "tests/plugin/file_fixtures.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using State = rt::InstanceLock::State;

class InstanceLock : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tovra-lock-XXXXXX";
    scratch = mkdtemp(tmpl);
    lockedFolder = scratch / "folder";
    fs::create_directory(lockedFolder);
  }
  void TearDown() override { fs::remove_all(scratch); }

  fs::path scratch;
  fs::path lockedFolder;
};

TEST_F(InstanceLock, SecondTakerIsRefusedUntilTheFirstLetsGo) {
  std::optional<rt::InstanceLock> first(std::in_place, lockedFolder);
  EXPECT_EQ(first->state(), State::kHeld);
  EXPECT_EQ(rt::InstanceLock(lockedFolder).state(), State::kHeldElsewhere);
  EXPECT_EQ(rt::InstanceLock(scratch).state(), State::kHeld);
  // Through a link the folder is the same one.
  fs::create_directory_symlink(lockedFolder, scratch / "link");
  EXPECT_EQ(rt::InstanceLock(scratch / "link").state(), State::kHeldElsewhere);
  first.reset();
  EXPECT_EQ(rt::InstanceLock(lockedFolder).state(), State::kHeld);
}

// As after a start with sudo: whoever holds it, another user who may read the folder is refused.
TEST_F(InstanceLock, AnotherUserIsRefusedToo) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can take the lock as another user";
  fs::permissions(scratch, fs::perms(0755));
  fs::permissions(lockedFolder, fs::perms(0755));
  rt::InstanceLock root(lockedFolder);
  ASSERT_EQ(root.state(), State::kHeld);
  const int state = fake::InOtherProcess([&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return 9;
    return static_cast<int>(rt::InstanceLock(lockedFolder).state());
  });
  EXPECT_EQ(state, static_cast<int>(State::kHeldElsewhere));
}

TEST_F(InstanceLock, KilledHolderLeavesTheLockFree) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    rt::InstanceLock lock(lockedFolder);
    const char held = lock.state() == State::kHeld ? 'y' : 'n';
    (void)!write(ready[1], &held, 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  close(ready[0]);
  EXPECT_EQ(held, 'y');
  EXPECT_EQ(rt::InstanceLock(lockedFolder).state(), State::kHeldElsewhere);
  kill(holder, SIGKILL);
  ASSERT_EQ(waitpid(holder, nullptr, 0), holder);
  EXPECT_EQ(rt::InstanceLock(lockedFolder).state(), State::kHeld);
}

TEST_F(InstanceLock, ProgramsTheHolderStartsDoNotKeepIt) {
  std::optional<rt::InstanceLock> lock(std::in_place, lockedFolder);
  ASSERT_EQ(lock->state(), State::kHeld);
  pid_t child = 0;
  char program[] = "sleep";
  char seconds[] = "30";
  char *argv[] = {program, seconds, nullptr};
  ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, argv, environ), 0);
  // Under an emulator the spawn is a plain fork, and the child holds the lock's copy until it
  // runs the program: wait for that.
  std::error_code error;
  const fs::path childProgram = fs::path("/proc") / std::to_string(child) / "exe";
  for (int i = 0; i < 500 && fs::read_symlink(childProgram, error).filename() != "sleep"; ++i) {
    usleep(10'000);
  }
  lock.reset();
  EXPECT_EQ(rt::InstanceLock(lockedFolder).state(), State::kHeld);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST_F(InstanceLock, WhatIsNotAFolderNeitherBlocksNorLocks) {
  const fs::path fifo = scratch / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(rt::InstanceLock(fifo).state(), State::kUnavailable);
  std::ofstream(scratch / "file") << "a file";
  EXPECT_EQ(rt::InstanceLock(scratch / "file").state(), State::kUnavailable);
  EXPECT_EQ(rt::InstanceLock(scratch / "missing").state(), State::kUnavailable);
  EXPECT_FALSE(fs::exists(scratch / "missing"));
}

// Where a running copy listens: the address two copies of any build agree on.
struct ListenerAddress {
  explicit ListenerAddress(const fs::path &folder) {
    struct stat st{};
    EXPECT_EQ(stat(folder.c_str(), &st), 0);
    address.sun_family = AF_UNIX;
    int n = snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "tovra-%llx-%llx",
                     static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  }
  const sockaddr *Get() const { return reinterpret_cast<const sockaddr *>(&address); }
  sockaddr_un address{};
  socklen_t length = 0;
};

int ConnectTo(const ListenerAddress &a) {
  int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s >= 0 && connect(s, a.Get(), a.length) != 0) {
    close(s);
    return -1;
  }
  return s;
}

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

TEST_F(InstanceLock, ASecondStartReachesTheListenerOfItsFolderOnce) {
  EXPECT_FALSE(rt::AskRunningCopyToComeForward(lockedFolder)) << "nobody listens yet";
  std::optional<rt::InstanceListener> listener(std::in_place, lockedFolder);
  ASSERT_GE(listener->Descriptor(), 0);
  EXPECT_LT(rt::InstanceListener(lockedFolder).Descriptor(), 0) << "one listener per folder";
  EXPECT_FALSE(rt::AskRunningCopyToComeForward(scratch));
  EXPECT_FALSE(Readable(listener->Descriptor()));
  fs::create_directory_symlink(lockedFolder, scratch / "link");
  EXPECT_TRUE(rt::AskRunningCopyToComeForward(scratch / "link"));
  EXPECT_TRUE(rt::AskRunningCopyToComeForward(lockedFolder));
  EXPECT_TRUE(Readable(listener->Descriptor()));
  EXPECT_TRUE(listener->TakeRequests());
  EXPECT_FALSE(Readable(listener->Descriptor())) << "all was taken";
  EXPECT_FALSE(listener->TakeRequests());
  listener.reset();
  EXPECT_FALSE(rt::AskRunningCopyToComeForward(lockedFolder));
}

TEST_F(InstanceLock, OnlyTheRequestByteAsksEvenWhenItComesLate) {
  rt::InstanceListener listener(lockedFolder);
  const ListenerAddress address(lockedFolder);
  const char request = 'F', other = 'x';
  int late = ConnectTo(address);
  int probe = ConnectTo(address);
  int wrong = ConnectTo(address);
  ASSERT_GE(late, 0);
  ASSERT_GE(probe, 0);
  ASSERT_GE(wrong, 0);
  EXPECT_FALSE(listener.TakeRequests()) << "nothing was sent yet";
  close(probe);
  ASSERT_EQ(send(wrong, &other, 1, MSG_NOSIGNAL), 1);
  EXPECT_TRUE(Readable(listener.Descriptor()));
  EXPECT_FALSE(listener.TakeRequests());
  EXPECT_FALSE(Readable(listener.Descriptor())) << "what was no request is gone";
  ASSERT_EQ(send(late, &request, 1, MSG_NOSIGNAL), 1);
  EXPECT_TRUE(Readable(listener.Descriptor()));
  EXPECT_TRUE(listener.TakeRequests());
  close(late);
  close(wrong);
}

// Anyone may take an abstract name: neither side deals with another user.
TEST_F(InstanceLock, AnotherUserIsNeitherHeardNorTold) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  const ListenerAddress address(lockedFolder);
  {
    rt::InstanceListener listener(lockedFolder);
    const int sent = fake::InOtherProcess([&] {
      if (setgid(65534) != 0 || setuid(65534) != 0) return 9;
      const char request = 'F';
      int s = ConnectTo(address);
      return s >= 0 && send(s, &request, 1, MSG_NOSIGNAL) == 1 ? 0 : 8;
    });
    ASSERT_EQ(sent, 0);
    EXPECT_FALSE(listener.TakeRequests());
  }
  // Another user listens where the copy would: the second start tells it nothing.
  int ready[2], go[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(go), 0);
  const pid_t squatter = fork();
  ASSERT_GE(squatter, 0);
  if (squatter == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(9);
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    const char listening = bind(s, address.Get(), address.length) == 0 && listen(s, 4) == 0 ? 'y' : 'n';
    (void)!write(ready[1], &listening, 1);
    char c;
    (void)!read(go[0], &c, 1);
    int connection = accept4(s, nullptr, nullptr, SOCK_NONBLOCK);
    char got;
    _exit(connection >= 0 && recv(connection, &got, 1, 0) == 1 ? 1 : 0);
  }
  close(ready[1]);
  close(go[0]);
  char listening = 0;
  ASSERT_EQ(read(ready[0], &listening, 1), 1);
  EXPECT_EQ(listening, 'y');
  EXPECT_FALSE(rt::AskRunningCopyToComeForward(lockedFolder));
  EXPECT_LT(rt::InstanceListener(lockedFolder).Descriptor(), 0);
  (void)!write(go[1], "g", 1);
  int status = 0;
  ASSERT_EQ(waitpid(squatter, &status, 0), squatter);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the squatter was sent a request";
  close(ready[0]);
  close(go[1]);
}

}  // namespace
