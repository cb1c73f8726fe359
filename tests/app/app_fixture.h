// Runs the real application on the headless backend, with its own preferences folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "app/startup.h"
#include "app/store/preferences.h"
#include "app/store/preferences_file.h"
#include "app/windows/main_window.h"
#include "runtime/core/declarations.h"
#include "runtime/core/files.h"
#include "runtime/core/runtime.h"
#include "runtime/core/window_list.h"
#include "runtime/headless/driver.h"

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tovra-app-XXXXXX";
    configDir = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
  }

  void TearDown() override {
    if (started_) {
      rt::ForgetAllWindows();
      tovra::ReleaseModuleObjects();
      rt::RuntimeExit();
      rt::ForgetFileTypes();
      rt::ForgetDeclarations();  // no test's registrations reach the next one
    }
    std::filesystem::remove_all(configDir);
    for (const auto &f : backend.failures) ADD_FAILURE() << f;
  }

  // Program entry up to the running loop: start-up, then the Open event.
  void StartApp() {
    started_ = true;
    rt::RuntimeInit(backend);
    if (registerOSTypeDouble) {
      rt::RegisterDeclaration("OSTypeFromStringQRV(str as string) as integer",
                              reinterpret_cast<void *>(&OSTypeFromStringDouble));
    }
    tovra::_Main(pluginFolder.empty() ? configDir / "no-plugins" : pluginFolder);
  }

  std::filesystem::path PreferencesPath() const { return configDir / tovra::kPreferencesFileName; }

  void WritePreferencesFile(const std::string &bytes) {
    std::ofstream(PreferencesPath(), std::ios::binary) << bytes;
  }

  std::string ReadPreferencesFile() const {
    std::ifstream in(PreferencesPath(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  tovra::Preferences &Store() { return *tovra::the::App()->thePreferences; }
  std::shared_ptr<tovra::MainWindow> Search() { return tovra::the::MainWindow(); }
  std::string Line() { return Search()->Status->Text().ToStd(); }

  // Brings the search window up with the hot key; a window that is up already goes down first.
  void ShowSearchWindow() {
    if (Search()->Visible()) {
      ASSERT_TRUE(driver.PressHotKey());
    }
    ASSERT_TRUE(driver.PressHotKey());
  }

  // QRVUtil's OSTypeFromStringQRV stands in for the bundle, which these tests do not load: the
  // first four bytes, the first in the most significant byte, sign-extended from 32 bits.
  static intptr_t OSTypeFromStringDouble(HostString str) {
    auto *record = static_cast<HostStringRecord *>(str);
    uint32_t code = 0;
    for (intptr_t i = 0; i < 4; ++i) {
      unsigned char c = record && i < record->length ? record->storage[1 + i] : ' ';
      code = code << 8 | c;
    }
    return static_cast<int32_t>(code);
  }

  rt::HeadlessBackend backend;
  rt::HeadlessDriver driver{backend};
  std::filesystem::path configDir;
  bool registerOSTypeDouble = true;  // false: start as without the QRVUtil bundle
  std::filesystem::path pluginFolder;  // empty: no bundles

 private:
  bool started_ = false;
};
