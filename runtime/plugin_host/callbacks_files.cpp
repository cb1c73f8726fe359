// File Manager references for bundles. Their bytes are the platform layer's, one library shared
// with every bundle of the process, so each reads what the other writes, and both use one
// catalog of the files references were made for. Names come from bundle memory, so each is
// checked to be one plain step inside its folder.
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/files.h"
#include "runtime/core/encoding.h"
#include "runtime/plugin_host/boundary.h"
#include "runtime/plugin_host/host_callbacks.h"
#include "runtime/plugin_host/host_classes.h"

namespace rt {
namespace {

constexpr size_t kMaxNameUnits = 255;

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

// The item's name as UTF-16 in the machine's byte order; false when it does not fit.
bool FillName(const std::string &path, HFSUniStr255 *name) {
  std::string leaf = std::filesystem::path(path).filename().string();
  std::optional<String> utf16 = TryConvertEncoding(String(leaf.empty() ? path : leaf), kEncodingUTF16);
  if (!utf16 || utf16->ByteLength() / 2 > kMaxNameUnits) return false;
  name->length = static_cast<uint16_t>(utf16->ByteLength() / 2);
  std::memcpy(name->unicode, utf16->Bytes().data(), name->length * 2u);
  return true;
}

// The UTF-8 text of a name a bundle handed over; empty when it is no plain name.
std::string NameFrom(const HFSUniStr255 &name) {
  if (name.length == 0 || name.length > kMaxNameUnits) return {};
  String utf16(std::string_view(reinterpret_cast<const char *>(name.unicode), name.length * 2u), kEncodingUTF16);
  std::optional<String> leaf = TryConvertEncoding(utf16, kEncodingUTF8);
  return leaf && IsPlainName(leaf->Bytes()) ? leaf->ToStd() : std::string();
}

// A volume's own spec is resolved by its volume alone; any other names an entry of a folder.
bool SpecNameIsPlain(const FSSpec &spec) {
  if (spec.parID == platform::fsRtParID) return true;
  size_t length = spec.name[0] < sizeof spec.name ? spec.name[0] : sizeof spec.name - 1;
  return length == 0 || IsPlainName(std::string_view(reinterpret_cast<const char *>(spec.name + 1), length));
}

}  // namespace
}  // namespace rt

extern "C" HostObject FolderItemFromFSSpec(const FSSpec *spec) noexcept {
  if (!spec || !rt::SpecNameIsPlain(*spec)) return nullptr;
  return rt::AtBoundary<HostObject>(nullptr, [&]() -> HostObject {
    std::string path;
    platform::OSErr err = platform::FSSpecMakePath(spec, path);
    // A spec may name a file that does not exist yet, as long as its folder does.
    if ((err != platform::noErr && err != platform::fnfErr) || path.empty()) return nullptr;
    return rt::NewFolderItemAt(std::move(path));
  });
}

extern "C" bool REALFSSpecFromFolderItem(FSSpec *spec, HostObject item) noexcept {
  const std::string *path = rt::PathOfFolderItem(item);
  if (!spec || !path) return false;
  return rt::AtBoundary(false, [&] {
    platform::OSErr err = platform::FSPathMakeFSSpec(path->c_str(), spec);
    // A missing file still has an FSSpec when its folder exists; then that FSSpec names a volume.
    return err == platform::noErr || (err == platform::fnfErr && spec->vRefNum != 0);
  });
}

extern "C" bool REALFSRefFromFolderItem(HostObject item, FSRef *ref, HFSUniStr255 *name) noexcept {
  const std::string *path = rt::PathOfFolderItem(item);
  if (!ref || !path) return false;
  return rt::AtBoundary(false, [&] {
    bool isDirectory = false;
    if (platform::FSPathMakeRef(path->c_str(), ref, &isDirectory) != platform::noErr) return false;
    return !name || rt::FillName(*path, name);
  });
}

extern "C" HostObject REALFolderItemFromParentFSRef(const FSRef *parent, const HFSUniStr255 *name) noexcept {
  if (!parent || !name) return nullptr;
  return rt::AtBoundary<HostObject>(nullptr, [&]() -> HostObject {
    std::string folder;
    if (platform::FSRefMakePath(parent, folder) != platform::noErr) return nullptr;
    std::error_code ec;
    std::string leaf = rt::NameFrom(*name);
    if (leaf.empty() || !std::filesystem::is_directory(folder, ec)) return nullptr;
    return rt::NewFolderItemAt((std::filesystem::path(folder) / leaf).string());
  });
}
