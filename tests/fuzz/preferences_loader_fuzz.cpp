// The preferences loader on any bytes at the preferences path: it takes in what it can, and
// the store it took in saves and loads back as the same store, in the same file.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/store/preferences.h"
#include "app/store/preferences_file.h"
#include "app/store/preferences_ft.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/headless/headless_backend.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

namespace fs = std::filesystem;

// One preferences folder for the whole run, in memory when the machine has a memory file
// system: every input is saved, and a disk would make each save wait for its sync.
class Session {
 public:
  Session() {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string folder = (base / "tovra-fuzz-XXXXXX").string();
    fuzz::Check(mkdtemp(folder.data()) != nullptr, "no temporary preferences folder");
    folder_ = folder;
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    rt::RuntimeInit(backend_);
    tovra::PreferencesFT::_Initialize();
  }
  ~Session() {
    tovra::PreferencesFT::Release();
    rt::RuntimeExit();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  fs::path File() const { return folder_ / tovra::kPreferencesFileName; }
  void ForgetMessages() { backend_.messages.clear(); }

 private:
  rt::HeadlessBackend backend_;
  fs::path folder_;
};

std::string ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool SameStore(const tovra::Preferences &a, const tovra::Preferences &b) {
  if (a.hotkey.Bytes() != b.hotkey.Bytes() || a.hotkeyModifier.Bytes() != b.hotkeyModifier.Bytes() ||
      a.macroName.size() != b.macroName.size() || a.macroBody.size() != b.macroBody.size()) {
    return false;
  }
  for (size_t i = 0; i < a.macroName.size(); ++i) {
    if (a.macroName[i].Bytes() != b.macroName[i].Bytes() || a.macroBody[i].Bytes() != b.macroBody[i].Bytes()) {
      return false;
    }
  }
  return true;
}

tovra::Preferences Loaded() {
  tovra::Preferences store;
  store.hotkey = "f3";
  store.hotkeyModifier = "none";
  store.LoadPreferences();
  return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static Session session;
  {
    std::ofstream out(session.File(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    fuzz::Check(out.good(), "the input could not be written as the preferences file");
  }
  const tovra::Preferences first = Loaded();
  fuzz::Check(first.macroName.size() == first.macroBody.size(), "names and bodies differ in number");

  fuzz::Check(tovra::Preferences(first).SavePreferences(), "the loaded store could not be saved");
  const std::string saved = ReadFile(session.File());
  const tovra::Preferences second = Loaded();
  fuzz::Check(SameStore(first, second), "the saved store loads back different");

  fuzz::Check(tovra::Preferences(second).SavePreferences(), "the reloaded store could not be saved");
  fuzz::Check(ReadFile(session.File()) == saved, "saving the reloaded store gives another file");
  session.ForgetMessages();
  return 0;
}
