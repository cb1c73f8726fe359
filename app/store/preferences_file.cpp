#include "app/store/preferences_file.h"

#include <algorithm>

#include "app/store/preferences.h"
#include "app/store/preferences_ft.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"

namespace tovra {

void Preferences::LoadPreferences() {
  // No folder to look in is a missing file too: the built-in searches are there to use.
  auto folder = rt::SpecialFolder::Preferences();
  auto file = folder ? folder->Child(kPreferencesFileName) : nullptr;
  // A save killed part-way leaves its temporary file behind; the next start clears it away.
  if (file) file->RemoveInterruptedSaves();
  auto stream = file ? file->OpenAsBinaryFile(false) : nullptr;
  if (!stream) {
    AddDefaultSearches();
    return;
  }
  if (stream->ReadLong() != kPreferencesFormatVersion) {
    rt::MsgBox("The Tovra preferences have been corrupted");
    stream->Close();
    return;
  }
  // A short file keeps every field read in full and stops at its end: nothing half-read is
  // taken in.
  rt::String modifier = stream->ReadPString();
  if (stream->ReadPastEnd()) return;
  hotkeyModifier = modifier;
  rt::String key = stream->ReadPString();
  if (stream->ReadPastEnd()) return;
  hotkey = key;
  uint16_t count = stream->ReadUInt16();
  if (stream->ReadPastEnd()) return;
  macroName.clear();
  macroBody.clear();
  macroName.reserve(count);
  macroBody.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    rt::YieldPoint();
    rt::String name = stream->ReadPString();
    uint16_t bodyLength = stream->ReadUInt16();
    rt::String body = stream->Read(bodyLength);
    if (stream->ReadPastEnd()) break;
    macroName.push_back(std::move(name));
    macroBody.push_back(std::move(body));
  }
  stream->Close();
}

bool Preferences::SavePreferences() {
  auto folder = rt::SpecialFolder::Preferences();
  if (!folder) return false;
  auto file = folder->Child(kPreferencesFileName);
  if (!file) return false;
  auto stream = file->CreateBinaryFile(PreferencesFT::Preferences().ToName());
  if (!stream) return false;
  stream->WriteLong(kPreferencesFormatVersion);
  stream->WritePString(hotkeyModifier);
  stream->WritePString(hotkey);
  // Values beyond the length fields are cut, never wrapped, so every length agrees with the
  // bytes after it.
  size_t count = std::min({macroName.size(), macroBody.size(), kMaxMacros});
  stream->WriteUInt16(static_cast<uint16_t>(count));
  for (size_t i = 0; i < count; ++i) {
    rt::YieldPoint();
    stream->WritePString(macroName[i]);
    std::string_view body = rt::CutAtCharacterBoundary(macroBody[i].Bytes(), kMaxBodyBytes);
    stream->WriteUInt16(static_cast<uint16_t>(body.size()));
    stream->Write(body);
  }
  return stream->Close();
}

}  // namespace tovra
