// The world snapshot on whole levels: a level in the middle of play saved,
// restored into a fresh process's world and compared field by field; saving
// a restored world again; train levels over several restarts; the files a
// level leaves; a snapshot that cannot be read.
#include "world/world_snapshot.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "app/world_resume.h"
#include "engine_link/scan_codes.h"
#include "game_harness.h"
#include "menus/front_end.h"
#include "world/game.h"
#include "world/level_limits.h"

namespace {

using testing_support::GameHarness;
using namespace world::snapshot;

using Files = std::map<std::string, std::vector<uint8_t>>;
const char* const kFiles[] = {"data/game.dat", "data/bp.dat",  "data/fp.dat", "data/bld.dat",
                              "data/vgn.dat",  "data/FPT.dat", "data/E.dat",  "data/hero.dat"};

Files SnapshotFiles(GameHarness& game) {
  Files files;
  for (const char* f : kFiles) {
    if (game.folder().Exists(f)) files[f] = game.folder().Read(f);
  }
  return files;
}

actors::TCombat& Fight(GameHarness& game) { return static_cast<actors::TCombat&>(*game.context().combat); }
world::TGame& World(GameHarness& game) { return *game.context().game; }

// Saves as the old process does before a restart in `state`.
Files SaveFor(GameHarness& game, uint8_t state) {
  EXPECT_TRUE(app::SaveGameForRestart(state));
  return SnapshotFiles(game);
}

// A new process started on `files` with a restart record of `state`.
void Resume(GameHarness& game, const Files& files, uint8_t state) {
  for (const auto& [name, bytes] : files) game.folder().Write(name, bytes);
  game.folder().Write("data/boss.dat", {1, state, 0, 0, 0, 0});
  game.Start();
}

// The level `level` + 1 built at once from a new run's counters.
void StartAtLevel(GameHarness& game, int32_t level) {
  world::WorldSnapshot fresh;
  fresh.header.level = level;
  fresh.header.energy = 5;
  fresh.header.lives = 3;
  world::WriteWorldSnapshot(fresh);
  game.folder().Write("data/boss.dat", {1, core::gsLevelIntro, 0, 0, 0, 0});
  game.Start();
}

int Count(const world::TGame& w, actors::ThingKind kind) {
  int n = 0;
  for (const auto& t : w.foregroundObjects) n += t->Kind() == kind;
  return n;
}

int RoofedWagons(const world::TGame& w) {
  int n = 0;
  for (const auto& wagon : w.wagons) n += wagon.kind >= 2;
  return n;
}

// A city level in the middle of play: scrolled, shots of the hero and of an
// enemy in flight, an enemy killed, an enemy standing on an object, the
// hero standing on a box.
world::WorldSnapshot MidPlayCity(GameHarness& game) {
  game.StartPlaying();
  world::TGame& w = World(game);
  game.Hold(keys::kRight);
  game.Frame(40);
  game.Release(keys::kRight);
  game.Frame();
  // Two shots of the gun, as the fire key fires them.
  for (int shot = 0; shot < 2; ++shot) {
    game.clock().Advance(actors::kFireCooldownMs + 1);
    game.Hold(keys::kLeftCtrl);
    Fight(game).HeroWeapons();
    game.Release(keys::kLeftCtrl);
  }
  actors::TMissile& grenade = *Fight(game).Arsenal().Grenades[4];
  grenade.Free = 0;
  grenade.X = 2.5L;
  grenade.Y = -1.75L;
  grenade.Age = 5;
  grenade.Direction = 0.75L;
  auto& enemies = Fight(game).Field().enemies;
  EXPECT_GE(enemies.size(), 3u);
  enemies[0]->Damage(100);
  actors::TMissile& enemyShot = *enemies[1]->Missiles[9];
  enemyShot.Free = 0;
  enemyShot.X = 3.5L;
  enemyShot.Y = -6.25L;
  enemyShot.Age = 12;
  enemyShot.Direction = 3.14159L;
  const actors::TFirstPlaneThing* box = nullptr;
  for (const auto& t : w.foregroundObjects) {
    if (t->Kind() == actors::ThingKind::kBox) box = t.get();
  }
  EXPECT_NE(box, nullptr);
  if (box) {
    w.hero->X = box->X;
    w.hero->Y = box->Y + box->HalfHeight + w.hero->HalfHeight;
    w.hero->SurfaceHeight = box->Y + box->HalfHeight - w.hero->GroundY;
  }
  w.SetScore(4321);
  w.SetEnergy(3);
  w.SetLives(2);
  return world::CaptureWorld(w, {});
}

TEST(WorldSnapshot, AMidPlayLevelComesBackFieldByField) {
  Files files;
  world::WorldSnapshot before;
  {
    GameHarness game(7);
    before = MidPlayCity(game);
    files = SaveFor(game, core::gsPlaying);
  }
  int inFlight = 0;
  for (const auto& s : before.hero.shotsA) inFlight += !s.free;
  for (const auto& s : before.hero.shotsB) inFlight += !s.free;
  ASSERT_GT(inFlight, 0) << "the hero fired";
  bool standing = false;
  for (const auto& e : before.enemies) standing |= e.walks == 0;
  ASSERT_TRUE(standing) << "an enemy stands on an object";

  GameHarness game(99);
  Resume(game, files, core::gsPlaying);
  ASSERT_EQ(core::GameState(), core::gsPlaying);
  const world::TGame& w = World(game);
  const world::WorldSnapshot after = world::CaptureWorld(w, {});

  EXPECT_EQ(after.header.level, before.header.level);
  EXPECT_EQ(after.header.levelKind, before.header.levelKind);
  EXPECT_EQ(after.header.score, 4321);
  EXPECT_EQ(after.header.energy, 3);
  EXPECT_EQ(after.header.lives, 2);
  EXPECT_EQ(w.currentWeapon, actors::kWeaponA) << "the HUD starts again on weapon A";
  for (int i = 0; i < world::kLayerTiles; ++i) {
    EXPECT_EQ(after.background[i].x, before.background[i].x);
    EXPECT_EQ(after.foreground[i].y, before.foreground[i].y);
  }
  ASSERT_EQ(after.buildings.size(), before.buildings.size());
  for (size_t i = 0; i < before.buildings.size(); ++i) {
    EXPECT_EQ(after.buildings[i].kind, before.buildings[i].kind);
    EXPECT_EQ(after.buildings[i].x, before.buildings[i].x);
  }
  ASSERT_EQ(after.things.size(), before.things.size());
  for (size_t i = 0; i < before.things.size(); ++i) {
    EXPECT_EQ(after.things[i].classCode, before.things[i].classCode) << i;
    EXPECT_EQ(after.things[i].x, before.things[i].x) << i;
    EXPECT_EQ(after.things[i].halfWidth, before.things[i].halfWidth) << i;
  }
  ASSERT_EQ(after.enemies.size(), before.enemies.size());
  for (size_t i = 0; i < before.enemies.size(); ++i) {
    const EnemyRecord& a = after.enemies[i];
    const EnemyRecord& b = before.enemies[i];
    EXPECT_EQ(a.classCode, b.classCode);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.hitPoints, b.hitPoints);
    EXPECT_EQ(a.dead, b.dead);
    EXPECT_EQ(a.walks, b.walks);
    if (!b.walks) {
      EXPECT_EQ(a.facingRight, 0) << "an enemy on an object faces left";
    }
    EXPECT_EQ(a.shots, b.shots);
  }
  const auto& enemies = Fight(game).Field().enemies;
  EXPECT_TRUE(enemies[0]->Dead);
  EXPECT_GE(enemies[0]->Frame, actors::kFirstDeathFrame) << "a dead enemy does not walk again";
  EXPECT_EQ(enemies[1]->Missiles[9]->Direction, 3.14159L);

  const HeroRecord& a = after.hero;
  const HeroRecord& b = before.hero;
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.surfaceHeight, b.surfaceHeight);
  EXPECT_EQ(a.scrollPos, b.scrollPos);
  EXPECT_GT(a.scrollPos, 0);
  EXPECT_EQ(a.lineOffset, b.lineOffset);
  EXPECT_EQ(a.groundY, b.groundY);
  EXPECT_EQ(a.shotsA, b.shotsA);
  EXPECT_EQ(a.shotsB, b.shotsB);
  EXPECT_EQ(a.grenades, b.grenades);
  EXPECT_EQ(a.facingRight, 1);
  EXPECT_EQ(w.Armor(), 0);
  for (const auto& shot : Fight(game).Arsenal().ShotsB) {
    EXPECT_EQ(game.engine().sprites[shot->Sprite].shown, !shot->Free);
  }
  EXPECT_TRUE(Fight(game).Field().pickups.empty()) << "a city level's pick-ups are not part of it";
}

TEST(WorldSnapshot, SavingARestoredWorldAgainGivesTheSameFiles) {
  Files first, second, third;
  {
    GameHarness game(7);
    MidPlayCity(game);
    first = SaveFor(game, core::gsPlaying);
  }
  {
    GameHarness game(8);
    Resume(game, first, core::gsPlaying);
    second = SaveFor(game, core::gsPlaying);
  }
  GameHarness game(9);
  Resume(game, second, core::gsPlaying);
  third = SaveFor(game, core::gsPlaying);
  EXPECT_EQ(second, third);
  // What the restore brings back is written back unchanged.
  for (const char* f : {"data/bp.dat", "data/fp.dat", "data/bld.dat", "data/FPT.dat"}) {
    EXPECT_EQ(first.at(f), second.at(f)) << f;
  }
}

TEST(WorldSnapshot, ATrainLevelKeepsOneRoofPerWagonOverThreeRestarts) {
  Files files;
  {
    GameHarness game(3);
    StartAtLevel(game, 2);
    ASSERT_EQ(World(game).levelKind, world::kTrainLevel);
    ASSERT_GT(RoofedWagons(World(game)), 0);
    ASSERT_EQ(Count(World(game), actors::ThingKind::kVagonRectangle), RoofedWagons(World(game)));
    files = SaveFor(game, core::gsPlaying);
  }
  EXPECT_FALSE(files.count("data/bld.dat")) << "a train snapshot leaves no buildings file";
  for (int cycle = 1; cycle <= 3; ++cycle) {
    GameHarness game(100 + cycle);
    Resume(game, files, core::gsPlaying);
    const world::TGame& w = World(game);
    ASSERT_EQ(w.levelKind, world::kTrainLevel);
    EXPECT_EQ(Count(w, actors::ThingKind::kVagonRectangle), RoofedWagons(w)) << "cycle " << cycle;
    EXPECT_FALSE(Fight(game).Field().pickups.empty()) << "a restored train level gets fresh pick-ups";
    EXPECT_FALSE(game.folder().Exists("data/vgn.dat")) << "read and deleted";
    files = SaveFor(game, core::gsPlaying);
  }
}

TEST(WorldSnapshot, ACitySnapshotRemovesAnOlderWagonsFile) {
  GameHarness game;
  game.StartPlaying();
  game.folder().Write("data/vgn.dat", std::vector<uint8_t>(kPlacedSize, 0));
  const Files files = SaveFor(game, core::gsPlaying);
  EXPECT_FALSE(files.count("data/vgn.dat"));
  EXPECT_TRUE(files.count("data/bld.dat"));
}

TEST(WorldSnapshot, ALevelWithoutObjectsOrEnemiesWritesEmptyFiles) {
  GameHarness game;
  game.StartPlaying();
  World(game).foregroundObjects.clear();
  Fight(game).ClearActors();
  const Files files = SaveFor(game, core::gsPlaying);
  EXPECT_TRUE(files.at("data/FPT.dat").empty());
  EXPECT_TRUE(files.at("data/E.dat").empty());
  EXPECT_EQ(files.at("data/hero.dat").size(), kHeroSize);
}

TEST(WorldSnapshot, ATenCharacterNameFillsTheFieldWithoutATerminator) {
  GameHarness game;
  game.StartPlaying();
  menus::Menus().recordInput.name() = "ABCDEFGHIJ";
  game.context().pendingRecordRank = 4;
  const auto header = SaveFor(game, core::gsRecordName).at("data/game.dat");
  ASSERT_EQ(header.size(), kHeaderSize);
  EXPECT_EQ(header[28], 10);
  EXPECT_EQ(std::string(header.begin() + 29, header.begin() + 39), "ABCDEFGHIJ");
  EXPECT_EQ(header[39], 0);
  EXPECT_EQ(header[12], 4);
}

TEST(WorldSnapshot, AMissingMandatoryFileSendsTheGameToTheMainMenuWithNoWorld) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    files = SaveFor(game, core::gsPlaying);
  }
  files.erase("data/E.dat");
  GameHarness game;
  testing::internal::CaptureStderr();
  Resume(game, files, core::gsPlaying);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  EXPECT_EQ(World(game).worldActive, 0) << "nothing of the level was built";
  EXPECT_EQ(World(game).hero, nullptr);
  EXPECT_NE(said.find("E.dat"), std::string::npos) << said;
  EXPECT_TRUE(game.folder().Exists("data/bld.dat")) << "nothing was consumed by the failed read";
}

TEST(WorldSnapshot, AShortHeroFileIsRefusedToo) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    files = SaveFor(game, core::gsPaused);
  }
  files.at("data/hero.dat").resize(kHeroSize - 10);
  GameHarness game;
  testing::internal::CaptureStderr();
  Resume(game, files, core::gsPaused);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("hero.dat"), std::string::npos);
  EXPECT_EQ(core::GameState(), core::gsMainMenu);
  game.Frame(3);
  EXPECT_TRUE(game.engine().sprites[game.context().res.menuBackground].shown);
}

TEST(WorldSnapshot, AForegroundFileWithAPartRecordOrMoreThanALevelHoldsIsRefused) {
  Files files;
  {
    GameHarness game;
    game.StartPlaying();
    files = SaveFor(game, core::gsPaused);
  }
  for (size_t size : {files.at("data/FPT.dat").size() + 1, (world::kMaxLevelThings + 1) * kForegroundSize}) {
    SCOPED_TRACE(size);
    Files damaged = files;
    damaged.at("data/FPT.dat").resize(size, 0);
    GameHarness game;
    testing::internal::CaptureStderr();
    Resume(game, damaged, core::gsPaused);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("FPT.dat"), std::string::npos);
    EXPECT_EQ(core::GameState(), core::gsMainMenu);
    EXPECT_EQ(World(game).worldActive, 0) << "nothing of the level was built";
  }
}

TEST(WorldSnapshot, ASecondEngineStartNeitherMakesNorRestoresTheWorldAgain) {
  Files files;
  {
    GameHarness game(7);
    MidPlayCity(game);
    files = SaveFor(game, core::gsPlaying);
  }
  GameHarness game;
  Resume(game, files, core::gsPlaying);
  const actors::THero* hero = World(game).hero.get();
  const size_t things = World(game).foregroundObjects.size();
  const size_t enemies = Fight(game).Field().enemies.size();
  const size_t buildings = World(game).buildings.size();
  game.form().EngineInit();  // the engine opened again in the same process
  EXPECT_EQ(World(game).hero.get(), hero);
  EXPECT_EQ(World(game).foregroundObjects.size(), things);
  EXPECT_EQ(Fight(game).Field().enemies.size(), enemies);
  EXPECT_EQ(World(game).buildings.size(), buildings);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
}

}  // namespace
