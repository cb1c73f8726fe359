// Folder items, binary streams and file types.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/core/string.h"

namespace rt {

// A stream over one file, big-endian by default. A reading stream reads its file through a small
// buffer, so what it holds follows what is read, never the file's size. A writing stream made by
// CreateBinaryFile writes a temporary file beside the target and puts it in place on Close, so an
// interrupted or failed save leaves the old file whole.
class BinaryStream {
 public:
  // Nothing when the path is not a regular file that can be read.
  static std::shared_ptr<BinaryStream> ForReadingFile(const std::filesystem::path &path);
  static std::shared_ptr<BinaryStream> ForReplacing(std::filesystem::path target);
  ~BinaryStream();
  BinaryStream(const BinaryStream &) = delete;
  BinaryStream &operator=(const BinaryStream &) = delete;

  bool littleEndian = false;

  int32_t ReadLong();
  int16_t ReadShort();
  uint16_t ReadUInt16() {
    std::string_view b = Take(2);
    return b.size() == 2 ? static_cast<uint16_t>(Assemble(b, littleEndian)) : 0;
  }
  uint8_t ReadByte() {
    std::string_view b = Take(1);
    return b.empty() ? 0 : static_cast<uint8_t>(b[0]);
  }
  String ReadPString() { return Read(ReadByte()); }
  // The bytes, with no text encoding.
  String Read(size_t count) {
    std::string_view bytes = Take(count);
    return String::Adopt(strings_.NewRecord(bytes.data(), bytes.size(), kEncodingNone));
  }
  void WriteLong(int32_t value);
  void WriteShort(int16_t value);
  void WriteUInt16(uint16_t value);
  void WriteByte(uint8_t value);
  void WritePString(const String &s);  // at most 255 bytes, cut at a character boundary
  void Write(std::string_view bytes);

  bool EndOfFile() const { return position_ >= length_; }
  size_t Position() const { return static_cast<size_t>(std::min<uint64_t>(position_, SIZE_MAX)); }
  size_t Length() const { return static_cast<size_t>(std::min<uint64_t>(length_, SIZE_MAX)); }
  // True once a read asked for more bytes than were left; such a read yields what was there.
  bool ReadPastEnd() const { return readPastEnd_; }
  // Ends the stream. A writing stream puts its file in place; false when that failed.
  bool Close();

 private:
  BinaryStream() = default;
  static uint32_t Assemble(std::string_view b, bool little) {
    uint32_t v = 0;
    for (size_t i = 0; i < b.size(); ++i) {
      v = v << 8 | static_cast<unsigned char>(b[little ? b.size() - 1 - i : i]);
    }
    return v;
  }
  // The next `count` bytes, or all that is left when fewer are.
  std::string_view Take(size_t count) {
    if (count > end_ - next_) return TakeSlow(count);
    std::string_view out(data_ + next_, count);
    next_ += count;
    position_ += count;
    return out;
  }
  std::string_view TakeSlow(size_t count);
  // Reads on from the file until `count` bytes are at hand or the file ends.
  void Fill(size_t count);
  // Makes the buffer hold at least `size` bytes, keeping those at hand.
  void Reserve(size_t size);

  // Writing: every byte written.
  std::string bytes_;
  // Reading from a file: the bytes read from it and not yet taken, from next_ to end_.
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  int fd_ = -1;
  const char *data_ = nullptr;
  size_t next_ = 0;
  size_t end_ = 0;
  uint64_t position_ = 0;
  uint64_t length_ = 0;
  StringArena strings_;
  bool readPastEnd_ = false;
  bool writing_ = false;
  bool closed_ = false;
  std::filesystem::path target_;
};

class FolderItem {
 public:
  explicit FolderItem(std::filesystem::path path) : path_(std::move(path)) {}
  const std::filesystem::path &Path() const { return path_; }
  String Name() const { return String(path_.filename().string()); }
  bool Exists() const;
  std::shared_ptr<FolderItem> Child(const String &name) const;
  std::shared_ptr<FolderItem> Parent() const;
  // Nothing when the file is missing, cannot be read or is not a regular file (a FIFO, socket
  // or device is never opened in a way that can wait).
  std::shared_ptr<BinaryStream> OpenAsBinaryFile(bool readWrite = false) const;
  // Nothing when the folder cannot take a new file.
  std::shared_ptr<BinaryStream> CreateBinaryFile(const String &fileTypeName) const;
  // Removes what saves of this file left when they were killed before putting it in place.
  void RemoveInterruptedSaves() const;

 private:
  std::filesystem::path path_;
};

// The whole regular file, or nothing when it is missing, unreadable or not a regular file.
std::optional<std::string> ReadWholeFile(const std::filesystem::path &path);

namespace SpecialFolder {
// $XDG_CONFIG_HOME, or ~/.config when that is unset; made when missing, private to the user.
std::shared_ptr<FolderItem> Preferences();
}  // namespace SpecialFolder

class FileType {
 public:
  String Name;
  String Extensions;
  String MacType;
  String MacCreator;
  // The framework's conversion of a file type to its name; it also registers the type.
  String ToName() const;
};

const std::vector<FileType> &RegisteredFileTypes();
void ForgetFileTypes();

}  // namespace rt
