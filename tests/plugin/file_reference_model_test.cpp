// Seeded random work on each file system the machine can mount, against a model of what is
// where: every FSRef, made and followed in this process or in a fresh one, names its own file or
// folder or nothing, and every FSSpec names its own folder's place or nothing.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/plugin/file_fixtures.h"
#include "tests/plugin/probe/file_reference_requests.h"

extern char **environ;

namespace {

// A fresh process answering requests on pipes; a new one when asked, so that what one has
// followed does not help the next.
class Probe {
 public:
  ~Probe() { Stop(); }

  bool Start() {
    Stop();
    int toProbe[2];
    int fromProbe[2];
    if (pipe2(toProbe, O_CLOEXEC) != 0) return false;
    if (pipe2(fromProbe, O_CLOEXEC) != 0) {
      close(toProbe[0]);
      close(toProbe[1]);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toProbe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromProbe[1], 1);
    char program[] = FILE_REFERENCE_PROBE_PATH;
    char *argv[] = {program, nullptr};
    const int spawned = posix_spawn(&pid_, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toProbe[0]);
    close(fromProbe[1]);
    to_ = toProbe[1];
    from_ = fromProbe[0];
    if (spawned != 0) {
      pid_ = -1;
      Stop();
      return false;
    }
    ++instance_;
    return true;
  }

  // The answer line, or nothing when the probe is gone.
  std::optional<std::string> Ask(const std::string &request) {
    const std::string line = request + "\n";
    for (size_t at = 0; at < line.size();) {
      const ssize_t put = write(to_, line.data() + at, line.size() - at);
      if (put <= 0) return std::nullopt;
      at += static_cast<size_t>(put);
    }
    for (size_t end; (end = buffered_.find('\n')) == std::string::npos;) {
      char buffer[512];
      const ssize_t got = read(from_, buffer, sizeof buffer);
      if (got <= 0) return std::nullopt;
      buffered_.append(buffer, static_cast<size_t>(got));
    }
    const size_t end = buffered_.find('\n');
    std::string answer = buffered_.substr(0, end);
    buffered_.erase(0, end + 1);
    return answer;
  }

  int instance() const { return instance_; }

 private:
  void Stop() {
    if (to_ >= 0) close(to_);
    if (from_ >= 0) close(from_);
    to_ = from_ = -1;
    buffered_.clear();
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  int instance_ = 0;
  std::string buffered_;
};

struct Node {
  bool folder = false;
  int parent = -1;
  std::string name;
  bool alive = true;
  bool replaced = false;   // by a safe save
  std::string lastPath;    // where it was when it went
  bool subvolume = false;  // a btrfs subvolume's root folder (the mount's root is one too)
  // A snapshot's empty stand-in for a subvolume nested in its source: nothing goes in or moves.
  bool standIn = false;
  std::vector<std::string> history;
};

struct Record {
  bool isRef = false;
  int node = -1;    // FSRef: what it names
  int folder = -1;  // FSSpec: the place it names
  std::string name;
  std::string hex;
  int maker = 0;  // 0 for this process, else the probe's instance
  std::vector<std::string> history;
};

struct Tally {
  int resolutions = 0;
  int wrong = 0;
  int recordsMade = 0;
  int recordsRefused = 0;
  int unexpectedFailures = 0;
  int sameNumberInPlace = 0;  // FSSpecs of a deleted folder that named the folder now in its place
  // FSRef resolutions of files that are still there (only moved or renamed), and how many found them.
  int livingFiles[2] = {0, 0};  // [in the making process, in another]
  int livingFound[2] = {0, 0};
  // The same for files below a subvolume or snapshot other than the mount's root.
  int nestedFiles[2] = {0, 0};
  int nestedFound[2] = {0, 0};
};

constexpr int kShownWrongAnswers = 3;
// Of each history shown, the last lines.
constexpr size_t kShownHistory = 12;
constexpr size_t kLongestFolderPath = 3000;
// What btrfs numbers a snapshot's stand-in for a nested subvolume.
constexpr ino_t kStandInInode = 2;

// The report's paths from the mount ("mount/..."), and a padded name as its start and length.
std::string Shortened(const std::string &text, const std::string &root) {
  std::string out;
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, root.size(), root) == 0) {
      out += "mount";
      at += root.size();
      continue;
    }
    const char padding = text[at];
    size_t end = at;
    while (end < text.size() && text[end] == padding) ++end;
    if ((padding == 'x' || padding == 'y') && end - at >= 5) {
      const size_t start = text.find_last_of("/ \"", at);
      out += padding;
      out += "...(" + std::to_string(end - (start == std::string::npos ? 0 : start + 1)) + " bytes)";
      at = end;
      continue;
    }
    out += text[at++];
  }
  return out;
}

class World {
 public:
  World(std::string root, uint32_t seed, bool btrfs)
      : root_(std::move(root)), seed_(seed), btrfs_(btrfs), random_(seed) {
    Node top;
    top.folder = true;
    top.subvolume = btrfs;
    top.name = "(root)";
    nodes_.push_back(top);
  }

  // Items made in `folder` (an overlay's lower layer, before it is mounted) as if in the root.
  void FillBelow(const std::string &folder) {
    const std::string kept = root_;
    root_ = folder;
    for (int i = 0; i < 12; ++i) {
      const int into = RandomFolder();
      if (i % 3 == 0) MakeFolder(into); else MakeFile(into);
    }
    root_ = kept;
    for (Node &item : nodes_) {
      for (std::string &line : item.history) line = Shortened(line, folder) + " in the lower layer";
    }
  }

  void Run(int steps) {
    if (!probe_.Start()) {
      ++tally_.unexpectedFailures;
      report_ << "the probe did not start\n";
      return;
    }
    // A fresh mount's first numbers go to folders in its root folder.
    MakeFolder(0);
    MakeFolder(0);
    for (step_ = 1; step_ <= steps; ++step_) {
      const int roll = Pick(btrfs_ ? 104 : 100);
      if (roll < 16) MakeFile(RandomFolder());
      else if (roll < 22) MakeFolder(RandomFolder());
      else if (roll < 28) DeleteFile();
      else if (roll < 31) DeleteFolder();
      else if (roll < 37) Rename();
      else if (roll < 43) Move();
      else if (roll < 49) SafeSave();
      else if (roll < 70) MakeRecord();
      else if (roll < 100) Resolve();
      else if (roll < 102) MakeSubvolume();
      else Snapshot();
    }
  }

  // First line: the counts; then the wrong answers shown and the count of each kind.
  std::string Report() const {
    std::ostringstream out;
    out << tally_.resolutions << ' ' << tally_.wrong << ' ' << tally_.livingFiles[0] << ' ' << tally_.livingFound[0]
        << ' ' << tally_.livingFiles[1] << ' ' << tally_.livingFound[1] << ' ' << tally_.nestedFiles[0] << ' '
        << tally_.nestedFound[0] << ' ' << tally_.nestedFiles[1] << ' ' << tally_.nestedFound[1] << ' ' << tally_.recordsMade << ' '
        << tally_.recordsRefused << ' ' << tally_.unexpectedFailures << ' ' << tally_.sameNumberInPlace << '\n'
        << Shortened(report_.str(), root_);
    for (const auto &[kind, count] : kinds_) out << "  " << count << " x " << kind << '\n';
    return out.str();
  }

 private:
  int Pick(size_t count) { return count == 0 ? -1 : static_cast<int>(random_() % count); }

  std::string PathOf(int node) const {
    return node == 0 ? root_ : PathOf(nodes_[node].parent) + "/" + nodes_[node].name;
  }

  std::string Describe(int node) const {
    const Node &item = nodes_[node];
    return std::string(item.folder ? "folder #" : "file #") + std::to_string(node) + " " +
           (item.alive ? "at " + PathOf(node) : item.replaced ? "(replaced)" : "(deleted)");
  }

  void Note(int node, const std::string &what) {
    nodes_[node].history.push_back("step " + std::to_string(step_) + ": " + what);
  }

  std::string Tag(int node) const { return "model file " + std::to_string(node) + " of seed " + std::to_string(seed_); }

  std::vector<int> Living(bool folders, bool withRoot = false) const {
    std::vector<int> found;
    for (size_t node = withRoot ? 0 : 1; node < nodes_.size(); ++node) {
      if (nodes_[node].alive && nodes_[node].folder == folders) found.push_back(static_cast<int>(node));
    }
    return found;
  }

  // One that items can be made in and moved to, with room for their paths.
  int RandomFolder() {
    std::vector<int> folders;
    for (int folder : Living(true, true)) {
      if (!nodes_[folder].standIn && PathOf(folder).size() < kLongestFolderPath) folders.push_back(folder);
    }
    return folders[Pick(folders.size())];
  }

  bool Taken(int folder, const std::string &name) const {
    for (size_t node = 1; node < nodes_.size(); ++node) {
      if (nodes_[node].alive && nodes_[node].parent == folder && nodes_[node].name == name) return true;
    }
    return false;
  }

  // Short names, names that leave an FSSpec little or no room beside them, and now and then a
  // name that an item of this folder had before.
  std::string NameIn(int folder, bool forFile = false) {
    std::vector<std::string> &used = usedNames_[folder];
    if (!used.empty() && Pick(5) == 0) {
      const std::string &again = used[Pick(used.size())];
      if (!Taken(folder, again)) return again;
    }
    std::string name = "n" + std::to_string(++names_);
    const int style = Pick(6);
    if (style == 0) name.resize(63, 'x');
    else if (style == 1) name.resize(40 + Pick(23), 'y');
    else if (style == 2 && forFile) name += ".txt";
    used.push_back(name);
    return name;
  }

  void Unexpected(const std::string &what) {
    ++tally_.unexpectedFailures;
    if (tally_.unexpectedFailures <= kShownWrongAnswers) {
      report_ << "step " << step_ << ": " << what << " failed: " << std::strerror(errno) << '\n';
    }
  }

  bool WriteTag(const std::string &path, int node, int flags) {
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | flags, 0644);
    if (fd < 0) return false;
    const std::string tag = Tag(node);
    const bool written = write(fd, tag.data(), tag.size()) == static_cast<ssize_t>(tag.size());
    close(fd);
    return written;
  }

  int AddNode(bool folder, int parent, const std::string &name) {
    Node item;
    item.folder = folder;
    item.parent = parent;
    item.name = name;
    nodes_.push_back(item);
    return static_cast<int>(nodes_.size() - 1);
  }

  void MakeFile(int folder) {
    const std::string name = NameIn(folder, true);
    const int node = AddNode(false, folder, name);
    if (!WriteTag(PathOf(node), node, O_CREAT | O_EXCL)) {
      Unexpected("making " + PathOf(node));
      nodes_[node].alive = false;
      return;
    }
    Note(node, "made at " + PathOf(node));
  }

  void MakeFolder(int folder) {
    const std::string name = NameIn(folder);
    const int node = AddNode(true, folder, name);
    if (mkdir(PathOf(node).c_str(), 0755) != 0) {
      Unexpected("making folder " + PathOf(node));
      nodes_[node].alive = false;
      return;
    }
    Note(node, "made at " + PathOf(node));
  }

  void DeleteFile() {
    const std::vector<int> files = Living(false);
    if (files.empty()) return;
    const int node = files[Pick(files.size())];
    if (unlink(PathOf(node).c_str()) != 0) return Unexpected("deleting " + PathOf(node));
    Gone(node);
  }

  void Gone(int node) {
    nodes_[node].lastPath = PathOf(node);
    Note(node, "deleted at " + nodes_[node].lastPath);
    nodes_[node].alive = false;
  }

  void DeleteFolder() {
    std::vector<int> items(nodes_.size());
    for (const Node &item : nodes_) {
      if (item.alive && item.parent >= 0) ++items[item.parent];
    }
    std::vector<int> empty;
    for (int folder : Living(true)) {
      if (items[folder] == 0) empty.push_back(folder);
    }
    if (empty.empty()) return;
    const int node = empty[Pick(empty.size())];
    if (rmdir(PathOf(node).c_str()) != 0) {
      if (!nodes_[node].subvolume && !nodes_[node].standIn) Unexpected("deleting folder " + PathOf(node));
      return;
    }
    Gone(node);
  }

  // Gives false where the file system does not move this item there (another subvolume, a
  // folder of an overlay's lower layer).
  bool MoveTo(int node, int folder, const std::string &name) {
    const std::string from = PathOf(node);
    const std::string to = PathOf(folder) + "/" + name;
    if (rename(from.c_str(), to.c_str()) != 0) {
      if (errno != EXDEV) Unexpected("moving " + from + " to " + to);
      return false;
    }
    nodes_[node].parent = folder;
    nodes_[node].name = name;
    Note(node, "moved from " + from + " to " + to);
    return true;
  }

  int AnyItem() {
    std::vector<int> items = Living(false);
    const std::vector<int> folders = Living(true);
    items.insert(items.end(), folders.begin(), folders.end());
    return items.empty() ? -1 : items[Pick(items.size())];
  }

  int MovableItem() {
    const int node = AnyItem();
    return node >= 0 && !nodes_[node].standIn ? node : -1;
  }

  void Rename() {
    const int node = MovableItem();
    if (node >= 0) MoveTo(node, nodes_[node].parent, NameIn(nodes_[node].parent));
  }

  bool InNestedSubvolume(int node) const {
    for (int at = nodes_[node].parent; at > 0; at = nodes_[at].parent) {
      if (nodes_[at].subvolume) return true;
    }
    return false;
  }

  bool Inside(int folder, int node) const {
    for (int at = folder; at > 0; at = nodes_[at].parent) {
      if (at == node) return true;
    }
    return false;
  }

  void Move() {
    const int node = MovableItem();
    if (node < 0) return;
    const int folder = RandomFolder();
    if (folder == nodes_[node].parent || Inside(folder, node)) return;
    const std::string &name = nodes_[node].name;
    MoveTo(node, folder, Taken(folder, name) ? NameIn(folder) : name);
  }

  // A new file written beside the old one and renamed over it, as editors save.
  void SafeSave() {
    const std::vector<int> files = Living(false);
    if (files.empty()) return;
    const int old = files[Pick(files.size())];
    const int folder = nodes_[old].parent;
    const int node = AddNode(false, folder, NameIn(folder, true));
    const std::string temporary = PathOf(node);
    if (!WriteTag(temporary, node, O_CREAT | O_EXCL)) {
      nodes_[node].alive = false;
      return Unexpected("making " + temporary);
    }
    const std::string path = PathOf(old);
    if (rename(temporary.c_str(), path.c_str()) != 0) {
      unlink(temporary.c_str());
      nodes_[node].alive = false;
      return Unexpected("saving over " + path);
    }
    nodes_[node].name = nodes_[old].name;
    nodes_[old].alive = false;
    nodes_[old].replaced = true;
    Note(old, "replaced at " + path + " by file #" + std::to_string(node));
    Note(node, "made at " + temporary + " and saved over file #" + std::to_string(old) + " at " + path);
  }

  // A subvolume or snapshot that the tool made ("" from it), or an unexpected failure.
  bool BecameSubvolume(int node, const std::string &why) {
    if (!why.empty()) {
      nodes_[node].alive = false;
      report_ << "step " << step_ << ": " << why << '\n';
      ++tally_.unexpectedFailures;
      return false;
    }
    nodes_[node].subvolume = true;
    return true;
  }

  void MakeSubvolume() {
    const int folder = RandomFolder();
    const int node = AddNode(true, folder, NameIn(folder));
    if (!BecameSubvolume(node, fake::MakeBtrfsSubvolume(PathOf(node)))) return;
    Note(node, "made as a subvolume at " + PathOf(node));
  }

  // The snapshot's items are new ones, each given a tag of its own, the source's untouched.
  void Snapshot() {
    std::vector<int> sources;
    for (int folder : Living(true, true)) {
      if (nodes_[folder].subvolume) sources.push_back(folder);
    }
    const int source = sources[Pick(sources.size())];
    const int folder = RandomFolder();
    const int node = AddNode(true, folder, NameIn(folder));
    if (!BecameSubvolume(node, fake::MakeBtrfsSnapshot(PathOf(source), PathOf(node)))) return;
    Note(node, "made as a snapshot of " + Describe(source) + " at " + PathOf(node));
    AddCopies(node);
  }

  void AddCopies(int folder) {
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(PathOf(folder), error)) {
      const bool isFolder = entry.is_directory(error);
      const int node = AddNode(isFolder, folder, entry.path().filename().string());
      struct stat info {};
      nodes_[node].standIn = isFolder && lstat(PathOf(node).c_str(), &info) == 0 && info.st_ino == kStandInInode;
      Note(node, std::string("copied by the snapshot to ") + PathOf(node) + (nodes_[node].standIn ? " (a stand-in)" : ""));
      if (isFolder) {
        AddCopies(node);
      } else if (!WriteTag(PathOf(node), node, O_TRUNC)) {
        Unexpected("tagging " + PathOf(node));
      }
    }
  }

  // One request, in this process or in the probe (`where` is the probe's instance).
  std::optional<std::string> Ask(const std::string &request, int where) {
    if (where == 0) return probe::Answer(request);
    return probe_.Ask(request);
  }

  int Where() {
    if (Pick(2) == 0) return 0;
    // A new probe now and then, which has followed nothing yet.
    if (Pick(6) == 0 && !probe_.Start()) Unexpected("starting the probe");
    return probe_.instance();
  }

  static std::string Process(int where) { return where == 0 ? "this process" : "probe " + std::to_string(where); }

  void MakeRecord() {
    Record record;
    record.isRef = Pick(2) == 0;
    record.maker = Where();
    std::string path;
    if (record.isRef) {
      record.node = Pick(20) == 0 ? 0 : AnyItem();
      if (record.node < 0) return;
      path = PathOf(record.node);
    } else {
      record.node = AnyItem();
      // A place with no item yet, now and then.
      if (record.node < 0 || Pick(6) == 0) {
        record.node = -1;
        record.folder = RandomFolder();
        record.name = NameIn(record.folder);
      } else {
        record.folder = nodes_[record.node].parent;
        record.name = nodes_[record.node].name;
      }
      path = PathOf(record.folder) + "/" + record.name;
    }
    const std::optional<std::string> answer = Ask((record.isRef ? "ref " : "spec ") + path, record.maker);
    const size_t space = answer ? answer->find(' ') : std::string::npos;
    if (space == std::string::npos) {
      ++tally_.recordsRefused;
      return;
    }
    record.hex = answer->substr(space + 1);
    record.history.push_back("step " + std::to_string(step_) + ": " + (record.isRef ? "FSRef" : "FSSpec") +
                             " made in " + Process(record.maker) + " of " + path);
    ++tally_.recordsMade;
    records_.push_back(record);
  }

  bool FolderAt(const std::string &path) const {
    for (int folder : Living(true, true)) {
      if (PathOf(folder) == path) return true;
    }
    return false;
  }

  // What the model has at `path`, to say which item a wrong answer named.
  std::string WhatIsAt(const std::string &path) const {
    for (size_t node = 0; node < nodes_.size(); ++node) {
      if (nodes_[node].alive && PathOf(static_cast<int>(node)) == path) return Describe(static_cast<int>(node));
    }
    std::string content;
    char buffer[128];
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const ssize_t got = fd >= 0 ? read(fd, buffer, sizeof buffer) : -1;
    if (fd >= 0) close(fd);
    return got > 0 ? "a file holding \"" + std::string(buffer, static_cast<size_t>(got)) + "\""
                   : "nothing the model knows";
  }

  // Device and inode, for whoever looks into a wrong answer.
  static std::string Numbers(const std::string &path) {
    struct statx info {};
    const std::string folder = path.substr(0, path.rfind('/'));
    std::string numbers;
    for (const std::string &item : {path, folder}) {
      numbers += item == path ? "item " : ", its folder ";
      if (statx(AT_FDCWD, item.c_str(), AT_SYMLINK_NOFOLLOW, STATX_INO, &info) != 0) {
        numbers += "missing";
      } else {
        char inode[40];
        std::snprintf(inode, sizeof inode, " inode 0x%llx", static_cast<unsigned long long>(info.stx_ino));
        numbers += std::to_string(info.stx_dev_major) + ":" + std::to_string(info.stx_dev_minor) + inode;
      }
    }
    return numbers;
  }

  bool HoldsTag(const std::string &path, int node) const {
    char buffer[128];
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    close(fd);
    return got > 0 && std::string(buffer, static_cast<size_t>(got)) == Tag(node);
  }

  void ShowHistory(const std::vector<std::string> &history, const char *indent) {
    const size_t from = history.size() > kShownHistory ? history.size() - kShownHistory : 0;
    if (from > 0) report_ << indent << "(" << from << " earlier steps)\n";
    for (size_t line = from; line < history.size(); ++line) report_ << indent << history[line] << '\n';
  }

  std::string Expected(const Record &record) const {
    const int subject = record.isRef ? record.node : record.folder;
    return nodes_[subject].alive ? " (" + Numbers(record.isRef ? PathOf(subject) : PathOf(subject) + "/" + record.name) + ")" : "";
  }

  void Resolve() {
    if (records_.empty()) return;
    Record &record = records_[Pick(records_.size())];
    const int where = Where();
    const std::optional<std::string> answer = Ask((record.isRef ? "path-ref " : "path-spec ") + record.hex, where);
    if (!answer) return Unexpected("asking the probe");
    const size_t space = answer->find(' ');
    const std::optional<std::string> path =
        space == std::string::npos ? std::nullopt : std::optional<std::string>(answer->substr(space + 1));
    const bool byMaker = where == record.maker;
    ++tally_.resolutions;
    bool right = !path;
    std::string kind;
    if (record.isRef) {
      const Node &item = nodes_[record.node];
      if (path) {
        right = item.alive && (item.folder ? *path == PathOf(record.node) : HoldsTag(*path, record.node));
      }
      if (!item.folder && item.alive) {
        ++tally_.livingFiles[byMaker ? 0 : 1];
        tally_.livingFound[byMaker ? 0 : 1] += right && path ? 1 : 0;
        if (InNestedSubvolume(record.node)) {
          ++tally_.nestedFiles[byMaker ? 0 : 1];
          tally_.nestedFound[byMaker ? 0 : 1] += right && path ? 1 : 0;
        }
      }
      kind = std::string("FSRef of a ") + (item.alive ? "living " : item.replaced ? "replaced " : "deleted ") +
             (item.folder ? "folder" : "file");
    } else {
      const Node &folder = nodes_[record.folder];
      if (path) right = folder.alive && *path == PathOf(record.folder) + "/" + record.name;
      // An FSSpec holds only numbers of its folder: a folder made in the place of its own, with
      // its number again, cannot be told from it.
      if (path && !folder.alive && *path == folder.lastPath + "/" + record.name && FolderAt(folder.lastPath)) {
        right = true;
        ++tally_.sameNumberInPlace;
      }
      kind = std::string("FSSpec in a ") + (folder.alive ? "living" : "deleted") + " folder";
    }
    record.history.push_back("step " + std::to_string(step_) + ": resolved in " + Process(where) + ": " + *answer);
    if (right) return;
    ++tally_.wrong;
    ++kinds_[kind + (byMaker ? ", resolved by its maker" : ", resolved by another process")];
    if (tally_.wrong > kShownWrongAnswers) return;
    report_ << "step " << step_ << ": " << kind << " gave " << *path << ", which is " << WhatIsAt(*path) << " (" << Numbers(*path) << ")"
            << "; expected " << (record.isRef ? (nodes_[record.node].alive ? PathOf(record.node) : "nothing")
                                 : nodes_[record.folder].alive ? PathOf(record.folder) + "/" + record.name
                                                               : "nothing")
            << Expected(record) << '\n';
    ShowHistory(record.history, "    ");
    const int subject = record.isRef ? record.node : record.folder;
    report_ << "    " << Describe(subject) << ":\n";
    ShowHistory(nodes_[subject].history, "      ");
  }

  std::string root_;
  uint32_t seed_;
  bool btrfs_;
  std::mt19937 random_;
  int step_ = 0;
  int names_ = 0;
  std::vector<Node> nodes_;
  std::map<int, std::vector<std::string>> usedNames_;
  std::vector<Record> records_;
  Probe probe_;
  Tally tally_;
  std::map<std::string, int> kinds_;
  std::ostringstream report_;
};

struct FileSystem {
  const char *name;
  bool btrfs;
  // Mounts the file system at `at`, with its images and layers in `scratch`; "" or why not.
  std::function<std::string(const std::string &scratch, const std::string &at, World &world)> mount;
};

void PrintTo(const FileSystem &fileSystem, std::ostream *out) { *out << fileSystem.name; }

const FileSystem kFileSystems[] = {
    {"ext4", false,
     [](const std::string &scratch, const std::string &at, World &) {
       return fake::MountExt4Image(scratch + "/ext4.img", at);
     }},
    {"btrfs", true,
     [](const std::string &scratch, const std::string &at, World &) {
       return fake::MountBtrfsImage(scratch + "/btrfs.img", at);
     }},
    {"tmpfs", false,
     [](const std::string &, const std::string &at, World &) {
       return fake::MountTmpfs(at) ? std::string() : std::string("cannot mount a tmpfs");
     }},
    {"overlay", false,
     [](const std::string &scratch, const std::string &at, World &world) {
       return fake::MountXinoOverlay(scratch + "/layers", at, [&](const std::string &lower) { world.FillBelow(lower); });
     }},
};

std::vector<uint32_t> Seeds() {
  if (const char *seed = std::getenv("TOVRA_MODEL_SEED")) return {static_cast<uint32_t>(std::strtoul(seed, nullptr, 10))};
  return {1, 2, 3};
}

int Steps() {
  const char *steps = std::getenv("TOVRA_MODEL_STEPS");
  return steps != nullptr ? std::atoi(steps) : 600;
}

class FileReferenceModel : public ::testing::TestWithParam<FileSystem> {};

TEST_P(FileReferenceModel, RecordsNameTheirOwnItemOrNothing) {
  const FileSystem &fileSystem = GetParam();
  Tally total;
  for (uint32_t seed : Seeds()) {
    fake::ScratchFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    const std::optional<std::string> report = fake::InOwnMountNamespace([&]() -> std::string {
      signal(SIGPIPE, SIG_IGN);
      std::error_code ignored;
      const std::string at = scratch.path() + "/mount";
      std::filesystem::create_directories(at, ignored);
      World world(std::filesystem::canonical(at, ignored).string(), seed, fileSystem.btrfs);
      const std::string why = fileSystem.mount(scratch.path(), at, world);
      if (!why.empty()) return "skip " + why;
      world.Run(Steps());
      return world.Report();
    });
    if (!report) GTEST_SKIP() << "no mount namespace of its own (not root)";
    if (report->rfind("skip ", 0) == 0) GTEST_SKIP() << report->substr(5);
    std::istringstream lines(*report);
    Tally tally;
    lines >> tally.resolutions >> tally.wrong >> tally.livingFiles[0] >> tally.livingFound[0] >> tally.livingFiles[1] >>
        tally.livingFound[1] >> tally.nestedFiles[0] >> tally.nestedFound[0] >> tally.nestedFiles[1] >>
        tally.nestedFound[1] >> tally.recordsMade >> tally.recordsRefused >> tally.unexpectedFailures >>
        tally.sameNumberInPlace;
    ASSERT_TRUE(lines) << "the work did not finish: " << *report;
    const std::string details = report->substr(report->find('\n') + 1);
    EXPECT_EQ(tally.wrong, 0) << fileSystem.name << ", seed " << seed << ": " << tally.wrong << " wrong answers in "
                              << tally.resolutions << " resolutions:\n" << details;
    EXPECT_EQ(tally.unexpectedFailures, 0) << fileSystem.name << ", seed " << seed << ":\n" << details;
    total.resolutions += tally.resolutions;
    total.wrong += tally.wrong;
    total.recordsMade += tally.recordsMade;
    total.recordsRefused += tally.recordsRefused;
    total.sameNumberInPlace += tally.sameNumberInPlace;
    for (int side : {0, 1}) {
      total.livingFiles[side] += tally.livingFiles[side];
      total.livingFound[side] += tally.livingFound[side];
      total.nestedFiles[side] += tally.nestedFiles[side];
      total.nestedFound[side] += tally.nestedFound[side];
    }
  }
  const auto share = [](int found, int of) { return of == 0 ? std::string("-") : std::to_string(100 * found / of) + "%"; };
  const std::string found = share(total.livingFound[0] + total.livingFound[1], total.livingFiles[0] + total.livingFiles[1]);
  std::cout << fileSystem.name << ": FSRefs of files only moved or renamed found " << found << " (by their maker "
            << share(total.livingFound[0], total.livingFiles[0]) << ", by another process "
            << share(total.livingFound[1], total.livingFiles[1]) << ")";
  if (fileSystem.btrfs) {
    std::cout << ", of those below subvolumes and snapshots by their maker "
              << share(total.nestedFound[0], total.nestedFiles[0]) << ", by another process "
              << share(total.nestedFound[1], total.nestedFiles[1]);
  }
  std::cout << "; " << total.wrong << " wrong answers in "
            << total.resolutions << " resolutions; " << total.recordsMade << " records made, "
            << total.recordsRefused << " refused; " << total.sameNumberInPlace
            << " FSSpecs of a deleted folder named the folder made in its place\n";
  RecordProperty("moved_files_found", found);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FileReferenceModel, ::testing::ValuesIn(kFileSystems),
                         [](const auto &which) { return std::string(which.param.name); });

}  // namespace
