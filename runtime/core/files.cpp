#include "runtime/core/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>

#include "runtime/core/string_functions.h"

namespace rt {
namespace fs = std::filesystem;

std::shared_ptr<BinaryStream> BinaryStream::ForReading(std::string bytes) {
  std::shared_ptr<BinaryStream> s(new BinaryStream());
  s->bytes_ = std::move(bytes);
  return s;
}

std::shared_ptr<BinaryStream> BinaryStream::ForReplacing(fs::path target) {
  std::shared_ptr<BinaryStream> s(new BinaryStream());
  s->writing_ = true;
  s->target_ = std::move(target);
  return s;
}

// A stream dropped without Close was interrupted: its file is not put in place.
BinaryStream::~BinaryStream() = default;

int32_t BinaryStream::ReadLong() {
  std::string_view b = Take(4);
  return b.size() == 4 ? static_cast<int32_t>(Assemble(b, littleEndian)) : 0;
}

int16_t BinaryStream::ReadShort() { return static_cast<int16_t>(ReadUInt16()); }

void BinaryStream::WriteLong(int32_t value) {
  auto u = static_cast<uint32_t>(value);
  char b[4];
  for (int i = 0; i < 4; ++i) b[littleEndian ? i : 3 - i] = static_cast<char>(u >> (8 * i));
  Write(std::string_view(b, 4));
}

void BinaryStream::WriteUInt16(uint16_t value) {
  char b[2];
  b[littleEndian ? 0 : 1] = static_cast<char>(value & 0xFF);
  b[littleEndian ? 1 : 0] = static_cast<char>(value >> 8);
  Write(std::string_view(b, 2));
}

void BinaryStream::WriteShort(int16_t value) { WriteUInt16(static_cast<uint16_t>(value)); }

void BinaryStream::WriteByte(uint8_t value) {
  char b = static_cast<char>(value);
  Write(std::string_view(&b, 1));
}

void BinaryStream::WritePString(const String &s) {
  std::string_view text = CutAtCharacterBoundary(s.Bytes(), 255);
  WriteByte(static_cast<uint8_t>(text.size()));
  Write(text);
}

void BinaryStream::Write(std::string_view bytes) {
  if (!writing_ || closed_) return;
  bytes_.append(bytes);
  position_ = bytes_.size();
}

static bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool BinaryStream::Close() {
  if (closed_) return true;
  closed_ = true;
  if (!writing_) return true;
  std::string temp = (target_.parent_path() / ("." + target_.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes_) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target_.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself must reach the disk before the save counts as done.
  int dir = ::open(target_.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool FolderItem::Exists() const {
  std::error_code ec;
  return fs::exists(path_, ec);
}

std::shared_ptr<FolderItem> FolderItem::Child(const String &name) const {
  std::string n(name.Bytes());
  if (n.empty() || n.find('/') != std::string::npos || n == "." || n == "..") return nullptr;
  return std::make_shared<FolderItem>(path_ / n);
}

std::shared_ptr<FolderItem> FolderItem::Parent() const {
  return std::make_shared<FolderItem>(path_.parent_path());
}

std::optional<std::string> ReadWholeFile(const fs::path &path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  // One byte more than the size, so a file that grew meanwhile is noticed and read on.
  std::string bytes(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t got = 0;
  while (true) {
    if (got == bytes.size()) bytes.resize(bytes.size() * 2);
    ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

std::shared_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool readWrite) const {
  (void)readWrite;  // every caller reads; writing goes through CreateBinaryFile
  std::optional<std::string> bytes = ReadWholeFile(path_);
  if (!bytes) return nullptr;
  return BinaryStream::ForReading(std::move(*bytes));
}

std::shared_ptr<BinaryStream> FolderItem::CreateBinaryFile(const String &fileTypeName) const {
  (void)fileTypeName;  // Linux keeps no type code with a file; the extension says it all
  std::error_code ec;
  if (!fs::is_directory(path_.parent_path(), ec)) return nullptr;
  if (fs::is_directory(path_, ec)) return nullptr;
  return BinaryStream::ForReplacing(path_);
}

namespace SpecialFolder {
std::shared_ptr<FolderItem> Preferences() {
  fs::path folder;
  const char *xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) {
    folder = xdg;
  } else {
    const char *home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd *user = ::getpwuid(::getuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home) return nullptr;
    folder = fs::path(home) / ".config";
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  return std::make_shared<FolderItem>(folder);
}
}  // namespace SpecialFolder

static std::vector<FileType> &FileTypes() {
  static std::vector<FileType> types;
  return types;
}

String FileType::ToName() const {
  for (const FileType &t : FileTypes()) {
    if (t.Name == Name) return Name;
  }
  FileTypes().push_back(*this);
  return Name;
}

const std::vector<FileType> &RegisteredFileTypes() { return FileTypes(); }
void ForgetFileTypes() { FileTypes().clear(); }

}  // namespace rt
