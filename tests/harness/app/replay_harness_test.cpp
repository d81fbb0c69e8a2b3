// Every run a replay: runs played in the harness through whole frames are
// recorded, and the verifier's re-run of each comes to the same end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/replay_recorder.h"
#include "app/replay_verifier.h"
#include "core/replay_file.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"

namespace {

using testing_support::GameHarness;

constexpr int32_t kX = 0x2D;  // the grenade key

// A player that, from its own seed, holds and taps the play keys in spells
// of 10..60 frames: runs, jumps, crouches, fires, throws.
class ScriptedPlayer {
 public:
  explicit ScriptedPlayer(uint32_t seed) : state_(seed) {}
  void Frame(GameHarness& game) {
    if (--spell_ > 0) return;
    for (int32_t code : held_) game.Release(code);
    held_.clear();
    spell_ = 10 + static_cast<int>(Next() % 50);
    static constexpr int32_t kChoices[][2] = {{keys::kRight, 0},       {keys::kRight, keys::kLeftCtrl},
                                              {keys::kUp, keys::kRight}, {keys::kDown, keys::kLeftCtrl},
                                              {keys::kLeft, 0},          {kX, 0},
                                              {keys::kLeftCtrl, 0},      {keys::kRight, keys::kUp}};
    for (int32_t code : kChoices[Next() % std::size(kChoices)]) {
      if (code == 0) continue;
      game.Hold(code);
      held_.push_back(code);
    }
  }

 private:
  uint32_t Next() { return (state_ = state_ * 1664525u + 1013904223u) >> 8; }
  uint32_t state_;
  int spell_ = 0;
  std::vector<int32_t> held_;
};

struct RecordedRun {
  app::Replay replay;
  bool recorded = false;
};

// Plays from the main menu: `runs` runs of one process, each of at most
// `frames` frames, the last quit by Esc and "yes"; returns the last run's replay.
RecordedRun PlayAndRecord(uint32_t seed, int runs, int frames) {
  GameHarness game(seed);
  app::ReplayRecorder recorder;
  game.form().runObserver = &recorder;
  game.Start();
  for (int run = 0; run < runs; ++run) {
    game.Tap(keys::kEnter);  // "start" is the main menu's first item
    game.Frame();
    ScriptedPlayer player(seed * 7 + static_cast<uint32_t>(run));
    for (int f = 0; f < frames && recorder.Recording(); ++f) {
      player.Frame(game);
      game.Frame();
    }
    for (int code = 1; code < app::kScanCodes; ++code) game.Release(code);
    game.RunUntil([] { return app::GameState() == app::gsPlaying || !app::GameInProgress(app::GameState()); }, 600);
    if (recorder.Recording()) {
      game.Tap(keys::kEscape);
      game.Frame();
      game.Tap(keys::kEnter);  // "yes" is the dialog's first choice
      game.Frame();
    }
    game.RunUntil([] { return app::GameState() == app::gsMainMenu; }, 600);
  }
  recorder.ProcessEnding(false);  // the last run's file is written
  RecordedRun result;
  const auto bytes = game.folder().Read("data/replays/last.vreplay");
  app::ReplayReadResult read = app::DecodeReplay(bytes);
  if (read.replay) {
    result.replay = std::move(*read.replay);
    result.recorded = true;
  }
  return result;
}

TEST(ReplayHarness, ARecordedRunReplaysToTheSameEnd) {
  struct Case {
    const char* what;
    uint32_t seed;
    int runs;
    int frames;
  };
  const Case kCases[] = {
      {"a short run quit from the dialog", 3, 1, 400},
      {"a long fight, to the game over or the quit", 11, 1, 6000},
      {"the second run of a process, after a first one", 5, 2, 1500},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const RecordedRun run = PlayAndRecord(c.seed, c.runs, c.frames);
    ASSERT_TRUE(run.recorded);
    ASSERT_NE(run.replay.end.outcome, app::RunOutcome::kEnded);
    std::string why;
    const auto verdict = app::RunReplay(run.replay, why);
    ASSERT_TRUE(verdict) << why;
    EXPECT_EQ(verdict->frames, run.replay.FrameCount());
    EXPECT_EQ(verdict->end, run.replay.end);
  }
}

TEST(ReplayHarness, AWindowCommandReachesTheGameAtTheStartOfTheNextFrame) {
  for (const int32_t command : {VARNOK_WINDOW_MINIMIZE, VARNOK_WINDOW_PAD_REMOVED}) {
    GameHarness game;
    game.StartPlaying();
    game.form().Window().PostCommand(command);
    game.form().Window().RunPending();
    EXPECT_EQ(app::GameState(), app::gsPlaying) << "not in the middle of a frame";
    game.Frame();
    EXPECT_EQ(app::GameState(), app::gsPaused);
  }
}

}  // namespace
