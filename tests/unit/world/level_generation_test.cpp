#include "world/level_generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

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

// Known draws give one exact layout: a swapped, missing or extra draw moves
// or changes something pinned here. The generator's script answers the draws
// in order; every routine must use exactly the values it was given.
struct ScriptedGeneration : Generation {
  ScriptedGeneration() : Generation(1) {}
  void Script(std::vector<int32_t> values) { game.context().random.Script(values); }
  size_t Left() { return game.context().random.ScriptedLeft(); }
};

struct PinnedFire {
  long double x, y;
};

std::vector<PinnedFire> WindowFires(const world::TGame& w) {
  std::vector<PinnedFire> fires;
  for (const auto& t : w.foregroundObjects) {
    EXPECT_EQ(t->Kind(), ThingKind::kWindowFire);
    fires.push_back({t->X, t->Y});
  }
  return fires;
}

// The enemies asked for, against the pinned list: class, X, and the height
// of the surface a standing enemy is put on (within `tolerance`).
void ExpectSpawns(const std::vector<world::EnemySpawn>& spawned, const std::vector<world::EnemySpawn>& expected,
                  double tolerance) {
  ASSERT_EQ(spawned.size(), expected.size());
  for (size_t i = 0; i < spawned.size(); ++i) {
    EXPECT_EQ(spawned[i].terrKind, expected[i].terrKind) << "enemy " << i;
    EXPECT_NEAR(static_cast<double>(spawned[i].x), static_cast<double>(expected[i].x), 1e-9) << "enemy " << i;
    ASSERT_EQ(spawned[i].standOnHeight.has_value(), expected[i].standOnHeight.has_value()) << "enemy " << i;
    if (expected[i].standOnHeight) {
      EXPECT_NEAR(static_cast<double>(*spawned[i].standOnHeight), static_cast<double>(*expected[i].standOnHeight),
                  tolerance)
          << "enemy " << i;
    }
  }
}

TEST(LevelGeneration, TheDensestLayoutsStayWithinWhatASnapshotMayHold) {
  // Each list at its fullest: every building of one kind with its windows
  // lit by the same draw, every obstacle of one kind packed at its least gap,
  // every wagon of one kind; then every seed's random level as well.
  size_t buildings = 0, wagons = 0, things = 0, enemies = 0;
  auto note = [&](Generation& gen) {
    buildings = std::max(buildings, gen.world().buildings.size());
    wagons = std::max(wagons, gen.world().wagons.size());
    things = std::max(things, gen.world().foregroundObjects.size());
    enemies = std::max(enemies, gen.combat.enemies.size());
  };
  for (int32_t building = 0; building <= world::kBuildingKinds; ++building) {
    for (int32_t obstacle = 0; obstacle < 5; ++obstacle) {
      Generation gen(1);
      gen.world().hero->GroundY = world::kCityGroundY;
      gen.game.context().random.Script(std::vector<int32_t>(100, building));
      world::PlaceBuildings(gen.world());
      std::vector<int32_t> draws;
      for (int i = 0; i < 100; ++i) draws.insert(draws.end(), {obstacle, 0});
      gen.game.context().random.Script(draws);
      world::PlaceObstacles(gen.world());
      gen.game.context().random.Script({});
      world::PlaceEnemiesAtObstacles(gen.world());
      note(gen);
    }
  }
  for (int32_t wagon = 0; wagon < 3; ++wagon) {
    Generation gen(1);
    gen.world().hero->GroundY = world::kTrainGroundY;
    gen.game.context().random.Script(std::vector<int32_t>(100, wagon));
    world::PlaceWagons(gen.world());
    note(gen);
  }
  for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
    Generation city(seed);
    city.City();
    note(city);
    Generation train(seed);
    train.world().hero->GroundY = world::kTrainGroundY;
    world::PlaceWagons(train.world());
    note(train);
  }
  EXPECT_GT(things, 150u) << "the densest street was reached";
  EXPECT_LT(buildings, world::kMaxLevelBuildings);
  EXPECT_LT(wagons, world::kMaxLevelWagons);
  EXPECT_LT(things, world::kMaxLevelThings);
  EXPECT_LT(enemies, world::kMaxLevelEnemies);
}

TEST(LevelGenerationPinned, BuildingsAndWindowFiresFollowTheDrawsInOrder) {
  ScriptedGeneration gen;
  // Kind draw, then the kind's fire draw (none for kind 4), per building.
  gen.Script({0, 1, 1, 3, 0, 4, 2, 2, 8, 1, 5, 1, 6, 1, 7, 1, 8, 0, 8, 2, 8, 0});
  world::PlaceBuildings(gen.world());
  EXPECT_EQ(gen.Left(), 0u);

  struct PinnedBuilding {
    uint8_t kind;
    float x, y;
  };
  const PinnedBuilding expected[] = {{1, 17.2f, 2.4f},   {3, 45.4f, 2.43f},  {4, 78.0f, 3.44f},  {2, 125.6f, 2.16f},
                                     {8, 183.6f, 2.7f},  {5, 241.6f, 2.3f},  {6, 289.6f, 2.3f},  {7, 327.6f, 3.2f},
                                     {8, 375.6f, 2.7f},  {8, 439.6f, 2.7f},  {8, 503.6f, 2.7f}};
  const auto& buildings = gen.world().buildings;
  ASSERT_EQ(buildings.size(), std::size(expected));
  for (size_t i = 0; i < buildings.size(); ++i) {
    EXPECT_EQ(buildings[i].kind, expected[i].kind) << "building " << i;
    EXPECT_FLOAT_EQ(buildings[i].x, expected[i].x) << "building " << i;
    EXPECT_FLOAT_EQ(buildings[i].y, expected[i].y) << "building " << i;
  }

  const PinnedFire fires[] = {
      {22.7L, 6.9L},                                                               // kind 1, right window
      {133.1L, 4.36L}, {145.6L, 6.66L},                                            // kind 2, right side
      {172.6L, 2.2L},  {167.1L, 2.2L},  {161.9L, 2.2L},  {156.3L, 2.2L},           // kind 8, left side
      {237.6L, -1.7L}, {230.1L, -1.7L}, {222.1L, -1.7L}, {245.6L, -1.7L}, {253.6L, -1.7L}, {260.8L, -1.7L},
      {276.6L, 4.5L},                                                              // kind 6, left window
      {328.6L, 4.8L},  {325.6L, 4.8L},  {331.6L, 4.8L},                            // kind 7
      {450.6L, 2.2L},  {456.1L, 2.2L},  {461.3L, 2.2L},  {466.9L, 2.2L},           // kind 8, right side
  };
  const auto placed = WindowFires(gen.world());
  ASSERT_EQ(placed.size(), std::size(fires));
  for (size_t i = 0; i < placed.size(); ++i) {
    EXPECT_NEAR(static_cast<double>(placed[i].x), static_cast<double>(fires[i].x), 1e-9) << "fire " << i;
    EXPECT_NEAR(static_cast<double>(placed[i].y), static_cast<double>(fires[i].y), 1e-9) << "fire " << i;
  }
}

TEST(LevelGenerationPinned, ObstaclesWithTheirFiresAndEnemiesFollowTheDrawsInOrder) {
  ScriptedGeneration gen;
  gen.world().hero->GroundY = world::kCityGroundY;
  // Per obstacle: its kind draw, then its gap draw. The first is a box
  // whatever is drawn; then a black car, a yellow car, a truck, a low beam,
  // a box, and low beams with the widest gap to the end.
  std::vector<int32_t> draws = {3, 25, 1, 7, 2, 50, 3, 99, 4, 0, 0, 10};
  for (int i = 0; i < 14; ++i) draws.insert(draws.end(), {4, 99});
  gen.Script(draws);
  world::PlaceObstacles(gen.world());
  EXPECT_EQ(gen.Left(), 0u);

  struct PinnedThing {
    ThingKind kind;
    long double x, y;
  };
  std::vector<PinnedThing> expected = {
      {ThingKind::kBox, 6.5L, -8},
      {ThingKind::kBlackCar, 27, -8},       {ThingKind::kRoundFire, 32.5L, -8.5L}, {ThingKind::kRoundFire, 23, -8},
      {ThingKind::kYellowCar, 39.7L, -8},   {ThingKind::kRoundFire, 39.7L, -10},
      {ThingKind::kTruck, 57.7L, -8},       {ThingKind::kRoundFire, 62.7L, -4},
      {ThingKind::kLowBeam, 86.6L, -3},
      {ThingKind::kBox, 99.1L, -8},
  };
  // Low beams from a cursor of 110.1, each 15 + 5 + 9.9 on, the last at 498.8.
  for (int i = 0; i < 14; ++i) expected.push_back({ThingKind::kLowBeam, 110.1L + 29.9L * i + 15 - 6, -3});
  const auto& things = gen.world().foregroundObjects;
  ASSERT_EQ(things.size(), expected.size());
  for (size_t i = 0; i < things.size(); ++i) {
    EXPECT_EQ(things[i]->Kind(), expected[i].kind) << "object " << i;
    EXPECT_NEAR(static_cast<double>(things[i]->X), static_cast<double>(expected[i].x), 1e-9) << "object " << i;
    EXPECT_NEAR(static_cast<double>(things[i]->Y), static_cast<double>(expected[i].y), 1e-9) << "object " << i;
  }

  // Per obstacle: the placement draw (drawn for a beam too, which always
  // carries its enemy on top), then the enemy's class.
  draws = {0, 2, 1, 6, 0, 0, 1, 4, 0, 3, 1, 5};
  for (int i = 0; i < 14; ++i) draws.insert(draws.end(), {0, 1});
  gen.Script(draws);
  world::PlaceEnemiesAtObstacles(gen.world());
  EXPECT_EQ(gen.Left(), 0u);

  std::vector<world::EnemySpawn> enemies = {
      {3, 10, std::nullopt},     // beside the box: 6.5 + 1.5 + 2
      {7, 27, -6.9L},            // on the black car: -8 + 1 + 0.1
      {1, 43.7L, std::nullopt},  // beside the yellow car
      {5, 57.7L, -4.5L},         // on the truck: -8 + 3.4 + 0.1
      {4, 86.6L, -2.4L},         // on the beam although 0 was drawn: -3 + 0.5 + 0.1
      {6, 99.1L, -6.7L},         // on the box: -8 + 1.2 + 0.1
  };
  for (int i = 0; i < 14; ++i) enemies.push_back({2, 110.1L + 29.9L * i + 9, -2.4L});
  ExpectSpawns(gen.combat.enemies, enemies, 1e-9);
}

TEST(LevelGenerationPinned, PickupsFollowTheDrawsInOrder) {
  ScriptedGeneration gen;
  // Per pick-up: kind, height, gap.
  std::vector<int32_t> draws = {6, 29, 0, 0, 0, 99, 3, 15, 55};
  for (int i = 0; i < 23; ++i) draws.insert(draws.end(), {1, 10, 99});
  gen.Script(draws);
  world::PlacePickups(gen.world());
  EXPECT_EQ(gen.Left(), 0u);

  std::vector<RecordedPickup> expected = {{6, 20, 6.9L}, {0, 30, 4}, {3, 49.9L, 5.5L}};
  for (int i = 0; i < 23; ++i) expected.push_back({1, 65.4L + 19.9L * i, 5});  // the last at 503.2
  const auto& pickups = gen.combat.pickups;
  ASSERT_EQ(pickups.size(), expected.size());
  for (size_t i = 0; i < pickups.size(); ++i) {
    EXPECT_EQ(pickups[i].kind, expected[i].kind) << "pick-up " << i;
    EXPECT_NEAR(static_cast<double>(pickups[i].x), static_cast<double>(expected[i].x), 1e-9) << "pick-up " << i;
    EXPECT_NEAR(static_cast<double>(pickups[i].y), static_cast<double>(expected[i].y), 1e-9) << "pick-up " << i;
  }
}

TEST(LevelGenerationPinned, WagonsWithTheirRoofsAndEnemiesFollowTheDrawsInOrder) {
  ScriptedGeneration gen;
  gen.world().hero->GroundY = world::kTrainGroundY;
  // Per wagon: the kind draw (ignored for the first and past 450), then the
  // enemy's class where the wagon carries one.
  std::vector<int32_t> draws = {2, 0, 1, 3, 0, 5, 2, 0};
  for (int i = 0; i < 14; ++i) draws.insert(draws.end(), {2, 6});
  draws.insert(draws.end(), {1, 4, 1, 4});
  gen.Script(draws);
  world::PlaceWagons(gen.world());
  EXPECT_EQ(gen.Left(), 0u);

  struct PinnedWagon {
    uint8_t kind;
    long double x;
  };
  std::vector<PinnedWagon> wagons = {{1, -7.6L}, {1, 17.2L}, {2, 42}, {1, 66.8L}, {3, 92}};
  for (int i = 0; i < 14; ++i) wagons.push_back({3, 104.8L + 25.6L * i + 12.8L});
  wagons.push_back({4, 486.2L});
  wagons.push_back({4, 532.2L});
  const auto& placed = gen.world().wagons;
  ASSERT_EQ(placed.size(), wagons.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    EXPECT_EQ(placed[i].kind, wagons[i].kind) << "wagon " << i;
    EXPECT_FLOAT_EQ(placed[i].x, static_cast<float>(wagons[i].x)) << "wagon " << i;
  }

  // Roof boxes of the roofed wagons, in order, and the enemies: none on the
  // two flat cars near the start, a walker on the flat car past 60, and one
  // standing on every roof.
  std::vector<long double> roofs = {42, 92};
  std::vector<world::EnemySpawn> enemies = {{4, 42, -2.5L}, {6, 66.8L, std::nullopt}, {1, 92, -3.2L}};
  for (int i = 0; i < 14; ++i) {
    roofs.push_back(104.8L + 25.6L * i + 12.8L);
    enemies.push_back({7, roofs.back(), -3.2L});
  }
  for (long double x : {486.2L, 532.2L}) {
    roofs.push_back(x);
    enemies.push_back({5, x, -2.9L});
  }
  const auto solids = Solids(gen.world());
  ASSERT_EQ(solids.size(), roofs.size());
  for (size_t i = 0; i < solids.size(); ++i) {
    EXPECT_EQ(solids[i]->Kind(), ThingKind::kVagonRectangle);
    EXPECT_NEAR(static_cast<double>(solids[i]->X), static_cast<double>(roofs[i]), 1e-9) << "roof " << i;
  }
  ExpectSpawns(gen.combat.enemies, enemies, 1e-6);  // a wagon's height is a float
}

}  // namespace
