#include <gtest/gtest.h>

#include "actors/hero.h"
#include "game_harness.h"
#include "recording_combat.h"
#include "world/game.h"

namespace {

using testing_support::GameHarness;

struct World {
  World() {
    game.Start();
    w().CreateWorldResources();
    w().combat = &combat;
  }
  world::TGame& w() { return *game.context().game; }
  GameHarness game;
  RecordingCombat combat;
};

TEST(WorldScroll, ATileAtExactlyMinus32StaysAndOneAtMinus32Point1WrapsTo95Point9) {
  World world;
  world.w().levelKind = world::kCityLevel;
  world.w().backgroundTiles[0].x = -32.0f;
  world.w().foregroundTiles[0].x = -32.1f;
  world.w().PlaceWorldSprites();
  EXPECT_EQ(world.w().backgroundTiles[0].x, -32.0f);
  EXPECT_FLOAT_EQ(world.w().foregroundTiles[0].x, 95.9f);
  EXPECT_FLOAT_EQ(world.game.engine().sprites[world.w().foregroundTiles[0].sprite].location.x, 95.9f);
}

TEST(WorldScroll, TrainLayersDriftOnTheTenthGridRoundingTiesToEven) {
  World world;
  world.w().levelKind = world::kTrainLevel;
  world.w().backgroundTiles[0] = {world.w().backgroundTiles[0].sprite, 10.0f, 0.25f};
  world.w().backgroundTiles[1] = {world.w().backgroundTiles[1].sprite, 3.14f, 0.75f};
  world.w().foregroundTiles[0] = {world.w().foregroundTiles[0].sprite, 10.0f, -9.2f};
  world.w().PlaceWorldSprites();
  EXPECT_FLOAT_EQ(world.w().backgroundTiles[0].x, 9.9f);
  EXPECT_FLOAT_EQ(world.w().backgroundTiles[0].y, 0.2f) << "2.5 tenths round to the even 2";
  EXPECT_FLOAT_EQ(world.w().backgroundTiles[1].x, 3.0f) << "3.14 snaps to 3.1 then steps 0.1";
  EXPECT_FLOAT_EQ(world.w().backgroundTiles[1].y, 0.8f) << "7.5 tenths round to the even 8";
  EXPECT_FLOAT_EQ(world.w().foregroundTiles[0].x, 9.8f);
  EXPECT_FLOAT_EQ(world.w().foregroundTiles[0].y, -9.2f);
}

TEST(WorldScroll, CityLayersStayPutWhenNothingScrolls) {
  World world;
  world.w().levelKind = world::kCityLevel;
  world.w().backgroundTiles[2].x = 64.0f;
  for (int i = 0; i < 10; ++i) world.w().PlaceWorldSprites();
  EXPECT_EQ(world.w().backgroundTiles[2].x, 64.0f);
}

TEST(WorldScroll, AScrollStepMovesTheWorldLeftAndTheCameraRight) {
  World world;
  world::TGame& w = world.w();
  w.levelKind = world::kCityLevel;
  w.backgroundTiles[0].x = 0;
  w.foregroundTiles[0].x = 0;
  w.buildings.push_back({0, 40.0f, 2.4f, 1});
  auto box = std::make_unique<actors::TBox>();
  box->Init();
  box->X = 6.5L;
  w.foregroundObjects.push_back(std::move(box));
  const float cameraBefore = w.cameraLocation.x;

  w.ScrollWorld();

  EXPECT_FLOAT_EQ(w.backgroundTiles[0].x, -0.1f);
  EXPECT_FLOAT_EQ(w.foregroundTiles[0].x, -0.2f);
  EXPECT_FLOAT_EQ(w.buildings[0].x, 39.8f);
  EXPECT_EQ(w.foregroundObjects[0]->X, 6.5L - 0.2L);
  EXPECT_EQ(world.combat.scrolled, -0.2L);
  EXPECT_FLOAT_EQ(w.cameraLocation.x, cameraBefore + 0.06875f);
  EXPECT_FLOAT_EQ(world.game.engine().cameraLocations[world.game.context().res.mainCamera].x, w.cameraLocation.x);
  EXPECT_FLOAT_EQ(world.game.engine().sprites[w.foregroundTiles[0].sprite].location.x, -0.2f);
}

TEST(WorldScroll, ClearLevelEmptiesTheLevelAndPutsTheCameraBack) {
  World world;
  world::TGame& w = world.w();
  w.StartNextLevel();
  ASSERT_FALSE(w.buildings.empty());
  w.ScrollWorld();
  const EHandle buildingSprite = w.buildings.front().sprite;
  w.ClearLevel();
  EXPECT_TRUE(w.buildings.empty());
  EXPECT_TRUE(w.foregroundObjects.empty());
  EXPECT_TRUE(world.game.engine().sprites[buildingSprite].destroyed);
  for (EHandle t : w.buildingTextures) EXPECT_EQ(t, 0u);
  EXPECT_EQ(w.cameraLocation.x, 0);
  EXPECT_EQ(w.cameraLocation.z, -10);
  EXPECT_TRUE(world.game.engine().sprites[world.game.context().res.menuBackground].shown);
}

TEST(WorldScroll, LevelBuildStepsTheLoadingBarNineTimesOnBothLevelKinds) {
  World world;
  world::TGame& w = world.w();
  const auto& res = world.game.context().res;
  for (int level = 1; level <= 3; ++level) {
    w.ClearLevel();
    // One frame before the build, then one per advance of the bar.
    const int rendersBefore = world.game.engine().renders;
    w.StartNextLevel();
    EXPECT_EQ(world.game.engine().renders - rendersBefore, 1 + 9) << "level " << level;
    EXPECT_EQ(world.game.engine().sprites[res.loadingBar].texture, res.loadingBarTextures[10]);
    EXPECT_FALSE(world.game.engine().sprites[res.loadingBar].shown);
  }
}

}  // namespace
