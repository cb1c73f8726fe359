#include "runtime/core/files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/core/file_replacement.h"
#include "runtime/core/string_functions.h"

namespace rt {
namespace fs = std::filesystem;

namespace {

// Reads ahead this much past what is asked, so a load of many small records makes few calls.
constexpr size_t kReadChunk = 64 * 1024;

// Opens a regular file for reading, and nothing else: a FIFO, socket or device there is never
// opened in a way that can wait, and gives -1 like a file that cannot be read.
int OpenRegularFile(const fs::path &path, struct stat &info) {
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  // The path may change between the look and the open: the open must not wait either.
  return OpenLookedAtFile(path, 0, info);
}

// Makes the folder and whichever of its parents are missing, each one its user's alone as the
// desktop's base-directory rules ask; a folder that is there already keeps its mode.
void MakePrivateFolders(const fs::path &folder) {
  std::error_code ec;
  if (folder.empty() || fs::is_directory(folder, ec)) return;
  fs::path parent = folder.parent_path();
  if (parent != folder) MakePrivateFolders(parent);
  ::mkdir(folder.c_str(), 0700);
}

}  // namespace

std::shared_ptr<BinaryStream> BinaryStream::ForReadingFile(const fs::path &path) {
  struct stat info {};
  int fd = OpenRegularFile(path, info);
  if (fd < 0) return nullptr;
  std::shared_ptr<BinaryStream> s(new BinaryStream());
  s->fd_ = fd;
  s->length_ = static_cast<uint64_t>(info.st_size);
  return s;
}

std::shared_ptr<BinaryStream> BinaryStream::ForReplacing(fs::path target) {
  std::shared_ptr<BinaryStream> s(new BinaryStream());
  s->writing_ = true;
  s->target_ = std::move(target);
  return s;
}

// A stream dropped without Close was interrupted: its file is not put in place.
BinaryStream::~BinaryStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::string_view BinaryStream::TakeSlow(size_t count) {
  if (fd_ >= 0) Fill(count);
  size_t left = end_ - next_;
  if (count > left) {
    readPastEnd_ = true;
    count = left;
  }
  std::string_view out(data_ + next_, count);
  next_ += count;
  position_ += count;
  return out;
}

void BinaryStream::Fill(size_t count) {
  size_t kept = end_ - next_;
  if (kept && next_) std::memmove(buffer_.get(), buffer_.get() + next_, kept);
  next_ = 0;
  end_ = kept;
  // Room for what is asked and a chunk ahead, but for more than a chunk only when the file says
  // it holds that much.
  uint64_t inFile = position_ + kept < length_ ? length_ - position_ - kept : 0;
  Reserve(kept + static_cast<size_t>(std::min<uint64_t>(std::max(count - kept, kReadChunk),
                                                        std::max<uint64_t>(inFile, kReadChunk))));
  while (end_ < count) {
    // A file that grew, or a kernel file that gives no size, is read on a chunk at a time.
    if (end_ == capacity_) Reserve(capacity_ + kReadChunk);
    ssize_t n = ::read(fd_, buffer_.get() + end_, capacity_ - end_);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // the end, or a failure: what is at hand is all there is
      length_ = position_ + end_;
      return;
    }
    end_ += static_cast<size_t>(n);
  }
  length_ = std::max(length_, position_ + end_);
}

void BinaryStream::Reserve(size_t size) {
  if (size <= capacity_) return;
  auto bigger = std::make_unique_for_overwrite<char[]>(size);
  if (end_) std::memcpy(bigger.get(), buffer_.get(), end_);
  buffer_ = std::move(bigger);
  capacity_ = size;
  data_ = buffer_.get();
}

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
  data_ = bytes_.data();
  next_ = end_ = bytes_.size();
  position_ = length_ = bytes_.size();
}

bool BinaryStream::Close() {
  if (closed_) return true;
  closed_ = true;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!writing_) return true;
  return ReplaceFile(target_, bytes_);
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
  struct stat info {};
  int fd = OpenRegularFile(path, info);
  if (fd < 0) return std::nullopt;
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
  return BinaryStream::ForReadingFile(path_);
}

std::shared_ptr<BinaryStream> FolderItem::CreateBinaryFile(const String &fileTypeName) const {
  (void)fileTypeName;  // Linux keeps no type code with a file; the extension says it all
  std::error_code ec;
  if (!fs::is_directory(path_.parent_path(), ec)) return nullptr;
  if (fs::is_directory(path_, ec)) return nullptr;
  return BinaryStream::ForReplacing(path_);
}

void FolderItem::RemoveInterruptedSaves() const { RemoveInterruptedReplacements(path_); }

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
  MakePrivateFolders(folder);
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
