// The lock that keeps one running copy: taken once, whoever asks, dropped with its process however
// it ends, never handed to the programs the copy starts, and never waiting on what sits at its
// path.
#include "runtime/core/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <string>

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

}  // namespace
