#include "core/restart_record.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/game_context.h"
#include "core/game_state.h"
#include "core/random.h"
#include "temp_game_folder.h"

namespace core {
namespace {

TEST(RestartRecord, ReadingSetsRestartedAndKeepsTheOtherBytes) {
  const std::vector<uint8_t> bytes = {0, gsOptions, 0, 0, 1, 1};
  auto record = ParseRestartRecord(bytes);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->openEngine, 0);
  EXPECT_EQ(record->gameState, gsOptions);
  EXPECT_EQ(record->musicChoice, 0);
  EXPECT_EQ(record->restarted, 1);
  EXPECT_EQ(record->openMoreGames, 1);
  EXPECT_EQ(record->openScoreTable, 1);
}

TEST(RestartRecord, ShortOrImpossibleRecordsAreNotResumed) {
  EXPECT_FALSE(ParseRestartRecord(std::vector<uint8_t>{1, 3, 1, 0, 0}));
  for (uint8_t state : {0, 1, 5, 16, 20, 29, 255}) {
    EXPECT_FALSE(ParseRestartRecord(std::vector<uint8_t>{1, state, 1, 0, 0, 0})) << int(state);
  }
}

TEST(RestartRecord, StatesNoRestartCanResumeAreReadAsTheWriterMapsThem) {
  const std::pair<uint8_t, uint8_t> read[] = {
      {gsGameOver, gsGameOverWait}, {gsSubmitting, gsSubmitResult}, {gsGameOverWait, gsGameOverWait},
      {gsSubmitResult, gsSubmitResult}, {gsPlaying, gsPlaying}, {gsRecordAdd, gsRecordAdd}};
  for (const auto& [stored, resumed] : read) {
    const auto record = ParseRestartRecord(std::vector<uint8_t>{1, stored, 0, 0, 0, 0});
    ASSERT_TRUE(record) << int(stored);
    EXPECT_EQ(record->gameState, resumed) << int(stored);
    EXPECT_EQ(StateToResume(stored), resumed) << "the writer's mapping, " << int(stored);
  }
}

TEST(RestartRecord, ARecordReadStaysUntilUsedUpOnce) {
  testing_support::TempGameFolder folder;
  ScopedGameContext scope;
  RestartRecord record;
  record.gameState = gsRecords;
  ASSERT_TRUE(WriteRestartRecord(record));
  EXPECT_EQ(folder.Read("data/boss.dat"), (std::vector<uint8_t>{1, gsRecords, 1, 0, 0, 0}));
  auto read = ReadRestartRecord();
  ASSERT_TRUE(read);
  EXPECT_EQ(read->gameState, gsRecords);
  EXPECT_TRUE(folder.Exists("data/boss.dat"));
  UseUpRestartRecord();
  EXPECT_FALSE(folder.Exists("data/boss.dat"));
  ASSERT_TRUE(WriteRestartRecord(record));
  UseUpRestartRecord();
  EXPECT_TRUE(folder.Exists("data/boss.dat")) << "only the record read is used up";
}

TEST(RestartRecord, AnInvalidRecordIsDeletedAtOnceSoItCannotTrapEveryStart) {
  testing_support::TempGameFolder folder;
  folder.Write("data/boss.dat", {1, 2});
  EXPECT_FALSE(ReadRestartRecord());
  EXPECT_FALSE(folder.Exists("data/boss.dat"));
}

TEST(RandomGenerator, SameSeedSameSequenceAndDrawsStayInRange) {
  RandomGenerator a, b;
  a.Seed(1234);
  b.Seed(1234);
  int histogram[6] = {};
  for (int i = 0; i < 6000; ++i) {
    const int32_t x = a.R(6);
    EXPECT_EQ(x, b.R(6));
    ASSERT_GE(x, 0);
    ASSERT_LT(x, 6);
    ++histogram[x];
  }
  for (int count : histogram) EXPECT_GT(count, 800);
  EXPECT_EQ(a.R(0), 0);
  EXPECT_EQ(a.R(-3), 0);
  EXPECT_EQ(a.R(1), 0);
}

TEST(RandomGenerator, SeedFromTextTakesOnlyAWholeUnsigned32BitNumber) {
  RandomGenerator g;
  EXPECT_TRUE(g.SeedFromText("4294967295"));
  EXPECT_EQ(g.seed(), 4294967295u);
  EXPECT_TRUE(g.SeedFromText("0"));
  EXPECT_EQ(g.seed(), 0u);
  EXPECT_TRUE(g.SeedFromText("0000000042"));
  EXPECT_EQ(g.seed(), 42u);
  for (const char* bad : {static_cast<const char*>(nullptr), "", "4294967296", "99999999999", "00000000001",
                          "-1", "+5", " 5", "5 ", "12a", "0x10"}) {
    EXPECT_FALSE(g.SeedFromText(bad)) << (bad ? bad : "(none)");
    EXPECT_EQ(g.seed(), 42u) << "a refused text must leave the seed as it was";
  }
}

TEST(GameStates, GameInProgressStatesAreTheOnesARestartSavesTheWorldIn) {
  std::vector<int> inProgress;
  for (int s = 0; s <= kLastGameState; ++s) {
    if (GameInProgress(static_cast<uint8_t>(s))) inProgress.push_back(s);
  }
  EXPECT_EQ(inProgress, (std::vector<int>{2, 12, 13, 14, 15, 17, 18, 19, 22, 23, 25}));
}

// The rows of the state table must agree with one another: a new state's
// row that contradicts its screen shows up here, not as a frame that does
// the wrong thing in play.
TEST(GameStates, EachStatesTraitsFitTheScreenItBelongsTo) {
  const GameStateTraits none{};
  for (int s = 0; s <= 255; ++s) {
    const auto state = static_cast<uint8_t>(s);
    const GameStateTraits& t = TraitsOf(state);
    SCOPED_TRACE(s);
    if (!EnteredState(state)) {
      // A number the game never enters does nothing in a frame.
      EXPECT_TRUE(t == none);
      continue;
    }
    if (t.resumesAs != 0) {
      EXPECT_TRUE(EnteredState(t.resumesAs));
      EXPECT_EQ(TraitsOf(t.resumesAs).resumesAs, 0) << "a restart resumes in one step";
    }
    EXPECT_EQ(t.screen == StateScreen::kPlay, t.playScreen && t.input != StateInput::kDialog);
    const bool typing = t.input == StateInput::kOptionsText || t.input == StateInput::kOptionsKey;
    // Each pair: when the first holds, so must the second.
    const std::pair<bool, bool> implied[] = {
        {t.playScreen, t.inProgress},
        {t.firesBurn, t.playScreen},
        {t.railwayPlays, t.firesBurn},
        {t.padPlays, t.screen == StateScreen::kPlay},
        {t.mainMenuBeside, t.closeBoxAsksToQuit},
        {t.closeBoxAsksToQuit, !t.inProgress},
        {typing, t.screen == StateScreen::kOptions},
    };
    for (size_t i = 0; i < std::size(implied); ++i) {
      EXPECT_TRUE(!implied[i].first || implied[i].second) << "pair " << i;
    }
  }
}

}  // namespace
}  // namespace core
