// A run that enters the high-score table keeps its replay, and picked from
// the table it plays again in the game to the end it was recorded with, then
// leaves nothing of itself behind.
#include <gtest/gtest.h>

#include <cstring>

#include "app/replay_recorder.h"
#include "core/controls.h"
#include "core/record_replays.h"
#include "../menus/menu_driver.h"

namespace {

using namespace menus_test;
using testing_support::GameHarness;

size_t LiveSprites(GameHarness& game) {
  size_t live = 0;
  for (const auto& [handle, sprite] : game.engine().sprites) live += sprite.destroyed ? 0 : 1;
  return live;
}

class WatchHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    game.form().runObserver = &recorder;
    // A table any score enters at rank 1.
    core::TRecordsTable low = core::DefaultRecords();
    for (auto& entry : low) entry.Score = -1;
    game.folder().Write("data/records.dat", std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(low.data()),
                                                                  reinterpret_cast<const uint8_t*>(low.data()) + 160));
    game.Start();
    game.Frame();
    Press(game, keys::kEnter);  // start
    ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 5));
    // Run and shoot, then quit through the dialog into the name entry.
    game.Hold(keys::kRight);
    game.Hold(keys::kLeftCtrl);
    game.Frame(600);
    game.Release(keys::kLeftCtrl);
    game.Release(keys::kRight);
    Press(game, keys::kEscape);
    Menus().exitMenu.SetItemQuietly(menus::TExitMenu::kYes);
    Press(game, keys::kEnter);
    ASSERT_EQ(core::GameState(), core::gsRecordName);
    Menus().recordInput.SaveRecord();
    Press(game, keys::kEscape);  // no submission
    ASSERT_EQ(core::GameState(), core::gsRecords);
    const auto bytes = recorder.FinishedRunReplay(game.context().records[0].Score);
    ASSERT_TRUE(bytes);
    recorded = core::DecodeReplay(*bytes).replay->end;
  }

  GameHarness game{1770};
  app::ReplayRecorder recorder;
  core::ReplayEnd recorded;
};

TEST_F(WatchHarness, PickedFromTheTableTheRunPlaysToItsRecordedEndAndTheTableReturns) {
  const size_t sprites = LiveSprites(game);
  Press(game, keys::kDown);
  ASSERT_EQ(Menus().recordsMenu.row(), 1);
  Press(game, keys::kEnter);
  ASSERT_TRUE(game.form().Watching());
  EXPECT_FALSE(game.engine().sprites[game.context().res.menuBackground].shown);
  ASSERT_TRUE(game.RunUntil([&] { return game.form().watch()->End().has_value(); }, 2000));
  const core::ReplayEnd& watched = *game.form().watch()->End();
  EXPECT_EQ(watched.outcome, recorded.outcome);
  EXPECT_EQ(watched.score, recorded.score);
  EXPECT_EQ(watched.world, recorded.world) << "the watched run is the recorded one";
  ASSERT_TRUE(game.RunUntil([&] { return !game.form().Watching(); }, app::kWatchEndHoldFrames + 2));
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_TRUE(Shown(game, "data\\Table.png"));
  EXPECT_EQ(LiveSprites(game), sprites + 3) << "only the captions stay, for the next replay";
  EXPECT_TRUE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
}

TEST_F(WatchHarness, ARunRecordedWithTheGamesKeysPlaysTheSameUnderThePlayersControls) {
  core::Controls rebound = core::DefaultControls();
  core::BindKey(rebound, {core::Action::kFire, 0}, 0x39);  // Space fires, Left Ctrl does nothing
  core::BindKey(rebound, {core::Action::kRight, 0}, 0x20);  // D walks right
  ASSERT_TRUE(core::SaveControls(rebound));
  game.context().controls = rebound;
  Press(game, keys::kDown);
  Press(game, keys::kEnter);
  ASSERT_TRUE(game.RunUntil([&] { return game.form().watch()->End().has_value(); }, 2000));
  const core::ReplayEnd& watched = *game.form().watch()->End();
  EXPECT_EQ(watched.score, recorded.score);
  EXPECT_EQ(watched.world, recorded.world);
}

TEST_F(WatchHarness, EscLeavesAReplayAndTheWatchChangesNoPlayerFile) {
  const auto recordsBefore = game.folder().Read("data/records.dat");
  const auto settingsBefore = game.folder().Read("data/settings.dat");
  ClickAt(game, -5, 5 - 1.05f);  // row 1
  ASSERT_TRUE(game.form().Watching());
  Press(game, 0x39);  // Space pauses
  EXPECT_TRUE(game.form().watch()->Paused());
  EXPECT_TRUE(Shown(game, "data\\ReplayPaused.png"));
  game.Frame(30);
  Press(game, keys::kEscape);
  EXPECT_FALSE(game.form().Watching());
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_EQ(game.folder().Read("data/records.dat"), recordsBefore);
  EXPECT_EQ(game.folder().Read("data/settings.dat"), settingsBefore);
}

TEST_F(WatchHarness, AltEnterWhileWatchingRestartsIntoTheTable) {
  const auto recordsBefore = game.folder().Read("data/records.dat");
  Press(game, keys::kDown);
  Press(game, keys::kEnter);
  game.Frame(20);
  Chord(game, {keys::kLeftAlt}, keys::kEnter);
  EXPECT_FALSE(game.form().Watching());
  EXPECT_TRUE(game.form().Window().TimerEnabled(game.form().Timer2)) << "the restart is under way";
  EXPECT_EQ(game.folder().Read("data/boss.dat").at(1), core::gsRecords);
  EXPECT_EQ(game.folder().Read("data/records.dat"), recordsBefore);
  EXPECT_EQ(game.folder().Read("data/settings.dat").at(0), 0) << "into the other window mode";
}

TEST_F(WatchHarness, ADamagedReplaySaysSoAndTheTableStays) {
  const core::RecordReplayIndex index = core::LoadRecordReplayIndex();
  ASSERT_TRUE(index[0]);
  game.folder().Write("data/replays/" + index[0]->file, {'V', 'A', 'R', 'N'});
  Press(game, keys::kDown);
  Press(game, keys::kEnter);
  EXPECT_FALSE(game.form().Watching());
  EXPECT_EQ(core::GameState(), core::gsRecords);
  const auto& prints = game.engine().prints;
  EXPECT_TRUE(std::any_of(prints.begin(), prints.end(),
                          [](const fake::Print& p) { return p.text.starts_with("The replay is damaged"); }));
}

}  // namespace
