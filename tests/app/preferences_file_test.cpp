#include "app/store/preferences_file.h"

#include <sys/stat.h>

#include <optional>

#include "app/store/preferences_ft.h"
#include "app_fixture.h"
#include "tests/runtime/fifo_watch.h"

namespace {

// What this process has read from files so far, as the kernel counts it.
std::optional<uint64_t> BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return std::nullopt;
}

using tovra::Preferences;

class PreferencesFile : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    rt::RuntimeInit(backend);
    tovra::PreferencesFT::_Initialize();
  }
  void TearDown() override {
    tovra::PreferencesFT::Release();
    rt::RuntimeExit();
    rt::ForgetFileTypes();
    AppFixture::TearDown();
  }
  Preferences Loaded() {
    Preferences p;
    p.hotkey = "f3";
    p.hotkeyModifier = "none";
    p.LoadPreferences();
    return p;
  }
};

const std::string kEmptyStore("\x00\x00\x00\x01\x04none\x02" "f3\x00\x00", 14);

TEST_F(PreferencesFile, EmptyStoreIsTheFourteenByteExample) {
  Preferences p;
  p.hotkey = "f3";
  p.hotkeyModifier = "none";
  p.SavePreferences();
  EXPECT_EQ(ReadPreferencesFile(), kEmptyStore);
}

TEST_F(PreferencesFile, EmptyTextsAreSingleZeroBytes) {
  Preferences p;
  p.DefineMacro("", "");
  p.SavePreferences();
  EXPECT_EQ(ReadPreferencesFile(), std::string("\0\0\0\1\0\0\0\1\0\0\0", 11));
}

TEST_F(PreferencesFile, SaveThenLoadGivesBackEveryByte) {
  Preferences p;
  p.hotkey = "F3";
  p.hotkeyModifier = "Shift-Command";
  p.AddDefaultSearches();
  p.DefineMacro(rt::String(std::string_view("\xff\xfe bad", 6)), rt::String(std::string_view("\x80\0x", 3)));
  p.DefineMacro("google", "again");  // duplicate-free: replaces in place
  p.macroName.push_back("dup");
  p.macroBody.push_back("first");
  p.macroName.push_back("DUP");
  p.macroBody.push_back("second");
  p.SavePreferences();
  Preferences back = Loaded();
  EXPECT_EQ(back.hotkey.Bytes(), "F3");
  EXPECT_EQ(back.hotkeyModifier.Bytes(), "Shift-Command");
  ASSERT_EQ(back.macroName.size(), p.macroName.size());
  for (size_t i = 0; i < p.macroName.size(); ++i) {
    EXPECT_EQ(back.macroName[i].Bytes(), p.macroName[i].Bytes());
    EXPECT_EQ(back.macroBody[i].Bytes(), p.macroBody[i].Bytes());
  }
  EXPECT_EQ(back.macroName[0].Encoding(), rt::kEncodingNone);
  EXPECT_EQ(back.LookupMacro("dup").Bytes(), "first");
}

TEST_F(PreferencesFile, MissingFileAddsTheBuiltinsAndWritesNothing) {
  Preferences p = Loaded();
  EXPECT_EQ(p.macroName.size(), 17u);
  EXPECT_EQ(p.hotkey.Bytes(), "f3");
  EXPECT_FALSE(std::filesystem::exists(PreferencesPath()));
}

TEST_F(PreferencesFile, ZeroMacrosStaysEmpty) {
  WritePreferencesFile(kEmptyStore);
  EXPECT_TRUE(Loaded().macroName.empty());
}

TEST_F(PreferencesFile, OtherVersionIsReportedAndLeftUntouched) {
  std::string other = kEmptyStore;
  other[3] = 2;
  WritePreferencesFile(other);
  Preferences p = Loaded();
  EXPECT_EQ(backend.messages, std::vector<std::string>{"The Tovra preferences have been corrupted"});
  EXPECT_TRUE(p.macroName.empty());
  EXPECT_EQ(p.hotkey.Bytes(), "f3");
  EXPECT_EQ(ReadPreferencesFile(), other);
}

TEST_F(PreferencesFile, ShortFileKeepsWholeRecords) {
  Preferences p;
  p.hotkey = "F5";
  p.hotkeyModifier = "Option";
  p.DefineMacro("one", "body one");
  p.DefineMacro("two", "body two");
  p.SavePreferences();
  std::string full = ReadPreferencesFile();
  // Cut inside the second record's body, then inside its name, then inside the key.
  for (size_t cut : {full.size() - 2, full.size() - 12, size_t{12}}) {
    WritePreferencesFile(full.substr(0, cut));
    Preferences back = Loaded();
    if (cut == 12) {
      EXPECT_EQ(back.hotkeyModifier.Bytes(), "Option");
      EXPECT_EQ(back.hotkey.Bytes(), "f3") << "a half-read key is not taken";
      EXPECT_EQ(back.macroName.size(), 0u);
    } else {
      EXPECT_EQ(back.hotkey.Bytes(), "F5");
      ASSERT_EQ(back.macroName.size(), 1u) << "cut at " << cut;
      EXPECT_EQ(back.macroBody[0].Bytes(), "body one");
    }
  }
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(PreferencesFile, OverlongValuesAreCutNotWrapped) {
  Preferences p;
  p.hotkey = rt::String(std::string(300, 'k'));
  p.hotkeyModifier = rt::String(std::string(254, 'm') + "é");
  std::string longBody = std::string(65534, 'b') + "€";
  p.DefineMacro(rt::String(std::string(256, 'n')), rt::String(longBody));
  p.SavePreferences();
  std::string bytes = ReadPreferencesFile();
  EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 254) << "cut before the split character";
  Preferences back = Loaded();
  EXPECT_EQ(back.hotkeyModifier.ByteLength(), 254u);
  EXPECT_EQ(back.hotkey.ByteLength(), 255u);
  ASSERT_EQ(back.macroName.size(), 1u);
  EXPECT_EQ(back.macroName[0].ByteLength(), 255u);
  EXPECT_EQ(back.macroBody[0].ByteLength(), 65534u);
  EXPECT_EQ(bytes.size(), 4 + 1 + 254 + 1 + 255 + 2 + 1 + 255 + 2 + 65534u);
}

// A FIFO at the path, or at the end of a link from it: the start gives the built-in searches and
// a save fails, both without waiting on it or replacing it.
TEST_F(PreferencesFile, FifoAtThePathGivesTheBuiltinsWithoutWaiting) {
  const std::filesystem::path fifo = configDir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FifoWatch watch(fifo);
  for (bool throughLink : {false, true}) {
    std::filesystem::remove(PreferencesPath());
    if (throughLink) {
      std::filesystem::create_symlink(fifo, PreferencesPath());
    } else {
      std::filesystem::rename(fifo, PreferencesPath());
    }
    const std::filesystem::path node = throughLink ? fifo : PreferencesPath();
    Preferences p = Loaded();
    EXPECT_EQ(p.macroName.size(), 17u);
    EXPECT_FALSE(p.SavePreferences());
    EXPECT_TRUE(std::filesystem::is_fifo(node)) << "the save replaced the FIFO";
    EXPECT_TRUE(backend.messages.empty());
    if (!throughLink) std::filesystem::rename(PreferencesPath(), fifo);
  }
  EXPECT_FALSE(watch.Stop()) << "the load or the save opened the FIFO";
}

// One record, then a hole of zeros: the load reads the record, not the file.
TEST_F(PreferencesFile, HugeFileIsReadOnlyAsFarAsItsRecords) {
  const std::string oneMacro = kEmptyStore.substr(0, 13) + std::string("\x01\x03one\x00\x03" "abc", 10);
  for (uintmax_t size : {uintmax_t{256} << 20, uintmax_t{64} << 30}) {
    WritePreferencesFile(oneMacro);
    std::filesystem::resize_file(PreferencesPath(), size);
    std::optional<uint64_t> before = BytesReadSoFar();
    if (!before) GTEST_SKIP() << "the kernel gives no read count";
    Preferences p = Loaded();
    uint64_t read = *BytesReadSoFar() - *before;
    ASSERT_EQ(p.macroName.size(), 1u);
    EXPECT_EQ(p.macroBody[0].Bytes(), "abc");
    EXPECT_LT(read, uint64_t{1} << 20) << "of a file of " << size << " bytes";
  }
}

TEST_F(PreferencesFile, StartClearsWhatAKilledSaveLeftAndNothingElse) {
  std::string prefix = std::string(".") + tovra::kPreferencesFileName + ".";
  std::ofstream(configDir / (prefix + "tovra-save-Xy12Ab")) << "a torn save";
  for (const char *mine : {"backup", "261209", "Xy12Ab", "kept"}) {
    std::ofstream(configDir / (prefix + mine)) << "the user's own";
  }
  WritePreferencesFile(kEmptyStore);
  Loaded();
  EXPECT_FALSE(std::filesystem::exists(configDir / (prefix + "tovra-save-Xy12Ab")));
  for (const char *mine : {"backup", "261209", "Xy12Ab", "kept"}) {
    EXPECT_TRUE(std::filesystem::exists(configDir / (prefix + mine))) << mine;
  }
  EXPECT_EQ(ReadPreferencesFile(), kEmptyStore);
}

TEST_F(PreferencesFile, AtMostTheCountFieldsWorthOfMacrosIsWritten) {
  Preferences p;
  for (size_t i = 0; i < tovra::kMaxMacros + 2; ++i) {
    p.macroName.push_back("m");
    p.macroBody.push_back("b");
  }
  p.SavePreferences();
  Preferences back = Loaded();
  EXPECT_EQ(back.macroName.size(), tovra::kMaxMacros);
}

}  // namespace
