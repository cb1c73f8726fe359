// The records QRVUtil hands its host, read as a host written in C against the classic layout
// reads them: word by word at the classic offsets, scaled to this build's word. On a 32-bit
// build these are exactly the classic byte offsets and sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/plugin/bundle.h"

namespace {

constexpr size_t kWord = sizeof(void *);
constexpr size_t kPropertyWords = 10;
constexpr size_t kMethodWords = 4;
constexpr size_t kOldMethodWords = 3;

size_t Scaled(size_t classicBytes) { return classicBytes * kWord / 4; }

HostWord WordAt(const void *record, size_t word) {
  HostWord value = 0;
  std::memcpy(&value, static_cast<const unsigned char *>(record) + word * kWord, kWord);
  return value;
}

const char *TextAt(const void *record, size_t word) {
  return reinterpret_cast<const char *>(WordAt(record, word));
}

const unsigned char *RecordAt(const void *record, size_t word) {
  return reinterpret_cast<const unsigned char *>(WordAt(record, word));
}

TEST(HostRecords, ClassAndPropertyRecordsHoldTheirFieldsAtTheClassicWords) {
  fake::LoadedPlugin plugin;
  const auto *zone = plugin.host.FindClass("TimeZoneQRV");
  ASSERT_NE(zone, nullptr);
  const void *record = zone->record;
  EXPECT_EQ(WordAt(record, 0), 9u);
  EXPECT_STREQ(TextAt(record, 1), "TimeZoneQRV");
  EXPECT_EQ(WordAt(record, 3), Scaled(32));
  EXPECT_NE(WordAt(record, 5), 0u);  // constructor
  EXPECT_EQ(WordAt(record, 8), 6u);

  const unsigned char *longitude = RecordAt(record, 7) + 5 * kPropertyWords * kWord;
  EXPECT_STREQ(TextAt(longitude, 1), "Longitude");
  EXPECT_STREQ(TextAt(longitude, 2), "Double");
  EXPECT_EQ(WordAt(longitude, 4), reinterpret_cast<HostWord>(zone->properties[5].getter));
  EXPECT_EQ(WordAt(longitude, 6), Scaled(24));

  const auto *run = plugin.host.FindClass("StyleDataQRV");
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(WordAt(run->record, 3), Scaled(84));
  EXPECT_EQ(WordAt(run->record, 8), 21u);
  const unsigned char *length = RecordAt(run->record, 7) + 20 * kPropertyWords * kWord;
  EXPECT_STREQ(TextAt(length, 1), "TextLength");
}

TEST(HostRecords, MethodRecordsAreFourWordsAndThreeForOldHosts) {
  const char *const last = "IsFileResourceForkOpenReadWriteQRV as boolean";
  fake::LoadedPlugin current(5.9);
  const auto *folderItem = current.host.FindClass("folderitem");
  ASSERT_NE(folderItem, nullptr);
  EXPECT_EQ(WordAt(folderItem->record, 10), 10u);
  EXPECT_EQ(WordAt(folderItem->record, 20), 4u);
  const unsigned char *method = RecordAt(folderItem->record, 9) + 9 * kMethodWords * kWord;
  EXPECT_STREQ(TextAt(method, 2), last);
  EXPECT_EQ(WordAt(method, 3), 4u);

  fake::LoadedPlugin old(5.8);
  const auto *oldFolderItem = old.host.FindClass("folderitem");
  ASSERT_NE(oldFolderItem, nullptr);
  const unsigned char *oldMethod = RecordAt(oldFolderItem->record, 9) + 9 * kOldMethodWords * kWord;
  EXPECT_STREQ(TextAt(oldMethod, 2), last);
}

}  // namespace
