// Window commands reach the game at the start of a frame, as a replay has
// them; the recorded runs themselves are re-run in tests/integration/replay.
#include <gtest/gtest.h>

#include "game_harness.h"

namespace {

using testing_support::GameHarness;

TEST(ReplayHarness, AWindowCommandReachesTheGameAtTheStartOfTheNextFrame) {
  for (const int32_t command : {VARNOK_WINDOW_MINIMIZE, VARNOK_WINDOW_PAD_REMOVED}) {
    GameHarness game;
    game.StartPlaying();
    game.form().Window().PostCommand(command);
    game.form().Window().RunPending();
    EXPECT_EQ(core::GameState(), core::gsPlaying) << "not in the middle of a frame";
    game.Frame();
    EXPECT_EQ(core::GameState(), core::gsPaused);
  }
}

}  // namespace
