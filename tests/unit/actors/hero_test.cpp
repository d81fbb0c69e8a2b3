#include "hero_fixture.h"

#include "actors/enemy.h"
#include "world/play_screen.h"

namespace {

using actors::JumpSpeed;

TEST_F(HeroOnLevel, HitOnArmouredHeroOnlyReducesArmourHoweverLarge) {
  w().SetArmor(3);
  iSpriteShow(hero().ArmourSprite);
  hero().TakeHit(1);
  EXPECT_EQ(w().Armor(), 2);
  hero().TakeHit(100);
  EXPECT_EQ(w().Armor(), 0);
  EXPECT_EQ(w().Energy(), 5);
  EXPECT_FALSE(engine().sprites[hero().ArmourSprite].shown);
  EXPECT_EQ(engine().SoundFor("sound\\hit.WAV")->playCount, 2);
}

TEST_F(HeroOnLevel, HitsTakeEnergyAndTheBarFollows) {
  hero().TakeHit(2);
  EXPECT_EQ(w().Energy(), 3);
  EXPECT_EQ(engine().TextureFile(engine().sprites[w().energySprite].texture), "data\\energy3.png");
  EXPECT_FALSE(hero().Dead);
}

TEST_F(HeroOnLevel, LastEnergyLostStartsTheDeathAndFurtherHitsDoNothing) {
  hero().TakeHit(7);
  EXPECT_EQ(w().Energy(), 0);
  EXPECT_TRUE(hero().Dead);
  EXPECT_TRUE(engine().sprites[hero().DyingSprite].shown);
  EXPECT_FALSE(engine().sprites[hero().BodySprite].shown);
  EXPECT_EQ(engine().SoundFor("sound\\hero_die.WAV")->playCount, 1);
  EXPECT_EQ(engine().TextureFile(engine().sprites[w().energySprite].texture), "data\\energy0.png");
  hero().TakeHit(1);
  EXPECT_EQ(engine().SoundFor("sound\\hit.WAV")->playCount, 1);
}

TEST_F(HeroOnLevel, JumpRisesFivePointEightThenFallsAtFourTenthsAtMost) {
  long double rise = 0;
  for (int c = 0; c <= 19; ++c) rise += JumpSpeed(c);
  EXPECT_NEAR(static_cast<double>(rise), 5.8, 1e-12);
  for (int c = 8; c >= -1000; c -= 97) EXPECT_EQ(JumpSpeed(c), 0.4L);
}

TEST_F(HeroOnLevel, ALongFallKeepsFallingAtFourTenthsAFrame) {
  hero().Y = 40;
  hero().Falling = 1;
  hero().JumpCounter = 0;
  for (int i = 0; i < 30; ++i) {
    const long double before = hero().Y;
    game.Frame();
    ASSERT_NEAR(static_cast<double>(before - hero().Y), 0.4, 1e-12) << "frame " << i;
  }
}

TEST_F(HeroOnLevel, HeroAboveTheGroundWithNothingUnderHimFallsAndLands) {
  hero().Y = hero().GroundY + 3;
  game.Frame();
  EXPECT_TRUE(hero().Falling);
  EXPECT_LT(hero().Y, hero().GroundY + 3);
  ASSERT_TRUE(game.RunUntil([&] { return hero().Landing == 1; }, 40));
  EXPECT_EQ(hero().Y, hero().GroundY);
  game.Frame(10);
  EXPECT_FALSE(hero().Falling);
  EXPECT_EQ(hero().SurfaceHeight, 0);
}

TEST_F(HeroOnLevel, LandingOnALowBeamPutsTheShadowsSevenAndAHalfAboveTheGround) {
  auto& beam = Add<actors::TLowBeam>(0, hero().GroundY + 5);
  hero().Y = beam.Y + 6;
  hero().Falling = 1;
  hero().JumpCounter = 0;
  ASSERT_TRUE(game.RunUntil([&] { return !hero().Falling; }, 60));
  EXPECT_EQ(hero().SurfaceHeight, 7.5L);
  EXPECT_EQ(hero().Y, beam.Y + 0.5L + 1.9L + 0.05L);
  EXPECT_FLOAT_EQ(engine().sprites[hero().LegsShadowSprite].location.y, static_cast<float>(hero().GroundY + 7.5L - 1));
  EXPECT_FLOAT_EQ(engine().sprites[hero().BodyShadowSprite].location.y,
                  static_cast<float>(hero().GroundY + 7.5L - 0.75L));
}

TEST_F(HeroOnLevel, HeLiesOnACrateNarrowerThanHimWithoutFalling) {
  auto& box = Add<actors::TBox>(0, hero().GroundY);
  const long double standing = box.Y + box.HalfHeight + hero().HalfHeight + 0.05L;
  hero().Y = standing;
  HoldFor({actors::kKeyDown}, 20);
  EXPECT_TRUE(hero().Prone);
  EXPECT_FALSE(hero().Falling);
  EXPECT_EQ(hero().Y, standing - 1.5L);
  game.Frame();
  EXPECT_FALSE(hero().Prone);
  EXPECT_FALSE(hero().Falling);
  EXPECT_EQ(hero().Y, standing);
}

TEST_F(HeroOnLevel, APausedProneHeroComesBackLying) {
  HoldFor({actors::kKeyDown}, 1);
  game.Hold(actors::kKeyDown);
  world::HidePlayScreen();
  EXPECT_FALSE(engine().sprites[hero().LyingSprite].shown);
  world::ShowPlayScreen();
  EXPECT_TRUE(engine().sprites[hero().LyingSprite].shown);
  EXPECT_FALSE(engine().sprites[hero().BodySprite].shown);
}

TEST_F(HeroOnLevel, AHeroKilledLyingDownLeavesNothingStandingOverTheMenu) {
  game.Hold(actors::kKeyDown);
  game.Frame(2);
  ASSERT_TRUE(hero().Prone);
  hero().TakeHit(5);
  w().ResetForNewGame();
  for (EHandle sprite : {hero().BodySprite, hero().WeaponSprite, hero().LegsSprite, hero().BodyShadowSprite,
                         hero().LegsShadowSprite, hero().LyingSprite, hero().DyingSprite}) {
    EXPECT_FALSE(engine().sprites[sprite].shown) << "sprite " << sprite;
  }
  world::ShowPlayScreen();
  EXPECT_TRUE(engine().sprites[hero().BodySprite].shown) << "he stands on the next level";
  EXPECT_FALSE(engine().sprites[hero().LyingSprite].shown);
}

TEST_F(HeroOnLevel, WalkingOffABoxPushesHimOffItsEndAndHeFalls) {
  auto& box = Add<actors::TBox>(0, hero().GroundY);
  hero().Y = box.Y + box.HalfHeight + hero().HalfHeight + 0.05L;
  game.Hold(actors::kKeyLeft);
  ASSERT_TRUE(game.RunUntil([&] { return hero().Falling == 1; }, 40));
  EXPECT_LT(hero().X + hero().HalfWidth, box.X - box.HalfWidth) << "pushed clear of the box";
  game.Release(actors::kKeyLeft);
  ASSERT_TRUE(game.RunUntil([&] { return !hero().Falling; }, 60));
  EXPECT_EQ(hero().Y, hero().GroundY);
}

TEST_F(HeroOnLevel, FallingIntoTheGapBetweenWagonsKillsWithEnergyUnchanged) {
  w().ClearLevel();
  w().SetLevel(2);
  w().StartNextLevel();
  ASSERT_EQ(w().levelKind, world::kTrainLevel);
  ASSERT_EQ(w().wagons.front().kind, 1);
  w().SetEnergy(3);
  game.Hold(actors::kKeyRight);
  ASSERT_TRUE(game.RunUntil([&] { return hero().Dead == 1; }, 200));
  EXPECT_EQ(w().Energy(), 3);
  EXPECT_EQ(hero().Y, hero().GroundY - 1);
  EXPECT_TRUE(engine().sprites[hero().DyingSprite].shown);
  EXPECT_FALSE(engine().sprites[hero().LegsSprite].shown);
}

TEST_F(HeroOnLevel, DeathAnimationRunsFourFramesBeforeTheLifeIsLost) {
  w().SetLives(3);
  hero().TakeHit(5);
  game.Frame();
  EXPECT_EQ(hero().DeathFrame, 2);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsLevelIntro; }, 100));
  EXPECT_EQ(hero().DeathFrame, 1);
  EXPECT_FALSE(hero().Dead);
  EXPECT_FALSE(engine().sprites[hero().DyingSprite].shown) << "no dying hero over the level intro";
}

TEST_F(HeroOnLevel, DeathFramesOfTheHeroAndOfEveryEnemyKindComeJustAfterTheirIntervals) {
  // The longest wait that shows no new frame, by who is dying: the hero (0) and enemy kinds 1..7.
  const std::pair<int32_t, uint32_t> quiet[] = {{0, 200},   {1, 180}, {2, 100}, {3, 100},
                                                {4, 180},   {5, 180}, {6, 180}, {7, 100}};
  for (const auto& [kind, ms] : quiet) {
    SCOPED_TRACE(kind);
    if (kind == 0) {
      hero().TakeHit(5);
      hero().DeathTick = game.clock().Ticks();
      game.clock().Advance(ms);
      hero().HeroUpdate();
      EXPECT_EQ(hero().DeathFrame, 1);
      game.clock().Advance(1);
      hero().HeroUpdate();
      EXPECT_EQ(hero().DeathFrame, 2);
      continue;
    }
    auto enemy = actors::MakeEnemy(kind, w());
    enemy->Init();
    enemy->Walks = 0;
    enemy->Damage(actors::kEnemyHitPoints);
    ASSERT_EQ(enemy->Frame, actors::kFirstDeathFrame);
    enemy->AnimTick = game.clock().Ticks();
    game.clock().Advance(ms);
    enemy->Update();
    EXPECT_EQ(enemy->Frame, actors::kFirstDeathFrame);
    game.clock().Advance(1);
    enemy->Update();
    EXPECT_EQ(enemy->Frame, actors::kFirstDeathFrame + 1);
  }
}

// A picture change sets each sprite's texture once (each call takes the
// engine's scene lock), and the picture set is the one that stays.
TEST_F(HeroOnLevel, APictureChangeSetsEachSpriteOnce) {
  auto textureCalls = [&] {
    int n = 0;
    for (const std::string& call : engine().calls) n += call == "iSpriteTextureSet" || call == "iSpriteTextureSwap";
    return n;
  };
  const int32_t aim = hero().Aim == actors::kAimDiagonalUp ? actors::kAimUp : actors::kAimDiagonalUp;
  engine().calls.clear();
  hero().SetAim(aim);
  EXPECT_EQ(textureCalls(), 3);  // body, its shadow, the weapon
  EXPECT_EQ(engine().sprites[hero().BodySprite].texture, hero().BodyTex[hero().FacingRight][aim]);
  EXPECT_EQ(engine().sprites[hero().WeaponSprite].texture, hero().WeaponTex[hero().FacingRight][aim]);

  engine().calls.clear();
  hero().TakeHit(1);
  EXPECT_EQ(textureCalls(), 1);  // the energy bar
  EXPECT_EQ(engine().TextureFile(engine().sprites[w().energySprite].texture), "data\\energy4.png");
}

}  // namespace
