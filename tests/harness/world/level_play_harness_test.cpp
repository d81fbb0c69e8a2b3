#include <gtest/gtest.h>

#include "actors/fire.h"
#include "actors/hero.h"
#include "engine_link/scan_codes.h"
#include "platform/tick_clock.h"
#include "game_harness.h"
#include "world/game.h"

namespace {

using testing_support::GameHarness;

constexpr int kTransitionFrames = 2000 / 15 + 5;  // the pause between levels, and a little

// A new run resumed between levels: the init phase builds level 1 at once.
world::TGame& StartPlaying(GameHarness& game) {
  game.StartPlaying();
  return *game.context().game;
}

bool Playing() { return core::GameState() == core::gsPlaying; }

// Ends the current level as reaching its end does and waits for the next.
void FinishLevel(GameHarness& game, world::TGame& w) {
  w.hero->ScrollPos = actors::kLevelEndPos;
  game.Frame();
  ASSERT_EQ(core::GameState(), core::gsLevelIntro);
  ASSERT_TRUE(game.RunUntil(Playing, kTransitionFrames));
}

TEST(LevelPlayHarness, ResumingBetweenLevelsBuildsLevelOneAndPlays) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_EQ(w.Level(), 1);
  EXPECT_EQ(w.levelKind, world::kCityLevel);
  EXPECT_FALSE(w.buildings.empty());
  EXPECT_FALSE(w.foregroundObjects.empty());
  game.Frame(5);
  EXPECT_EQ(core::GameState(), core::gsPlaying);
  EXPECT_TRUE(game.engine().sprites[w.hero->BodySprite].shown);
  EXPECT_TRUE(game.engine().sprites[w.panelSprite].shown);
  EXPECT_TRUE(game.engine().sprites[w.foregroundTiles[0].sprite].shown);
  EXPECT_FALSE(game.engine().sprites[game.context().res.menuBackground].shown);
  EXPECT_FALSE(game.engine().sprites[game.context().res.cursorSprite].shown);
  EXPECT_TRUE(game.engine().SoundFor("sound\\Game.ogg")->playing);
}

TEST(LevelPlayHarness, LevelsThreeAndSixRunOnTheTrainTheOthersInTheCity) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  const uint8_t expected[] = {0, world::kCityLevel, world::kCityLevel, world::kTrainLevel,
                              world::kCityLevel, world::kCityLevel, world::kTrainLevel};
  for (int level = 1; level <= 6; ++level) {
    ASSERT_EQ(w.Level(), level);
    EXPECT_EQ(w.levelKind, expected[level]) << "level " << level;
    EXPECT_EQ(w.hero->GroundY, expected[level] == world::kTrainLevel ? -6.0L : -8.0L);
    EXPECT_EQ(w.buildings.empty(), expected[level] == world::kTrainLevel);
    EXPECT_EQ(w.wagons.empty(), expected[level] == world::kCityLevel);
    game.Frame();
    EXPECT_EQ(game.engine().sounds[game.context().res.railwaySound].playing, expected[level] == world::kTrainLevel)
        << "the railway loops on every train level, level " << level;
    if (level < 6) FinishLevel(game, w);
  }
}

TEST(LevelPlayHarness, WeaponLoopsStopUnlessTheirWeaponIsInHandAndFiring) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  const core::SharedResources& res = game.context().res;
  const struct {
    int32_t weapon;
    bool gun, laser, fire;  // still playing while a fire key is held
  } cases[] = {{1, true, false, false}, {2, true, false, false}, {3, false, true, false},
               {4, false, false, true}, {5, true, false, false}};
  for (const auto& c : cases) {
    for (bool firing : {true, false}) {
      w.currentWeapon = c.weapon;
      w.hero->FireTick = platform::GetTickCount();  // no new shot starts a loop in this frame
      for (EHandle sound : {res.gunSound, res.laserSound, res.fireSound}) iSoundPlay(sound, -1);
      if (firing) game.Hold(keys::kRightCtrl);
      game.Frame();
      game.Release(keys::kRightCtrl);
      const auto playing = [&game](EHandle sound) { return game.engine().sounds[sound].playing; };
      EXPECT_EQ(playing(res.gunSound), firing && c.gun) << "weapon " << c.weapon << " firing " << firing;
      EXPECT_EQ(playing(res.laserSound), firing && c.laser) << "weapon " << c.weapon << " firing " << firing;
      EXPECT_EQ(playing(res.fireSound), firing && c.fire) << "weapon " << c.weapon << " firing " << firing;
    }
  }
}

TEST(LevelPlayHarness, TheTrainDriftsWhileTheHeroStandsStill) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  FinishLevel(game, w);
  FinishLevel(game, w);
  ASSERT_EQ(w.levelKind, world::kTrainLevel);
  const float back = w.backgroundTiles[1].x, front = w.foregroundTiles[1].x;
  game.Frame(10);
  EXPECT_NEAR(w.backgroundTiles[1].x, back - 1.0f, 1e-4);
  EXPECT_NEAR(w.foregroundTiles[1].x, front - 2.0f, 1e-4);
  EXPECT_EQ(w.hero->ScrollPos, 0);
  int burning = 0;
  for (const auto& [handle, system] : game.engine().particles) burning += system.emitted > 0 && !system.destroyed;
  EXPECT_EQ(burning, 0) << "the generated train carries no fires";
}

TEST(LevelPlayHarness, CityFiresBurnEveryFrameOfPlay) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  int fires = 0;
  for (const auto& thing : w.foregroundObjects) fires += thing->IsFire();
  ASSERT_GT(fires, 0);
  game.Frame(3);
  for (const auto& thing : w.foregroundObjects) {
    if (!thing->IsFire()) continue;
    const auto& fire = static_cast<const actors::TFire&>(*thing);
    EXPECT_EQ(game.engine().particles[fire.ParticleSystem].emitted, 30);
    EXPECT_TRUE(game.engine().particles[fire.ParticleSystem].shown);
  }
}

TEST(LevelPlayHarness, ADeathWithLivesLeftRepeatsTheLevelNumberWithANewLayout) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  FinishLevel(game, w);
  ASSERT_EQ(w.Level(), 2);
  const long double firstCarX = w.foregroundObjects.size() > 3 ? w.foregroundObjects[3]->X : 0;
  w.hero->TakeHit(5);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsLevelIntro; }, 100));
  EXPECT_EQ(w.Lives(), 2);
  EXPECT_EQ(w.Energy(), 5);
  EXPECT_EQ(w.sharedImages[world::kLivesSprite], 0u) << "the lives counter is made again with the level";
  ASSERT_TRUE(game.RunUntil(Playing, kTransitionFrames));
  EXPECT_EQ(w.Level(), 2);
  EXPECT_EQ(game.engine().TextureFile(game.engine().sprites[w.sharedImages[world::kLivesSprite]].texture),
            "data\\LF2.png");
  EXPECT_EQ(game.engine().TextureFile(game.engine().sprites[w.energySprite].texture), "data\\energy5.png");
  const long double secondCarX = w.foregroundObjects.size() > 3 ? w.foregroundObjects[3]->X : 0;
  EXPECT_NE(firstCarX, secondCarX);
}

TEST(LevelPlayHarness, ADeathOnTheLastLifeEndsTheRun) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  w.SetLives(1);
  w.hero->TakeHit(5);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsGameOver; }, 100));
  EXPECT_TRUE(game.engine().sprites[game.context().res.gameOverPicture].shown);
  EXPECT_EQ(w.Level(), 1);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() != core::gsGameOver; }, 1000 / 15 + 5));
  EXPECT_EQ(core::GameState(), core::gsGameOverWait);
}

TEST(LevelPlayHarness, TheLevelIntroHidesThePlayScreenAndTheHudTexts) {
  GameHarness game;
  world::TGame& w = StartPlaying(game);
  game.Frame();
  bool sawHud = false;
  for (const auto& print : game.engine().prints) {
    sawHud |= print.text == "LEVEL: 1";
    EXPECT_FLOAT_EQ(print.spacing, 0.1f) << "the HUD prints with the font's spacing: " << print.text;
  }
  EXPECT_TRUE(sawHud);
  w.hero->ScrollPos = actors::kLevelEndPos;
  game.Frame();
  ASSERT_EQ(core::GameState(), core::gsLevelIntro);
  game.Frame();
  for (const auto& print : game.engine().prints) EXPECT_NE(print.text, "LEVEL: 1");
  EXPECT_FALSE(game.engine().sprites[w.panelSprite].shown);
  EXPECT_FALSE(game.engine().sprites[w.hero->BodySprite].shown);
}

}  // namespace
