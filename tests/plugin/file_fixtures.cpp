#include "tests/plugin/file_fixtures.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

extern char **environ;

namespace fake {
namespace {

constexpr long kTmpfsMagic = 0x01021994;

bool IsTmpfs(const char *folder) {
  struct statfs info {};
  return statfs(folder, &info) == 0 && info.f_type == kTmpfsMagic && access(folder, W_OK) == 0;
}

std::string Why(const std::string &what) { return what + ": " + std::strerror(errno); }

std::string ProgramPath(const std::string &name) {
  if (name.find('/') != std::string::npos) {
    return name;
  }
  const char *path = std::getenv("PATH");
  std::string folders = std::string(path != nullptr ? path : "") + ":/usr/sbin:/sbin:/usr/bin:/bin";
  for (size_t start = 0; start <= folders.size();) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

// A sparse file of `megabytes`, made afresh.
std::string MakeImage(const std::string &image, off_t megabytes) {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(image).parent_path(), ignored);
  const int fd = open(image.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    return Why("cannot make " + image);
  }
  const bool sized = ftruncate(fd, megabytes << 20) == 0;
  const std::string why = sized ? "" : Why("cannot size " + image);
  close(fd);
  return why;
}

// Attaches `image` to a free loop device that lets go of it at its last close, and mounts that;
// the device is closed here, so unmounting the file system releases it.
std::string MountLoop(const std::string &image, const std::string &folder, const char *type) {
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const int file = open(image.c_str(), O_RDWR | O_CLOEXEC);
  if (file < 0) {
    return Why("cannot open " + image);
  }
  const int control = open("/dev/loop-control", O_RDWR | O_CLOEXEC);
  if (control < 0) {
    close(file);
    return Why("no loop devices (/dev/loop-control)");
  }
  std::string why = "no free loop device";
  // Another process may take the free device between asking and attaching.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int number = ioctl(control, LOOP_CTL_GET_FREE);
    if (number < 0) {
      why = Why("no free loop device");
      break;
    }
    const std::string device = "/dev/loop" + std::to_string(number);
    const int loop = open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (loop < 0) {
      why = Why("cannot open " + device);
      break;
    }
    loop_config config{};
    config.fd = static_cast<uint32_t>(file);
    config.info.lo_flags = LO_FLAGS_AUTOCLEAR;
    bool attached = ioctl(loop, LOOP_CONFIGURE, &config) == 0;
    if (!attached && errno != EBUSY) {
      // Kernels before 5.8, and emulators that do not pass the newer call on.
      attached = ioctl(loop, LOOP_SET_FD, file) == 0;
      if (attached && ioctl(loop, LOOP_SET_STATUS64, &config.info) != 0) {
        why = Why("cannot set up " + device);
        ioctl(loop, LOOP_CLR_FD, 0);
        close(loop);
        break;
      }
    }
    if (!attached) {
      why = Why("cannot attach " + device);
      close(loop);
      if (errno == EBUSY) {
        continue;
      }
      break;
    }
    why = mount(device.c_str(), folder.c_str(), type, 0, nullptr) == 0
              ? ""
              : Why(std::string("cannot mount ") + type + " from " + device);
    close(loop);
    break;
  }
  close(control);
  close(file);
  return why;
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
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    const std::optional<std::string> bytes = make();
    bool written = bytes.has_value();
    for (size_t at = 0; written && at < bytes->size();) {
      const ssize_t put = write(ends[1], bytes->data() + at, bytes->size() - at);
      written = put > 0;
      at += written ? static_cast<size_t>(put) : 0;
    }
    _exit(written ? 0 : 1);
  }
  close(ends[1]);
  // Read before waiting: more than a pipe holds would keep the child from ending.
  std::string bytes;
  char buffer[4096];
  for (ssize_t got; child > 0 && (got = read(ends[0], buffer, sizeof buffer)) > 0;) {
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(ends[0]);
  int status = 0;
  const bool exited = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
  return exited && WEXITSTATUS(status) == 0 ? std::optional<std::string>(bytes) : std::nullopt;
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

std::string RunProgram(const std::vector<std::string> &arguments) {
  const std::string program = arguments.empty() ? "" : ProgramPath(arguments[0]);
  if (program.empty()) {
    return (arguments.empty() ? std::string("nothing") : arguments[0]) + " not found";
  }
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) {
    return Why("no pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output[1], 1);
  posix_spawn_file_actions_adddup2(&actions, output[1], 2);
  std::vector<char *> argv;
  for (const std::string &argument : arguments) {
    argv.push_back(const_cast<char *>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string printed;
  char buffer[512];
  for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) {
    printed.append(buffer, static_cast<size_t>(got));
  }
  close(output[0]);
  if (spawned != 0) {
    return arguments[0] + ": " + std::strerror(spawned);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) {
    return Why(arguments[0] + " was lost");
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    return "";
  }
  std::string lastLine = printed.substr(0, printed.find_last_not_of('\n') + 1);
  lastLine.erase(0, lastLine.rfind('\n') + 1);
  return arguments[0] + (WIFEXITED(status) ? " exited " + std::to_string(WEXITSTATUS(status)) : " was killed") +
         (lastLine.empty() ? "" : ": " + lastLine);
}

std::string MountExt4Image(const std::string &image, const std::string &folder) {
  std::string why = MakeImage(image, 64);
  if (why.empty()) {
    why = RunProgram({"mkfs.ext4", "-q", "-F", image});
  }
  return why.empty() ? MountLoop(image, folder, "ext4") : why;
}

std::string MountBtrfsImage(const std::string &image, const std::string &folder) {
  // The smallest a btrfs of separate data and metadata is made at.
  std::string why = MakeImage(image, 128);
  if (why.empty()) {
    why = RunProgram({"mkfs.btrfs", "-q", "-f", image});
  }
  return why.empty() ? MountLoop(image, folder, "btrfs") : why;
}

std::string MountXinoOverlay(const std::string &layers, const std::string &folder,
                             const std::function<void(const std::string &lower)> &fillLower) {
  const std::string lowerMount = layers + "/lower";
  const std::string upperMount = layers + "/upper";
  if (!MountTmpfs(lowerMount) || !MountTmpfs(upperMount)) {
    return Why("cannot mount the layers' tmpfs");
  }
  const std::string lower = lowerMount + "/layer";
  const std::string upper = upperMount + "/layer";
  const std::string work = upperMount + "/work";
  std::error_code ignored;
  for (const std::string &made : {lower, upper, work, folder}) {
    std::filesystem::create_directories(made, ignored);
  }
  fillLower(lower);
  const std::string options = "lowerdir=" + lower + ",upperdir=" + upper + ",workdir=" + work + ",xino=on";
  if (mount("overlay", folder.c_str(), "overlay", 0, options.c_str()) != 0) {
    return Why("cannot mount an overlay with xino");
  }
  // Lower entries keep their number in the layer's bits; the overlay marks them in the high ones.
  for (const std::filesystem::directory_entry &entry : std::filesystem::directory_iterator(lower, ignored)) {
    struct statx inLayer {};
    struct statx inOverlay {};
    const std::string seen = folder + "/" + entry.path().filename().string();
    if (statx(AT_FDCWD, entry.path().c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO, &inLayer) != 0 ||
        statx(AT_FDCWD, seen.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO, &inOverlay) != 0) {
      return Why("cannot look at " + seen);
    }
    if (inLayer.stx_ino >> 32 == inOverlay.stx_ino >> 32) {
      return "the overlay does not shift inode numbers (no xino)";
    }
    return "";
  }
  return "nothing in the lower layer to check xino by";
}

std::string MakeBtrfsSubvolume(const std::string &path) { return RunProgram({"btrfs", "-q", "subvolume", "create", path}); }

std::string MakeBtrfsSnapshot(const std::string &from, const std::string &to) {
  return RunProgram({"btrfs", "-q", "subvolume", "snapshot", from, to});
}

}  // namespace fake
