// The lock that keeps one running copy: taken once, dropped with its process however it ends,
// never handed to the programs the copy starts, and never waiting on what sits at its path.
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
#include <string>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using State = rt::InstanceLock::State;

class InstanceLock : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tovra-lock-XXXXXX";
    folder = mkdtemp(tmpl);
    lockFile = folder / "test.lock";
  }
  void TearDown() override { fs::remove_all(folder); }

  fs::path folder;
  fs::path lockFile;
};

TEST_F(InstanceLock, SecondTakerIsRefusedUntilTheFirstLetsGo) {
  std::optional<rt::InstanceLock> first(std::in_place, lockFile);
  EXPECT_EQ(first->state(), State::kHeld);
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kHeldElsewhere);
  EXPECT_EQ(rt::InstanceLock(folder / "other.lock").state(), State::kHeld);
  first.reset();
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kHeld);
}

TEST_F(InstanceLock, KilledHolderLeavesTheLockFree) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    rt::InstanceLock lock(lockFile);
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
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kHeldElsewhere);
  kill(holder, SIGKILL);
  ASSERT_EQ(waitpid(holder, nullptr, 0), holder);
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kHeld);
}

TEST_F(InstanceLock, ProgramsTheHolderStartsDoNotKeepIt) {
  std::optional<rt::InstanceLock> lock(std::in_place, lockFile);
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
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kHeld);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST_F(InstanceLock, WhatIsNotARegularFileNeitherBlocksNorLocks) {
  ASSERT_EQ(mkfifo(lockFile.c_str(), 0600), 0);
  EXPECT_EQ(rt::InstanceLock(lockFile).state(), State::kUnavailable);
  fs::create_symlink(folder / "elsewhere.lock", folder / "link.lock");
  EXPECT_EQ(rt::InstanceLock(folder / "link.lock").state(), State::kUnavailable);
  EXPECT_FALSE(fs::exists(folder / "elsewhere.lock"));
  EXPECT_EQ(rt::InstanceLock(folder / "missing" / "x.lock").state(), State::kUnavailable);
}

}  // namespace
