#include "world/level_generation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "actors/fire.h"
#include "actors/hero.h"
#include "game_harness.h"
#include "recording_combat.h"

namespace {

using actors::ThingKind;
using testing_support::GameHarness;

constexpr int kSeeds = 40;

// A started game with the world's resources made and the combat recorded.
struct Generation {
  explicit Generation(uint32_t seed) : game(seed) {
    game.Start();
    world().CreateWorldResources();
    world().combat = &combat;
    game.context().random.Seed(seed);
  }
  world::TGame& world() { return *game.context().game; }
  void City() {
    world().hero->GroundY = world::kCityGroundY;
    world::PlaceBuildings(world());
    world::PlaceObstacles(world());
    world::PlaceEnemiesAtObstacles(world());
    world::PlacePickups(world());
  }

  GameHarness game;
  RecordingCombat combat;
};

std::vector<const actors::TFirstPlaneThing*> Solids(const world::TGame& w) {
  std::vector<const actors::TFirstPlaneThing*> result;
  for (const auto& t : w.foregroundObjects) {
    if (!t->IsFire()) result.push_back(t.get());
  }
  return result;
}

TEST(LevelGeneration, FirstObstacleOfEveryCityLevelIsABoxAtFivePlusItsHalfWidth) {
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    gen.City();
    const auto solids = Solids(gen.world());
    ASSERT_FALSE(solids.empty());
    EXPECT_EQ(solids.front()->Kind(), ThingKind::kBox) << "seed " << seed;
    EXPECT_EQ(solids.front()->X, 5 + solids.front()->HalfWidth) << "seed " << seed;
    EXPECT_EQ(solids.front()->Y, world::kCityGroundY);
  }
}

TEST(LevelGeneration, ObstaclesStartBeforeTheLevelEndAndLowBeamsStandFiveUp) {
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    gen.City();
    for (const auto* thing : Solids(gen.world())) {
      if (thing->Kind() == ThingKind::kLowBeam) {
        EXPECT_EQ(thing->Y, world::kCityGroundY + 5);
      } else {
        EXPECT_EQ(thing->Y, world::kCityGroundY);
      }
      EXPECT_LT(thing->X - thing->HalfWidth, 520 + 3) << "every obstacle starts before the cursor passes 520";
    }
  }
}

TEST(LevelGeneration, EveryObstacleCarriesOneEnemyAndLowBeamsCarryItOnTop) {
  bool sawBeam = false, sawCover = false;
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    gen.City();
    const auto solids = Solids(gen.world());
    ASSERT_EQ(gen.combat.enemies.size(), solids.size());
    for (size_t i = 0; i < solids.size(); ++i) {
      const world::EnemySpawn& enemy = gen.combat.enemies[i];
      EXPECT_GE(enemy.terrKind, 1);
      EXPECT_LE(enemy.terrKind, 7);
      if (solids[i]->Kind() == ThingKind::kLowBeam) {
        sawBeam = true;
        ASSERT_TRUE(enemy.standOnHeight.has_value());
        EXPECT_EQ(*enemy.standOnHeight, solids[i]->Y + solids[i]->HalfHeight + 0.1L);
        EXPECT_EQ(enemy.x, solids[i]->X);
      } else if (!enemy.standOnHeight) {
        sawCover = true;
        EXPECT_EQ(enemy.x, solids[i]->X + solids[i]->HalfWidth + 2);
      }
    }
  }
  EXPECT_TRUE(sawBeam);
  EXPECT_TRUE(sawCover);
}

TEST(LevelGeneration, EmptyBuildingLotsAreTwentyUnitsAndTheLastBuildingStartsBefore520) {
  // Each building's cursor is its centre minus the kind's centre offset.
  const long double centres[] = {0, 17.2L, 26, 11, 21.6L, 26, 22, 16, 32};
  const long double advances[] = {0, 34.4L, 52, 22, 43.2L, 52, 44, 32, 64};
  bool sawEmptyLot = false;
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    world::PlaceBuildings(gen.world());
    long double cursor = -20;
    for (const world::PlacedSprite& b : gen.world().buildings) {
      ASSERT_GE(b.kind, 1);
      ASSERT_LE(b.kind, 8);
      const long double start = b.x - centres[b.kind];
      EXPECT_LT(start, 520);
      const long double lots = (start - cursor) / 20;
      EXPECT_NEAR(lots, std::nearbyint(lots), 1e-4) << "seed " << seed;
      EXPECT_GE(lots, -1e-4);
      if (lots > 0.5L) sawEmptyLot = true;
      cursor = start + advances[b.kind];
    }
  }
  EXPECT_TRUE(sawEmptyLot);
}

TEST(LevelGeneration, BuildingTexturesComeFromMemoryOncePerKind) {
  Generation gen(3);
  world::PlaceBuildings(gen.world());
  std::set<uint8_t> kinds;
  for (const auto& b : gen.world().buildings) kinds.insert(b.kind);
  EXPECT_EQ(gen.game.engine().CountCalls("iTextureCreateFromMemory"), static_cast<int>(kinds.size()));
  for (uint8_t k : kinds) {
    EXPECT_EQ(gen.game.engine().TextureFile(gen.world().buildingTextures[k]), "memory:" + std::to_string(1000000 + k));
  }
  for (const auto& b : gen.world().buildings) {
    EXPECT_EQ(gen.game.engine().sprites[b.sprite].mesh, "memory:1000001");
    EXPECT_EQ(gen.game.engine().sprites[b.sprite].priority, 2);
  }
}

TEST(LevelGeneration, PickupsRunFromTwentyToAtMost520) {
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    world::PlacePickups(gen.world());
    const auto& pickups = gen.combat.pickups;
    ASSERT_FALSE(pickups.empty());
    EXPECT_EQ(pickups.front().x, 20);
    for (size_t i = 0; i < pickups.size(); ++i) {
      EXPECT_LE(pickups[i].x, 520);
      EXPECT_GE(pickups[i].y, 4);
      EXPECT_LE(pickups[i].y, 6.9L + 1e-9L);
      EXPECT_GE(pickups[i].kind, 0);
      EXPECT_LE(pickups[i].kind, 6);
      if (i > 0) {
        EXPECT_GE(pickups[i].x - pickups[i - 1].x, 10);
        EXPECT_LE(pickups[i].x - pickups[i - 1].x, 19.9L + 1e-9L);
      }
    }
    EXPECT_GT(pickups.back().x + 19.9L, 520) << "no room was left for one more";
  }
}

TEST(LevelGeneration, TrainStartsWithAFlatCarAtMinus7Point6AndItsEarlyFlatCarsCarryNobody) {
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation gen(seed);
    gen.world().hero->GroundY = world::kTrainGroundY;
    world::PlaceWagons(gen.world());
    const auto& wagons = gen.world().wagons;
    ASSERT_FALSE(wagons.empty());
    EXPECT_EQ(wagons.front().kind, 1);
    EXPECT_FLOAT_EQ(wagons.front().x, -7.6f);
    // Every enemy stands at a wagon's centre; flat cars whose advanced cursor
    // is at most 60 have none.
    for (const auto& enemy : gen.combat.enemies) {
      bool atWagon = false;
      for (const auto& w : wagons) {
        if (std::fabs(static_cast<float>(enemy.x) - w.x) < 1e-4f) {
          atWagon = true;
          const long double cursorAfter = enemy.x - 12.4L + 24.8L;
          if (w.kind == 1) {
            EXPECT_GT(cursorAfter, 60) << "seed " << seed;
          }
          EXPECT_EQ(enemy.standOnHeight.has_value(), w.kind != 1);
        }
      }
      EXPECT_TRUE(atWagon);
    }
    // Wagons past 450 are long passenger cars; every roofed wagon has its box.
    size_t roofed = 0;
    for (const auto& w : wagons) {
      if (w.x - 23 > 450) {
        EXPECT_EQ(w.kind, 4);
      }
      if (w.kind != 1) ++roofed;
    }
    EXPECT_EQ(Solids(gen.world()).size(), roofed);
  }
}

TEST(LevelGeneration, RoofBoxesAreSizedForTheirWagon) {
  Generation gen(5);
  world::PlaceWagons(gen.world());
  size_t i = 0;
  for (const auto& w : gen.world().wagons) {
    if (w.kind == 1) continue;
    const auto* roof = Solids(gen.world())[i++];
    EXPECT_EQ(roof->Kind(), ThingKind::kVagonRectangle);
    EXPECT_FLOAT_EQ(static_cast<float>(roof->X), w.x);
    EXPECT_EQ(roof->HalfWidth, w.kind == 4 ? 22.5L : 11.0L);
    EXPECT_EQ(roof->HalfHeight, w.kind == 2 ? 3.5L : 3.0L);
  }
}

TEST(LevelGeneration, SameSeedGivesTheSameCityLayout) {
  // One harness at a time: the game context is process-wide.
  auto layout = [](uint32_t seed) {
    Generation gen(seed);
    gen.City();
    std::vector<long double> xs;
    for (const auto& t : gen.world().foregroundObjects) xs.push_back(t->X);
    for (const auto& b : gen.world().buildings) xs.push_back(b.x);
    return xs;
  };
  const auto first = layout(77);
  EXPECT_EQ(layout(77), first);
  EXPECT_NE(layout(78), first);
}

TEST(LevelGeneration, RoundFiresTakeTheirShapeAndStayOutOfCollisions) {
  Generation gen(1);
  world::PlaceRoundFire(gen.world(), world::kCarFire, -8.5L, 30);
  const auto& fire = static_cast<const actors::TFire&>(*gen.world().foregroundObjects.back());
  EXPECT_EQ(fire.Kind(), ThingKind::kRoundFire);
  EXPECT_EQ(fire.X, 30);
  EXPECT_EQ(fire.Y, -8.5L);
  EXPECT_EQ(gen.game.engine().particles[fire.ParticleSystem].texture, "data\\particle_clot.dds");
  EXPECT_EQ(actors::FirstSolidOverlap(gen.world().foregroundObjects, fire.Box()), nullptr);
}

}  // namespace
