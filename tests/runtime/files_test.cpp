#include "runtime/core/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tovra-files-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Contents(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(FilesTest, StreamsAreBigEndianAndRoundTrip) {
  rt::FolderItem folder(dir_);
  auto file = folder.Child("x.bin");
  auto out = file->CreateBinaryFile("any");
  out->WriteLong(1);
  out->WriteShort(-2);
  out->WritePString("f3");
  out->Write("raw");
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(Contents(dir_ / "x.bin"), std::string("\0\0\0\1\xff\xfe\2f3raw", 12));

  auto in = file->OpenAsBinaryFile(false);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadLong(), 1);
  EXPECT_EQ(in->ReadShort(), -2);
  EXPECT_EQ(in->ReadPString().Bytes(), "f3");
  EXPECT_EQ(in->Read(3).Bytes(), "raw");
  EXPECT_TRUE(in->EndOfFile());
  EXPECT_FALSE(in->ReadPastEnd());
}

TEST_F(FilesTest, ReadingPastTheEndYieldsOnlyWhatIsThere) {
  std::ofstream(dir_ / "short.bin", std::ios::binary) << std::string("\0\0\5ab", 5);
  auto in = rt::FolderItem(dir_).Child("short.bin")->OpenAsBinaryFile();
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadShort(), 0);
  EXPECT_EQ(in->ReadPString().Bytes(), "ab");
  EXPECT_TRUE(in->ReadPastEnd());
  EXPECT_EQ(in->ReadLong(), 0);
}

TEST_F(FilesTest, MissingFileOrFolderGivesNothing) {
  rt::FolderItem folder(dir_);
  EXPECT_FALSE(folder.Child("none")->OpenAsBinaryFile());
  EXPECT_FALSE(rt::FolderItem(dir_ / "no" / "such").CreateBinaryFile("any"));
  EXPECT_FALSE(folder.Child("../escape"));
}

TEST_F(FilesTest, ReplacementLandsOnlyOnClose) {
  std::ofstream(dir_ / "p", std::ios::binary) << "old";
  auto file = rt::FolderItem(dir_).Child("p");
  {
    auto out = file->CreateBinaryFile("any");
    out->Write("torn");
    // Dropped without Close, as when a save is interrupted: the old file stays whole.
  }
  EXPECT_EQ(Contents(dir_ / "p"), "old");
  auto out = file->CreateBinaryFile("any");
  out->Write("new");
  EXPECT_EQ(Contents(dir_ / "p"), "old");
  ASSERT_TRUE(out->Close());
  EXPECT_EQ(Contents(dir_ / "p"), "new");
  size_t entries = 0;
  for (auto &e : fs::directory_iterator(dir_)) (void)e, ++entries;
  EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

TEST_F(FilesTest, PreferencesFolderFollowsXdgConfigHome) {
  const char *old = getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", (dir_ / "cfg").c_str(), 1);
  auto folder = rt::SpecialFolder::Preferences();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Path(), dir_ / "cfg");
  EXPECT_TRUE(fs::is_directory(dir_ / "cfg"));
  unsetenv("XDG_CONFIG_HOME");
  std::string home = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", dir_.c_str(), 1);
  EXPECT_EQ(rt::SpecialFolder::Preferences()->Path(), dir_ / ".config");
  setenv("HOME", home.c_str(), 1);
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
