#include "runtime/core/files.h"

#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/plugin/file_fixtures.h"
#include "tests/runtime/fifo_watch.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tovra-files-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Contents(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::set<std::string> Entries(const fs::path &folder) {
    std::set<std::string> names;
    for (auto &e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
  }
  static bool Save(const fs::path &path, std::string_view bytes) {
    auto out = rt::FolderItem(path).CreateBinaryFile("any");
    if (!out) return false;
    out->Write(bytes);
    return out->Close();
  }
  fs::path dir_;
};

// Sets the umask for one test.
class UmaskFor {
 public:
  explicit UmaskFor(mode_t mask) : old_(::umask(mask)) {}
  ~UmaskFor() { ::umask(old_); }

 private:
  mode_t old_;
};

// Makes every later change of a file's mode in this process fail with EPERM; false where that
// cannot be done.
bool RefuseModeChanges() {
#ifndef __x86_64__
  return false;
#else
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fchmod, 3, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fchmodat, 2, 0),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_chmod, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#endif
}

// Sets or unsets one environment variable for one test.
class EnvironmentFor {
 public:
  EnvironmentFor(const char *name, const char *value) : name_(name) {
    const char *old = getenv(name);
    if (old) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~EnvironmentFor() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char *name_;
  std::optional<std::string> old_;
};

mode_t PermissionBits(const fs::path &p) {
  struct stat info {};
  ::stat(p.c_str(), &info);
  return info.st_mode & 07777;
}

// Runs a program with its arguments, no shell between; its exit status, or -1.
int Run(std::vector<std::string> args) {
  std::vector<char *> argv;
  for (std::string &arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The value of one extended attribute, "" when there is none.
std::string Attribute(const fs::path &p, const char *name) {
  char value[4096];
  ssize_t n = ::getxattr(p.c_str(), name, value, sizeof value);
  return n < 0 ? "" : std::string(value, static_cast<size_t>(n));
}

// Gives a file in `folder` an ACL entry that keeps one user out and an attribute of its own,
// where the file system keeps them, and saves it; "" when the save worked and kept what was set.
std::string SaveKeepsAclAndAttributes(const fs::path &folder) {
  fs::path p = folder / "p";
  std::ofstream(p) << "old";
  ::chmod(p.c_str(), 0644);
  bool attributes = ::setxattr(p.c_str(), "user.tovra-test", "kept", 4, 0) == 0;
  bool acl = Run({"setfacl", "-m", "u:nobody:---", p.string()}) == 0;
  std::string entries = Attribute(p, "system.posix_acl_access");
  if (acl && entries.empty()) return "setfacl set no ACL";
  auto out = rt::FolderItem(p).CreateBinaryFile("any");
  if (!out) return "the file could not be created";
  out->Write("new");
  if (!out->Close()) return "the save failed";
  std::string lost;
  if (attributes && Attribute(p, "user.tovra-test") != "kept") lost += " the attribute";
  if (acl && Attribute(p, "system.posix_acl_access") != entries) lost += " the ACL";
  if (PermissionBits(p) != 0644) lost += " the permission bits";
  return lost.empty() ? "" : "lost" + lost;
}

TEST_F(FilesTest, StreamsAreBigEndianAndRoundTrip) {
  rt::FolderItem folder(dir_);
  auto file = folder.Child("x.bin");
  auto out = file->CreateBinaryFile("any");
  out->WriteLong(1);
  out->WriteShort(-2);
  out->WritePString("f3");
  out->Write("raw");
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(Contents(dir_ / "x.bin"), std::string("\0\0\0\1\xff\xfe\2f3raw", 12));

  auto in = file->OpenAsBinaryFile(false);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadLong(), 1);
  EXPECT_EQ(in->ReadShort(), -2);
  EXPECT_EQ(in->ReadPString().Bytes(), "f3");
  EXPECT_EQ(in->Read(3).Bytes(), "raw");
  EXPECT_TRUE(in->EndOfFile());
  EXPECT_FALSE(in->ReadPastEnd());
}

TEST_F(FilesTest, ReadingPastTheEndYieldsOnlyWhatIsThere) {
  std::ofstream(dir_ / "short.bin", std::ios::binary) << std::string("\0\0\5ab", 5);
  auto in = rt::FolderItem(dir_).Child("short.bin")->OpenAsBinaryFile();
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadShort(), 0);
  EXPECT_EQ(in->ReadPString().Bytes(), "ab");
  EXPECT_TRUE(in->ReadPastEnd());
  EXPECT_EQ(in->ReadLong(), 0);
}

TEST_F(FilesTest, AFileLongerThanItsSizeSaysIsReadToItsEnd) {
  auto in = rt::FolderItem("/proc/self/status").OpenAsBinaryFile();
  ASSERT_TRUE(in);
  std::string text(in->Read(1 << 20).Bytes());
  EXPECT_TRUE(in->ReadPastEnd());
  EXPECT_TRUE(in->EndOfFile());
  EXPECT_EQ(text.rfind("Name:", 0), 0u);
  EXPECT_NE(text.find("VmRSS:"), std::string::npos);
  EXPECT_EQ(in->Length(), text.size());
}

TEST_F(FilesTest, MissingFileOrFolderGivesNothing) {
  rt::FolderItem folder(dir_);
  EXPECT_FALSE(folder.Child("none")->OpenAsBinaryFile());
  EXPECT_FALSE(rt::FolderItem(dir_ / "no" / "such").CreateBinaryFile("any"));
  EXPECT_FALSE(folder.Child("../escape"));
}

TEST_F(FilesTest, ReplacementLandsOnlyOnClose) {
  std::ofstream(dir_ / "p", std::ios::binary) << "old";
  auto file = rt::FolderItem(dir_).Child("p");
  {
    auto out = file->CreateBinaryFile("any");
    out->Write("torn");
    // Dropped without Close, as when a save is interrupted: the old file stays whole.
  }
  EXPECT_EQ(Contents(dir_ / "p"), "old");
  auto out = file->CreateBinaryFile("any");
  out->Write("new");
  EXPECT_EQ(Contents(dir_ / "p"), "old");
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(Contents(dir_ / "p"), "new");
  size_t entries = 0;
  for (auto &e : fs::directory_iterator(dir_)) (void)e, ++entries;
  EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

TEST_F(FilesTest, AFifoIsNeverOpenedToWaitForAWriter) {
  fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FifoWatch watch(fifo);
  EXPECT_FALSE(rt::FolderItem(fifo).OpenAsBinaryFile());
  EXPECT_FALSE(rt::ReadWholeFile(fifo));
  EXPECT_FALSE(watch.Stop()) << "the FIFO was opened for reading";
}

// A save killed while it writes (here by the file size limit, at a fixed point) leaves its
// temporary file; the next save clears it, so no more than one is ever left.
TEST_F(FilesTest, KilledSavesLeaveAtMostOneTemporaryFile) {
  std::string big(1 << 20, 'x');
  for (int kill = 0; kill < 3; ++kill) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      rlimit noCore{0, 0};
      rlimit small{4096, 4096};
      ::setrlimit(RLIMIT_CORE, &noCore);
      ::setrlimit(RLIMIT_FSIZE, &small);
      ::signal(SIGXFSZ, SIG_DFL);
      Save(dir_ / "p", big);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not cut short";
    EXPECT_LE(Entries(dir_).size(), 1u) << "after " << kill + 1 << " killed saves";
  }
  ASSERT_TRUE(Save(dir_ / "p", "whole"));
  EXPECT_EQ(Entries(dir_), std::set<std::string>{"p"});
}

// Only names with the saves' own mark are leftovers: a hand-made hidden copy, a dated one or
// another tool's temporary file of the common ".name.XXXXXX" shape belongs to somebody else.
TEST_F(FilesTest, ClearingLeftoversTouchesOnlyTemporaryFilesOfThatFile) {
  for (const char *name : {".p.tovra-save-Ab12Cd", ".p.tovra-save-zz0099"}) std::ofstream(dir_ / name) << "left";
  std::set<std::string> others{".p.backup",           ".p.261209",           ".p.Ab12Cd",
                               ".p.tovra-save-Ab12C", ".p.tovra-save-Ab-2Cd", ".q.tovra-save-Ab12Cd",
                               "p.tovra-save-Ab12Cd", ".p.tovra-save-Dir123", ".p.tovra-save-Lnk123",
                               "outside"};
  for (const std::string &name : others) std::ofstream(dir_ / name) << "keep";
  fs::remove(dir_ / ".p.tovra-save-Dir123");
  fs::create_directory(dir_ / ".p.tovra-save-Dir123");
  fs::remove(dir_ / ".p.tovra-save-Lnk123");
  fs::create_symlink("outside", dir_ / ".p.tovra-save-Lnk123");

  ASSERT_TRUE(Save(dir_ / "p", "new"));
  others.insert("p");
  EXPECT_EQ(Entries(dir_), others);
  EXPECT_EQ(Contents(dir_ / "outside"), "keep");
}

// A device, FIFO, socket or folder at the end of the links (`ln -s /dev/null` to keep a program
// from keeping settings) is left as it is, never opened, and the save fails.
TEST_F(FilesTest, ASaveNeverReplacesWhatIsNotARegularFile) {
  fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::path socket = dir_ / "socket";
  int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
  fs::create_directory(dir_ / "folder");
  std::vector<fs::path> nodes{fifo, socket, dir_ / "folder"};
  // A device of its own, as only root can make one: the one /dev/null is.
  if (::mknod((dir_ / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) nodes.push_back(dir_ / "null");
  FifoWatch watch(fifo);
  for (const fs::path &node : nodes) {
    fs::create_symlink(node.filename(), dir_ / "link");
    fs::create_symlink("link", dir_ / "link to link");
    struct stat before {};
    ASSERT_EQ(::lstat(node.c_str(), &before), 0);
    for (const fs::path &path : {node, dir_ / "link", dir_ / "link to link"}) {
      EXPECT_FALSE(Save(path, "new")) << path;
      struct stat after {};
      ASSERT_EQ(::lstat(node.c_str(), &after), 0);
      EXPECT_EQ(after.st_ino, before.st_ino) << path << " was replaced";
      EXPECT_EQ(after.st_mode, before.st_mode) << path;
    }
    fs::remove(dir_ / "link");
    fs::remove(dir_ / "link to link");
  }
  EXPECT_FALSE(watch.Stop()) << "the save opened the FIFO";
  ::close(listener);
  std::set<std::string> names;
  for (const fs::path &node : nodes) names.insert(node.filename().string());
  EXPECT_EQ(Entries(dir_), names) << "a save left a file behind";
}

// The temporary file starts private and gets its final mode only once written: where the mode
// cannot be set (a file system refusing chmod, here a filter on the calls), a private file stays
// private instead of turning into a file anybody may read.
TEST_F(FilesTest, APrivateFileIsNeverReadableByOthersDuringOrAfterASave) {
  UmaskFor mask(0);
  std::ofstream(dir_ / "p") << "secret";
  fs::permissions(dir_ / "p", fs::perms(0600));
  int status = fake::InOtherProcess([&] {
    if (!RefuseModeChanges()) return 3;
    return Save(dir_ / "p", "new secret") ? 0 : 1;
  });
  if (status == 3) GTEST_SKIP() << "no seccomp filter can be installed here";
  ASSERT_EQ(status, 0);
  EXPECT_EQ(Contents(dir_ / "p"), "new secret");
  EXPECT_EQ(PermissionBits(dir_ / "p"), 0600u);
}

TEST_F(FilesTest, ReplacementWritesThroughLinksAndKeepsPermissionBits) {
  UmaskFor mask(002);
  fs::create_directory(dir_ / "real");
  std::ofstream(dir_ / "real" / "p") << "old";
  fs::permissions(dir_ / "real" / "p", fs::perms(0604));
  fs::create_symlink("real/p", dir_ / "link");
  fs::create_symlink(dir_ / "link", dir_ / "link to link");

  ASSERT_TRUE(Save(dir_ / "link to link", "new"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link to link"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
  EXPECT_EQ(Contents(dir_ / "real" / "p"), "new");
  EXPECT_EQ(PermissionBits(dir_ / "real" / "p"), 0604u);
  EXPECT_EQ(Entries(dir_ / "real"), std::set<std::string>{"p"});

  // A new file, also at the end of a link that points at nothing yet.
  fs::create_symlink("real/q", dir_ / "dangling");
  ASSERT_TRUE(Save(dir_ / "dangling", "q"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling"));
  EXPECT_EQ(Contents(dir_ / "real" / "q"), "q");
  EXPECT_EQ(PermissionBits(dir_ / "real" / "q"), 0664u);
  ASSERT_TRUE(Save(dir_ / "plain", "plain"));
  EXPECT_EQ(PermissionBits(dir_ / "plain"), 0664u);

  fs::create_symlink("loop", dir_ / "loop");
  EXPECT_FALSE(Save(dir_ / "loop", "x"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "loop"));
}

// A save by root (`sudo -E` keeps the user's XDG_CONFIG_HOME) leaves the file its owner's, so
// the user can still read it; the change of owner clears no set-id bit. A user who may not give
// the file away saves it as their own.
TEST_F(FilesTest, ASaveKeepsTheOwnerAndGroupWhereItMaySetThem) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can save a file that another user owns";
  const struct {
    mode_t mode;
    uid_t uid;
    gid_t gid;
  } cases[] = {{0600, 65534, 65534}, {0640, 0, 65534}, {06755, 65534, 65534}};
  fs::path p = dir_ / "p";
  for (const auto &c : cases) {
    std::ofstream(p) << "old";
    ASSERT_EQ(::chown(p.c_str(), c.uid, c.gid), 0);
    ASSERT_EQ(::chmod(p.c_str(), c.mode), 0);
    ASSERT_TRUE(Save(p, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(p.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, c.uid) << std::oct << c.mode;
    EXPECT_EQ(info.st_gid, c.gid) << std::oct << c.mode;
    EXPECT_EQ(info.st_mode & 07777, c.mode);
    fs::remove(p);
  }

  fs::permissions(dir_, fs::perms(0777));
  std::ofstream(p) << "root's";
  int status = fake::InOtherProcess([&] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 2;
    return Save(p, "nobody's") ? 0 : 1;
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(Contents(p), "nobody's");
  struct stat info {};
  ASSERT_EQ(::stat(p.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
}

// An ACL entry that keeps one user out (on a file anybody else may read) and the file's own
// attributes survive a save; on a file system that keeps neither the save works all the same.
TEST_F(FilesTest, ASaveKeepsTheAclAndExtendedAttributes) {
  EXPECT_EQ(SaveKeepsAclAndAttributes(dir_), "");
  if (::geteuid() != 0) GTEST_SKIP() << "only root can mount the file systems that keep less";
  for (const char *type : {"tmpfs", "ramfs"}) {
    std::optional<std::string> failed = fake::InOwnMountNamespace([&]() -> std::string {
      fs::path mounted = dir_ / type;
      fs::create_directory(mounted);
      if (::mount("none", mounted.c_str(), type, 0, nullptr) != 0) return "not mounted";
      return SaveKeepsAclAndAttributes(mounted);
    });
    EXPECT_EQ(failed.value_or("no mount namespace"), "") << type;
  }
}

// The desktop's base-directory rules ask for a configuration folder only its user may read: one
// that another user could read would also let them take its lock.
TEST_F(FilesTest, APreferencesFolderTovraMakesIsPrivate) {
  UmaskFor mask(022);
  fs::create_directories(dir_ / "home");
  fs::permissions(dir_ / "home", fs::perms(0755));
  const struct {
    const char *xdg;  // below dir_
    std::vector<std::pair<const char *, mode_t>> modes;
  } cases[] = {
      {"home/made/made too", {{"home", 0755}, {"home/made", 0700}, {"home/made/made too", 0700}}},
      {nullptr, {{"home", 0755}, {"home/.config", 0700}}},
      {"home", {{"home", 0755}}},
  };
  EnvironmentFor home("HOME", (dir_ / "home").c_str());
  for (const auto &c : cases) {
    std::string xdg = c.xdg ? (dir_ / c.xdg).string() : "";
    EnvironmentFor config("XDG_CONFIG_HOME", c.xdg ? xdg.c_str() : nullptr);
    ASSERT_TRUE(rt::SpecialFolder::Preferences());
    for (const auto &[folder, mode] : c.modes) {
      EXPECT_TRUE(fs::is_directory(dir_ / folder)) << folder;
      EXPECT_EQ(PermissionBits(dir_ / folder), mode) << folder;
    }
  }
}

TEST_F(FilesTest, PreferencesFolderFollowsXdgConfigHome) {
  const char *old = getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
  auto folder = rt::SpecialFolder::Preferences();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Path(), dir_ / "cfg");
  EXPECT_TRUE(fs::is_directory(dir_ / "cfg"));
  unsetenv("XDG_CONFIG_HOME");
  std::string home = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", dir_.c_str(), 1);
  EXPECT_EQ(rt::SpecialFolder::Preferences()->Path(), dir_ / ".config");
  setenv("HOME", home.c_str(), 1);
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
