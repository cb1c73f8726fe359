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
    }
    std::filesystem::remove_all(configDir);
    for (const auto &f : backend.failures) ADD_FAILURE() << f;
  }

  // Program entry up to the running loop: start-up, then the Open event.
  void StartApp() {
    started_ = true;
    rt::RuntimeInit(backend);
    tovra::_Main(configDir / "no-plugins");
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

  // Brings the search window up the way a press of the hot key does.
  void ShowSearchWindow() {
    auto w = Search();
    w->Hide();
    w->Show();
    w->SetFocus();
    driver.Settle();
  }

  rt::HeadlessBackend backend;
  rt::HeadlessDriver driver{backend};
  std::filesystem::path configDir;

 private:
  bool started_ = false;
};
