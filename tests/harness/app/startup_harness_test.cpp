#include <gtest/gtest.h>

#include "game_harness.h"

namespace {

using testing_support::GameHarness;

TEST(StartupHarness, FreshStartShowsTheMenuBackgroundWithTheAnimatedCursorAndMenuMusic) {
  GameHarness game;
  game.Start();
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  game.Frame(10);
  const auto& res = game.context().res;
  EXPECT_TRUE(game.engine().sprites[res.menuBackground].shown);
  EXPECT_TRUE(game.engine().sprites[res.cursorSprite].shown);
  EXPECT_GT(game.context().cursorFrame, 1) << "15 ms frames step the cursor every second frame";
  EXPECT_TRUE(game.engine().SoundFor("sound\\Menu.ogg")->playing);
  EXPECT_EQ(game.engine().gameStates.front(), core::gsMainMenu);
}

TEST(StartupHarness, ResumedStateComesFromTheRestartRecord) {
  GameHarness game;
  game.folder().Write("data/boss.dat", {1, core::gsRecords, 1, 0, 0, 0});
  game.Start();
  EXPECT_EQ(core::GameState(), core::gsRecords);
  EXPECT_TRUE(game.context().restarted);
  EXPECT_FALSE(game.folder().Exists("data/boss.dat"));
}

TEST(StartupHarness, SameSeedGivesTheSameDraws) {
  GameHarness a(42);
  a.Start();
  const int32_t first = core::R(1000);
  GameHarness b(42);
  b.Start();
  EXPECT_EQ(core::R(1000), first);
}

}  // namespace
