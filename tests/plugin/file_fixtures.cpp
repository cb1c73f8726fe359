#include "tests/plugin/file_fixtures.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

namespace fake {
namespace {

constexpr long kTmpfsMagic = 0x01021994;

bool IsTmpfs(const char *folder) {
  struct statfs info {};
  return statfs(folder, &info) == 0 && info.f_type == kTmpfsMagic && access(folder, W_OK) == 0;
}

}  // namespace

ScratchFolder::ScratchFolder(Where where) {
  std::string base = ::testing::TempDir();
  if (where == kTmpfs) {
    if (!IsTmpfs("/dev/shm")) {
      return;
    }
    base = "/dev/shm/";
  }
  std::string pattern = base + "qrv-files-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) {
    path_ = pattern;
  }
}

ScratchFolder::~ScratchFolder() {
  if (!path_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
}

std::string ScratchFolder::MakeNested(const std::string &from, size_t levels) {
  std::string folder = from;
  for (size_t level = 0; level < levels; ++level) {
    folder += "/level " + std::to_string(level);
  }
  std::filesystem::create_directories(folder);
  return folder;
}

int InOtherProcess(const std::function<int()> &work) {
  const pid_t child = fork();
  if (child == 0) {
    _exit(work());
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

std::optional<std::string> BytesFromOtherProcess(const std::function<std::optional<std::string>()> &make) {
  int ends[2];
  if (pipe(ends) != 0) {
    return std::nullopt;
  }
  const int status = InOtherProcess([&] {
    close(ends[0]);
    const std::optional<std::string> bytes = make();
    const bool written = bytes && write(ends[1], bytes->data(), bytes->size()) == static_cast<ssize_t>(bytes->size());
    close(ends[1]);
    return written ? 0 : 1;
  });
  close(ends[1]);
  std::string bytes;
  char buffer[256];
  for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(ends[0]);
  return status == 0 ? std::optional<std::string>(bytes) : std::nullopt;
}

std::optional<std::string> InOwnMountNamespace(const std::function<std::string()> &work) {
  // The first byte tells whether the work ran at all.
  const std::optional<std::string> report = BytesFromOtherProcess([&]() -> std::optional<std::string> {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return "-";
    }
    return "+" + work();
  });
  if (!report || report->empty()) {
    return std::string("the process with its own mounts did not finish");
  }
  return (*report)[0] == '+' ? std::optional<std::string>(report->substr(1)) : std::nullopt;
}

bool MountTmpfs(const std::string &folder) {
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return mount("tmpfs", folder.c_str(), "tmpfs", 0, "mode=0755") == 0;
}

}  // namespace fake
