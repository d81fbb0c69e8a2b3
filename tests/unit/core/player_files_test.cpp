#include "core/player_files.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/game_context.h"
#include "platform/file_io.h"
#include "temp_game_folder.h"

namespace core {
namespace {

using testing_support::TempGameFolder;

const std::vector<uint8_t> kDefaultSettingsBytes = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0,
                                                    0, 0, 0, 0, 0x58, 0, 0, 1, 0, 0};

std::vector<uint8_t> BytesOf(const core::TSettings& s) {
  auto* p = reinterpret_cast<const uint8_t*>(&s);
  return {p, p + sizeof s};
}

TEST(PlayerFiles, FirstStartCreatesBothFilesWithTheDefaults) {
  TempGameFolder folder;
  core::TSettings settings;
  settings.Windowed = 7;
  core::TRecordsTable records{};
  core::LoadSettings(settings);
  core::LoadRecords(records);

  EXPECT_EQ(folder.Read("data/settings.dat"), kDefaultSettingsBytes);
  EXPECT_EQ(settings, core::DefaultSettings());
  const auto table = folder.Read("data/records.dat");
  ASSERT_EQ(table.size(), 160u);
  EXPECT_EQ(records, core::DefaultRecords());
  // Entry 1 holds the default name and 1000; entry 10 holds 100.
  EXPECT_EQ(table[0], 4);
  EXPECT_EQ(std::string(table.begin() + 1, table.begin() + 5), "NOVA");
  EXPECT_EQ(table[12] | table[13] << 8, 1000);
  EXPECT_EQ(table[9 * 16 + 12] | table[9 * 16 + 13] << 8, 100);
}

TEST(PlayerFiles, DefaultRecordsRunFromThousandDownInHundreds) {
  const core::TRecordsTable table = core::DefaultRecords();
  for (int i = 0; i < core::kRecordCount; ++i) EXPECT_EQ(table[i].Score, 1000 - 100 * i);
}

TEST(PlayerFiles, SettingsFileOfTwoRecordsIsReadAsItsFirstAndSavedAsOne) {
  TempGameFolder folder;
  core::TSettings first = core::DefaultSettings();
  first.MusicOn = 0;
  first.BossKey = 59;
  core::TSettings second = core::DefaultSettings();
  second.Windowed = 0;
  auto bytes = BytesOf(first);
  auto more = BytesOf(second);
  bytes.insert(bytes.end(), more.begin(), more.end());
  folder.Write("data/settings.dat", bytes);

  core::TSettings loaded;
  core::LoadSettings(loaded);
  EXPECT_EQ(loaded, first);
  ASSERT_TRUE(core::SaveSettings(loaded));
  EXPECT_EQ(folder.Read("data/settings.dat"), BytesOf(first));
}

TEST(PlayerFiles, ShortSettingsFileGivesDefaultsAndIsKeptAsBad) {
  TempGameFolder folder;
  const std::vector<uint8_t> seven = {0, 0, 0, 3, 65, 66, 67};
  folder.Write("data/settings.dat", seven);

  core::TSettings loaded;
  loaded.SoundOn = 0;
  core::LoadSettings(loaded);
  EXPECT_EQ(loaded, core::DefaultSettings());
  EXPECT_EQ(folder.Read("data/settings.dat.bad"), seven);
  EXPECT_EQ(folder.Read("data/settings.dat"), kDefaultSettingsBytes);
}

TEST(PlayerFiles, ShortRecordsFileGivesDefaultTableAndIsKeptAsBad) {
  TempGameFolder folder;
  const std::vector<uint8_t> partial(100, 9);
  folder.Write("data/records.dat", partial);
  core::TRecordsTable records{};
  core::LoadRecords(records);
  EXPECT_EQ(records, core::DefaultRecords());
  EXPECT_EQ(folder.Read("data/records.dat.bad"), partial);
  EXPECT_EQ(folder.Read("data/records.dat").size(), 160u);
}

TEST(PlayerFiles, LengthsAboveTenAreClamped) {
  core::TSettings settings;
  std::vector<uint8_t> bytes = kDefaultSettingsBytes;
  bytes[3] = 200;
  ASSERT_TRUE(core::ParseSettings(bytes, settings));
  EXPECT_EQ(settings.AddTextLength, 10);

  std::vector<uint8_t> table(160, 0);
  table[0] = 255;
  table[16] = 11;
  table[32] = 10;
  core::TRecordsTable records;
  ASSERT_TRUE(core::ParseRecords(table, records));
  EXPECT_EQ(records[0].NameLength, 10);
  EXPECT_EQ(records[1].NameLength, 10);
  EXPECT_EQ(records[2].NameLength, 10);
}

TEST(PlayerFiles, ExistingRecordsAreReadAsStored) {
  TempGameFolder folder;
  core::TRecordsTable table = core::DefaultRecords();
  table[0].Score = 123456;
  table[0].NameLength = 3;
  ASSERT_TRUE(core::SaveRecords(table));
  core::TRecordsTable loaded{};
  core::LoadRecords(loaded);
  EXPECT_EQ(loaded, table);
}

TEST(PlayerFiles, ClearingWithoutAFileStillWritesTheDefaultTable) {
  TempGameFolder folder;
  core::TRecordsTable records{};
  records[0].Score = 5;
  ASSERT_FALSE(folder.Exists("data/records.dat"));
  ASSERT_TRUE(core::ClearRecords(records));
  EXPECT_EQ(records, core::DefaultRecords());
  EXPECT_EQ(folder.Read("data/records.dat").size(), 160u);
}

TEST(PlayerFiles, ClearingReplacesAStoredTable) {
  TempGameFolder folder;
  core::TRecordsTable records = core::DefaultRecords();
  records[3].Score = 99999;
  core::SaveRecords(records);
  core::ClearRecords(records);
  core::TRecordsTable loaded{};
  core::LoadRecords(loaded);
  EXPECT_EQ(loaded, core::DefaultRecords());
}

size_t Lines(const std::string& text, const std::string& word) {
  size_t count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

// A full or read-only disk: every save says it failed, the old files stay as
// they were, a cleared table stays in memory as it is on disk, and the player
// is told once per file, however often the game tries.
TEST(PlayerFiles, SavesOnAFailingDiskKeepTheOldFilesAndTellOncePerFile) {
  for (const auto step : {platform::WriteStep::kCreate, platform::WriteStep::kWrite, platform::WriteStep::kRename}) {
    SCOPED_TRACE(static_cast<int>(step));
    TempGameFolder folder;
    core::ScopedGameContext context;
    core::TSettings settings = core::DefaultSettings();
    settings.MusicOn = 0;
    core::TRecordsTable records = core::DefaultRecords();
    records[0].Score = 4242;
    ASSERT_TRUE(core::SaveSettings(settings));
    ASSERT_TRUE(core::SaveRecords(records));
    const auto oldSettings = folder.Read("data/settings.dat");
    const auto oldRecords = folder.Read("data/records.dat");

    ::testing::internal::CaptureStderr();
    {
      const platform::ScopedWriteFault disk(step, step == platform::WriteStep::kCreate ? EROFS : ENOSPC);
      for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_FALSE(core::SaveSettings(core::DefaultSettings()));
        EXPECT_FALSE(core::SaveRecords(core::DefaultRecords()));
        EXPECT_FALSE(core::ClearRecords(records));
      }
    }
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(records[0].Score, 4242) << "a table that was not cleared on disk is not cleared on screen";
    EXPECT_EQ(folder.Read("data/settings.dat"), oldSettings);
    EXPECT_EQ(folder.Read("data/records.dat"), oldRecords);
    EXPECT_EQ(Lines(told, "\n"), 2u) << told;
    EXPECT_EQ(Lines(told, "settings could not be saved"), 1u) << told;
    EXPECT_EQ(Lines(told, "table could not be saved"), 1u) << told;
  }
}

TEST(PlayerFiles, SaveLeavesNoTemporaryFilesBehind) {
  TempGameFolder folder;
  core::SaveSettings(core::DefaultSettings());
  core::SaveRecords(core::DefaultRecords());
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "data")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 2);
}

TEST(RecordQualification, EqualScoresRankBelowAndTheBestRankBeatenWins) {
  const core::TRecordsTable table = core::DefaultRecords();
  EXPECT_EQ(core::QualifyingRank(table, 950), 2);
  EXPECT_EQ(core::QualifyingRank(table, 1000), 2);
  EXPECT_EQ(core::QualifyingRank(table, 1001), 1);
  EXPECT_EQ(core::QualifyingRank(table, 100), 0);
  EXPECT_EQ(core::QualifyingRank(table, 101), 10);
}

}  // namespace
}  // namespace core
