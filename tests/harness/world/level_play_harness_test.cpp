#include <gtest/gtest.h>

#include "actors/hero.h"
#include "game_harness.h"
#include "world/game.h"

namespace {

using testing_support::GameHarness;

// A game started into the level intro, as a restart between levels does:
// the init phase builds the next level at once and play begins.
void StartPlaying(GameHarness& game) {
  game.folder().Write("data/boss.dat", {1, app::gsLevelIntro, 0, 0, 0, 0});
  game.Start();
}

TEST(LevelPlayHarness, ResumingBetweenLevelsBuildsLevelOneAndPlays) {
  GameHarness game;
  StartPlaying(game);
  world::TGame& world = *game.context().game;
  EXPECT_EQ(app::GameState(), app::gsPlaying);
  EXPECT_EQ(world.Level(), 1);
  EXPECT_EQ(world.levelKind, world::kCityLevel);
  EXPECT_FALSE(world.buildings.empty());
  EXPECT_FALSE(world.foregroundObjects.empty());
  game.Frame(5);
  EXPECT_EQ(app::GameState(), app::gsPlaying);
  EXPECT_TRUE(game.engine().sprites[world.hero->BodySprite].shown);
  EXPECT_TRUE(game.engine().sprites[world.panelSprite].shown);
  EXPECT_FALSE(game.engine().sprites[game.context().res.menuBackground].shown);
  EXPECT_FALSE(game.engine().sprites[game.context().res.cursorSprite].shown);
}

}  // namespace
