#include "actors/hero_arsenal.h"

#include <cmath>
#include <numbers>

#include "fight_fixture.h"
#include "platform/tick_clock.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

struct HeroWeapons : FightOnLevel {
  EngineVec At(EHandle sprite) { return engine().sprites[sprite].location; }
  const fake::Sound& Sound(const char* file) { return *engine().SoundFor(file); }
  // The grenade key held for `ms` of frames, the weapon steps running every frame.
  void ChargeFor(uint32_t ms) {
    game.Hold(actors::kKeyGrenade);
    for (uint32_t t = 0; t < ms; t += testing_support::kFrameMs) {
      game.clock().Advance(testing_support::kFrameMs);
      combat().HeroWeapons();
    }
    game.Release(actors::kKeyGrenade);
  }
};

TEST_F(HeroWeapons, PoolsUnderTheBodyAreMadeBeforeItAndBulletsAndPelletsAfter) {
  const EHandle body = hero().LyingSprite;  // the first body sprite made
  const EHandle lastBody = hero().BodySprite;
  EXPECT_LT(arsenal().ShotsC.back()->Sprite, body);
  EXPECT_LT(arsenal().ShotsE.back()->Sprite, body);
  EXPECT_LT(arsenal().Grenades.back()->Sprite, body);
  EXPECT_LT(arsenal().Flames.back()->Particles, body);
  EXPECT_GT(arsenal().ShotsA.front()->Sprite, lastBody);
  EXPECT_GT(arsenal().ShotsB.front()->Sprite, lastBody);
  EXPECT_EQ(arsenal().ShotsA.size(), 15u);
  EXPECT_EQ(arsenal().ShotsB.size(), 45u);
  EXPECT_EQ(arsenal().ShotsC.size(), 15u);
  EXPECT_EQ(arsenal().ShotsE.size(), 15u);
  EXPECT_EQ(arsenal().Grenades.size(), 5u);
  EXPECT_EQ(arsenal().Flames.size(), 15u);
}

TEST_F(HeroWeapons, HoldingFireShootsAtMostOnceEvery101Milliseconds) {
  w().currentWeapon = actors::kWeaponA;
  Fire();
  EXPECT_EQ(InFlight(arsenal().ShotsA), 1);
  EXPECT_EQ(arsenal().ShotsA.back()->Free, 0) << "the highest free entry goes first";
  game.Hold(keys::kRightCtrl);
  game.clock().Advance(100);
  combat().HeroWeapons();
  EXPECT_EQ(InFlight(arsenal().ShotsA), 1);
  game.clock().Advance(1);
  combat().HeroWeapons();
  EXPECT_EQ(InFlight(arsenal().ShotsA), 2);
}

TEST_F(HeroWeapons, WithEveryBulletInFlightNothingFiresButTheCoolDownAndTheGunSoundStart) {
  w().currentWeapon = actors::kWeaponA;
  for (const auto& shot : arsenal().ShotsA) shot->Free = 0;
  Fire();
  EXPECT_EQ(hero().FireTick, platform::GetTickCount());
  EXPECT_TRUE(Sound("sound\\shot_gun.WAV").playing);
  EXPECT_EQ(Sound("sound\\shot_gun.WAV").loops, -1);
  EXPECT_FALSE(Shown(hero().FlashSpriteABE));
  EXPECT_EQ(hero().FlashAim, 0);
}

TEST_F(HeroWeapons, ThreePelletsFlyAThirdOfARadianApartAndOnlyAsManyAsAreFree) {
  w().currentWeapon = actors::kWeaponB;
  Fire();
  const auto& pellets = arsenal().ShotsB;
  EXPECT_NEAR(double(pellets[44]->Direction), 0.35, 1e-15);
  EXPECT_NEAR(double(pellets[43]->Direction), 0.0, 1e-15);
  EXPECT_NEAR(double(pellets[42]->Direction), -0.35, 1e-15);
  for (size_t i = 2; i < pellets.size(); ++i) pellets[i]->Free = 0;
  Fire();
  EXPECT_EQ(InFlight(pellets), 45);
}

TEST_F(HeroWeapons, AProneShotLeavesFromItsWeaponsMuzzleLevelWithHimWhateverTheAim) {
  hero().LieDown();
  hero().SetAim(actors::kAimDiagonalUp);
  const struct {
    int32_t weapon;
    long double ahead;
  } cases[] = {{actors::kWeaponA, 3.1L}, {actors::kWeaponB, 3.1L}, {actors::kWeaponC, 1.5L}, {actors::kWeaponE, 1.5L}};
  for (uint8_t facing : {1, 0}) {
    hero().FacingRight = facing;
    const long double s = facing ? 1 : -1;
    for (const auto& c : cases) {
      w().currentWeapon = c.weapon;
      Fire();
      int launched = 0;
      auto check = [&](const auto& pool) {
        for (const auto& shot : pool) {
          if (shot->Free) continue;
          ++launched;
          EXPECT_NEAR(double(shot->X), double(hero().X + c.ahead * s), 1e-12) << "weapon " << c.weapon;
          EXPECT_NEAR(double(shot->Y), double(hero().Y + 0.1L), 1e-12);
          shot->Free = 1;
        }
      };
      check(arsenal().ShotsA);
      check(arsenal().ShotsB);
      check(arsenal().ShotsC);
      check(arsenal().ShotsE);
      EXPECT_EQ(launched, c.weapon == actors::kWeaponB ? 3 : 1);
      const EHandle flash = c.weapon == actors::kWeaponC ? hero().FlashSpriteC : hero().FlashSpriteABE;
      EXPECT_FLOAT_EQ(At(flash).x, static_cast<float>(hero().X + 3.5L * s));
      EXPECT_FLOAT_EQ(engine().sprites[flash].orientation.z, facing ? 0.f : 180.f);
    }
  }
  EXPECT_NEAR(double(arsenal().ShotsA.back()->Direction), double(3 * kPi / 4), 1e-15) << "it flies along the aim";
}

TEST_F(HeroWeapons, StandingShotsLeaveAtTheirWeaponsMuzzleHeightForEveryAim) {
  // Height above the hero's centre by aim 1..5 (ahead, diagonal up, up, diagonal down, down).
  const long double gun[] = {0.35L, 2.1177669529663685L, 2.85L, -1.4177669529663688L, -2.15L};
  const long double bolt[] = {0.28L, 0.845685424949238L, 1.08L, -0.285685424949238L, -0.52L};
  const struct {
    int32_t weapon;
    const long double* height;
  } cases[] = {{actors::kWeaponA, gun}, {actors::kWeaponC, bolt}, {actors::kWeaponE, bolt}};
  for (const auto& c : cases) {
    w().currentWeapon = c.weapon;
    for (int32_t aim = actors::kAimAhead; aim <= actors::kAimDown; ++aim) {
      hero().SetAim(aim);
      Fire();
      actors::TMissile* shot = nullptr;
      auto launched = [&shot](const auto& pool) {
        for (const auto& s : pool) shot = s->Free ? shot : s.get();
      };
      launched(arsenal().ShotsA);
      launched(arsenal().ShotsC);
      launched(arsenal().ShotsE);
      ASSERT_NE(shot, nullptr) << "weapon " << c.weapon << " aim " << aim;
      EXPECT_NEAR(double(shot->Y - hero().Y), double(c.height[aim - 1]), 1e-12) << "weapon " << c.weapon << " aim " << aim;
      shot->Free = 1;
    }
  }
}

TEST_F(HeroWeapons, FacingLeftAimingDiagonallyDownTheShotAndFlashFollowTheTables) {
  w().currentWeapon = actors::kWeaponA;
  hero().FacingRight = 0;
  hero().SetAim(actors::kAimDiagonalDown);
  Fire();
  const actors::THeroMissileA& shot = *arsenal().ShotsA.back();
  const long double dir = -3 * kPi / 4;
  EXPECT_NEAR(double(shot.Direction), double(dir), 1e-15);
  EXPECT_NEAR(double(shot.X), double(hero().X - 1.2L), 1e-12);
  EXPECT_NEAR(double(shot.Y), double(hero().Y + 0.35L + std::sin(dir) * 2.5L), 1e-12);
  EXPECT_FLOAT_EQ(At(hero().FlashSpriteABE).x, static_cast<float>(hero().X - 1.8L));
  EXPECT_FLOAT_EQ(At(hero().FlashSpriteABE).y, static_cast<float>(hero().Y + 0.35L + std::sin(dir) * 3.6L));
  EXPECT_EQ(engine().sprites[hero().FlashSpriteABE].orientation.z, 215.f);
  EXPECT_EQ(hero().FlashAim, actors::kAimDiagonalDown);
}

TEST_F(HeroWeapons, TheLaserIsTurnedToItsDirectionAndStartsItsOwnLoop) {
  w().currentWeapon = actors::kWeaponC;
  hero().SetAim(actors::kAimDiagonalUp);
  Fire();
  const actors::THeroMissileC& bolt = *arsenal().ShotsC.back();
  EXPECT_FLOAT_EQ(engine().sprites[bolt.Sprite].orientation.z, 45.f);
  EXPECT_TRUE(Shown(bolt.Sprite));
  EXPECT_TRUE(Shown(hero().FlashSpriteC));
  EXPECT_TRUE(Sound("sound\\shot_laser.WAV").playing);
  EXPECT_FALSE(Sound("sound\\shot_gun.WAV").playing);
}

TEST_F(HeroWeapons, AShotKicksTheUpperBodyBackForOneFrameAndTheFlashGoesWithIt) {
  w().currentWeapon = actors::kWeaponA;
  const EngineVec before = At(hero().BodySprite);
  game.Hold(keys::kLeftCtrl);
  game.Frame();
  game.Release(keys::kLeftCtrl);
  EXPECT_FLOAT_EQ(At(hero().BodySprite).x, before.x - 0.1f);
  EXPECT_FLOAT_EQ(At(hero().BodySprite).y, before.y);
  EXPECT_TRUE(Shown(hero().FlashSpriteABE));
  game.Frame();
  EXPECT_FLOAT_EQ(At(hero().BodySprite).x, before.x);
  EXPECT_FALSE(Shown(hero().FlashSpriteABE));
  EXPECT_EQ(hero().FlashAim, 0);
}

TEST_F(HeroWeapons, TheGrenadeChargesEvery300MillisecondsToTenAndTheGaugeFollows) {
  ChargeFor(15);
  EXPECT_EQ(hero().GrenadeCharge, 1) << "the first step comes at once";
  ChargeFor(300);
  EXPECT_EQ(hero().GrenadeCharge, 1) << "300 ms is not more than 300";
  ChargeFor(15);
  EXPECT_EQ(hero().GrenadeCharge, 2);
  EXPECT_EQ(Showing(w().sharedImages[world::kGaugeSprite]), "data\\sw2.png");
  ChargeFor(5000);
  EXPECT_EQ(hero().GrenadeCharge, 10);
  EXPECT_EQ(Showing(w().sharedImages[world::kGaugeSprite]), "data\\sw10.png");
}

TEST_F(HeroWeapons, ReleasingTheKeyThrowsAGrenadeThatGrowsWithTheCharge) {
  const struct {
    int32_t charge;
    const char* picture;
    long double halfSize;
  } cases[] = {{1, "data\\hmS1.png", 0.44L}, {4, "data\\hmS2.png", 0.88L}, {10, "data\\hmS5.png", 2.2L}};
  for (const auto& c : cases) {
    hero().GrenadeCharge = c.charge;
    combat().HeroWeapons();
    ASSERT_EQ(InFlight(arsenal().Grenades), 1);
    for (const auto& grenade : arsenal().Grenades) {
      if (grenade->Free) continue;
      EXPECT_EQ(Showing(grenade->Sprite), c.picture);
      EXPECT_NEAR(double(grenade->HalfWidth), double(c.halfSize), 1e-15);
      EXPECT_NEAR(double(grenade->X), double(hero().X + 1), 1e-12);
      EXPECT_FLOAT_EQ(engine().sprites[grenade->Sprite].scale.x, 3.4f) << "the picture grows, not the sprite";
      grenade->Free = 1;
    }
    EXPECT_EQ(hero().GrenadeCharge, 0);
    EXPECT_EQ(Showing(w().sharedImages[world::kGaugeSprite]), "data\\sw0.png");
  }
}

TEST_F(HeroWeapons, XChargesAndThrowsAGrenadeLikeNumpad0) {
  game.Hold(actors::kKeyGrenadeLaptop);
  for (uint32_t t = 0; t < 700; t += testing_support::kFrameMs) {
    game.clock().Advance(testing_support::kFrameMs);
    combat().HeroWeapons();
  }
  EXPECT_EQ(hero().GrenadeCharge, 3);
  EXPECT_EQ(InFlight(arsenal().Grenades), 0) << "held: still charging";
  game.Release(actors::kKeyGrenadeLaptop);
  combat().HeroWeapons();
  EXPECT_EQ(InFlight(arsenal().Grenades), 1);
  EXPECT_EQ(hero().GrenadeCharge, 0);
}

TEST_F(HeroWeapons, WithEveryGrenadeInTheAirTheThrowWaitsAndTheChargeIsKept) {
  for (const auto& grenade : arsenal().Grenades) grenade->Free = 0;
  hero().GrenadeCharge = 6;
  combat().HeroWeapons();
  EXPECT_EQ(hero().GrenadeCharge, 6);
  arsenal().Grenades[0]->Free = 1;
  combat().HeroWeapons();
  EXPECT_EQ(arsenal().Grenades[0]->Free, 0);
  EXPECT_EQ(hero().GrenadeCharge, 0);
}

TEST_F(HeroWeapons, WalkingRightLeftOfTheScrollLineCarriesEveryBulletWalkingLeftNone) {
  for (const auto& shot : arsenal().ShotsA) shot->X = 1;
  hero().LineOffset = 0;
  combat().CarryShots();
  EXPECT_EQ(arsenal().ShotsA[0]->X, 1) << "at the scroll line the world moves instead";
  hero().LineOffset = 10;
  combat().CarryShots();
  for (const auto& shot : arsenal().ShotsA) EXPECT_EQ(shot->X, 1.2L);
  hero().FacingRight = 0;
  combat().CarryShots();
  EXPECT_EQ(arsenal().ShotsA[7]->X, 1.2L) << "made facing right, they never follow him left";
}

struct Flames : HeroWeapons {
  actors::TFlameThrowlerMissile& Nearest() { return *arsenal().Flames.front(); }
};

TEST_F(Flames, EachStreamTurnsByItsOwnStepTowardsTheAim) {
  const std::pair<size_t, long double> steps[] = {{0, 0.06283185307179587L}, {1, 0.05890486225480863L},
                                                  {5, 0.0471238898038469L},  {10, 0.037699111843077525L},
                                                  {14, 0.03249923434748062L}};
  hero().SetAim(actors::kAimDiagonalUp);
  for (const auto& [stream, step] : steps) {
    actors::TFlameThrowlerMissile& flame = *arsenal().Flames[stream];
    EXPECT_NEAR(double(flame.TurnStep), double(step), 1e-15) << "stream " << stream;
    flame.Angle = 0;
    flame.FlameStep();
    EXPECT_NEAR(double(flame.Angle), double(step), 1e-15) << "one step up from level, stream " << stream;
  }
}

TEST_F(Flames, EachStreamReachesFurtherAndTurnsSlowerThanTheOneBefore) {
  for (size_t i = 1; i < arsenal().Flames.size(); ++i) {
    EXPECT_EQ(arsenal().Flames[i]->Reach, 0.5L * static_cast<long double>(i));
    EXPECT_LT(arsenal().Flames[i]->TurnStep, arsenal().Flames[i - 1]->TurnStep);
  }
  EXPECT_EQ(Nearest().TurnStep, actors::kFlameTurnStep);
}

TEST_F(Flames, FacingLeftAimingDownTheStreamSweepsOverTheTopAndSnapsBack) {
  hero().FacingRight = 0;
  hero().SetAim(actors::kAimDown);
  actors::TFlameThrowlerMissile& flame = Nearest();
  const long double step = flame.TurnStep;
  flame.FlameStep();
  EXPECT_NEAR(double(flame.Angle), double(3 * kPi / 2 - step), 1e-12) << "snapped straight down, then turned";
  long double lowest = flame.Angle;
  int steps = 0;
  while (steps < 200) {
    const long double before = flame.Angle;
    flame.FlameStep();
    ++steps;
    if (flame.Angle > before) break;
    EXPECT_NEAR(double(before - flame.Angle), double(step), 1e-12);
    lowest = flame.Angle;
  }
  EXPECT_LT(lowest, kPi / 2 + step) << "it swept through straight left to straight up";
  EXPECT_GT(lowest, kPi / 2 - step);
  EXPECT_NEAR(double(flame.Angle), double(3 * kPi / 2 - step), 1e-12);
}

TEST_F(Flames, FacingRightAimingDownTheStreamSettlesJustBelowLevel) {
  hero().SetAim(actors::kAimDown);
  for (const auto& flame : arsenal().Flames) {
    for (int i = 0; i < 100; ++i) flame->FlameStep();
    EXPECT_EQ(flame->Angle, -kPi / 24);
  }
  const actors::TFlameThrowlerMissile& far = *arsenal().Flames.back();
  const long double a = -kPi / 24;
  EXPECT_NEAR(double(far.X), double(std::cos(a) * (far.Reach + 2.5L) + hero().X), 1e-12);
  EXPECT_NEAR(double(far.Y), double(std::sin(a) * (far.Reach + 1.8L) + hero().Y + 0.35L), 1e-12);
  const EngineVec pull = engine().particles[far.Particles].gravity;
  EXPECT_FLOAT_EQ(pull.x, static_cast<float>((std::cos(a) * 15 + hero().X) * 4.4L / 16));
  EXPECT_FLOAT_EQ(pull.y, static_cast<float>((std::sin(a) * 5 + hero().Y) * 5.5L / 16 + 0.7L));
  EXPECT_EQ(pull.z, 8.f);
}

TEST_F(Flames, TheyBurnOnlyWhileWeaponDIsInHandAndFireIsHeld) {
  w().currentWeapon = actors::kWeaponA;
  game.Hold(keys::kLeftCtrl);
  combat().MoveHeroShots();
  EXPECT_EQ(engine().particles[Nearest().Particles].emitted, 0);
  w().currentWeapon = actors::kWeaponD;
  combat().MoveHeroShots();
  EXPECT_EQ(engine().particles[Nearest().Particles].emitted, 10);
  EXPECT_TRUE(Sound("sound\\fire.WAV").playing);
  EXPECT_EQ(Sound("sound\\fire.WAV").loops, -1);
  game.Release(keys::kLeftCtrl);
  combat().MoveHeroShots();
  EXPECT_EQ(engine().particles[Nearest().Particles].emitted, 10);
}

TEST_F(Flames, AStreamBurnsTheFirstLiveEnemyAtItsPoint) {
  actors::TEnemy& enemy = AddEnemy(hero().X + 2.5L);
  w().currentWeapon = actors::kWeaponD;
  game.Hold(keys::kLeftCtrl);
  combat().MoveHeroShots();
  // The two nearest streams hit him; the third finds him dead.
  EXPECT_EQ(enemy.HitPoints, 0);
  EXPECT_TRUE(enemy.Dead);
}

}  // namespace
