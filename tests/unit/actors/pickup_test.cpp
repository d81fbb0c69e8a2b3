#include "actors/pickup.h"

#include <cmath>

#include "fight_fixture.h"

namespace {

using actors::TBonus;

struct Pickups : FightOnLevel {
  // A pick-up already floating in view.
  TBonus& Floating(int32_t kind, long double x, long double y) {
    TBonus& pickup = AddPickup(kind, x, y);
    pickup.Update();
    return pickup;
  }
  // A pick-up shot down, lying where the hero stands.
  TBonus& Lying(int32_t kind) {
    TBonus& pickup = Floating(kind, hero().X, hero().Y);
    pickup.Drop();
    return pickup;
  }
  const fake::Sound& SoundOf(EHandle sound) { return engine().sounds[sound]; }
};

TEST_F(Pickups, AWaitingPickupStartsFloatingOnceWithinAUnitOfTheScreen) {
  TBonus& pickup = AddPickup(actors::kPickupEnergy, 17, 5);
  pickup.Update();
  EXPECT_EQ(pickup.Active, 0) << "17 is not below 17";
  EXPECT_FALSE(Shown(pickup.Sprite));
  pickup.X = 16.9L;
  pickup.Update();
  EXPECT_EQ(pickup.Active, 1);
  EXPECT_EQ(pickup.Flying, 1);
  EXPECT_TRUE(Shown(pickup.Sprite));
  EXPECT_FLOAT_EQ(engine().sprites[pickup.Sprite].location.x, 16.9f);
  EXPECT_EQ(Showing(pickup.Sprite), "data\\energy+fly.png");
}

TEST_F(Pickups, ATakenPickupIsNeverActivatedAgain) {
  TBonus& pickup = Lying(actors::kPickupEnergy);
  combat().CollectPopupsAndPickups();
  ASSERT_EQ(pickup.Taken, 1);
  pickup.Update();
  EXPECT_EQ(pickup.Active, 0);
  EXPECT_FALSE(Shown(pickup.Sprite));
}

TEST_F(Pickups, FloatingItDriftsLeftOnASineWave) {
  TBonus& pickup = Floating(actors::kPickupArmour, 10, 5);
  for (int i = 1; i <= 3; ++i) {
    pickup.Update();
    EXPECT_NEAR(double(pickup.X), 10 - 0.4 * i, 1e-12);
    EXPECT_NEAR(double(pickup.Y), 5 + std::sin(0.1 * i), 1e-12);
  }
}

TEST_F(Pickups, WalkingThroughAFloatingPickupCollectsNothing) {
  TBonus& pickup = Floating(actors::kPickupArmour, hero().X, hero().Y);
  combat().CollectPopupsAndPickups();
  EXPECT_EQ(pickup.Taken, 0);
  EXPECT_EQ(w().Armor(), 0);
  EXPECT_EQ(w().Score(), 0);
}

TEST_F(Pickups, ASecondShotThroughADroppedPickupDoesNotDropItAgain) {
  TBonus& pickup = Floating(actors::kPickupEnergy, 5, 0);
  for (int i = 0; i < 2; ++i) {
    actors::THeroMissileA& shot = *arsenal().ShotsA[static_cast<size_t>(i)];
    shot.Direction = 0;
    shot.X = 4;
    shot.Y = pickup.Y;
    shot.Free = 0;
    shot.Move();
    EXPECT_EQ(shot.Free, 0) << "a shot flies on through a pick-up";
  }
  EXPECT_EQ(pickup.Dropped, 1);
  EXPECT_EQ(SoundOf(pickup.HitSound).playCount, 1);
  EXPECT_EQ(Showing(pickup.Sprite), "data\\energy+down.png");
  EXPECT_TRUE(Shown(pickup.BurstSprite));
}

TEST_F(Pickups, ADroppedPickupLandsOnACrateOrLevelWithTheHerosFeet) {
  actors::TBox& crate = Add<actors::TBox>(10, hero().GroundY);
  TBonus& overCrate = Floating(actors::kPickupEnergy, 10, 3);
  TBonus& overGround = Floating(actors::kPickupEnergy, -10, 3);
  overCrate.Drop();
  overGround.Drop();
  for (int i = 0; i < 200; ++i) {
    overCrate.Update();
    overGround.Update();
  }
  EXPECT_NEAR(double(overCrate.Y), double(crate.Y + crate.HalfHeight + 0.5L + 0.05L), 1e-12);
  EXPECT_EQ(overGround.Y, hero().GroundY - 1.5L);
  EXPECT_EQ(overCrate.X, 10) << "a dropped pick-up no longer drifts";
}

TEST_F(Pickups, TheBurstShowsAtMostOneFrameEvery21MillisecondsThenHides) {
  TBonus& pickup = Floating(actors::kPickupEnergy, 0, 0);
  pickup.Drop();
  pickup.Update();
  EXPECT_EQ(pickup.BurstFrame, 2);
  pickup.Update();
  game.clock().Advance(20);
  pickup.Update();
  EXPECT_EQ(pickup.BurstFrame, 2) << "20 ms is not more than 20";
  game.clock().Advance(1);
  pickup.Update();
  EXPECT_EQ(pickup.BurstFrame, 3);
  EXPECT_EQ(Showing(pickup.BurstSprite), "data\\be3.png");
  for (int i = 0; i < 30; ++i) {
    game.clock().Advance(21);
    pickup.Update();
  }
  EXPECT_EQ(pickup.BurstFrame, 15) << "the sixteenth picture is never shown";
  EXPECT_FALSE(Shown(pickup.BurstSprite));
}

TEST_F(Pickups, EnergyNeverRisesAboveFive) {
  Lying(actors::kPickupEnergy);
  combat().CollectPopupsAndPickups();
  EXPECT_EQ(w().Energy(), 5);
  w().SetEnergy(3);
  TBonus& second = Lying(actors::kPickupEnergy);
  combat().CollectPopupsAndPickups();
  EXPECT_EQ(w().Energy(), 4);
  EXPECT_EQ(Showing(w().energySprite), "data\\energy4.png");
  EXPECT_EQ(w().Score(), 100);
  EXPECT_EQ(engine().sounds[second.TakeSound].file, "sound\\Energy_take.wav");
  EXPECT_EQ(SoundOf(second.TakeSound).playCount, 1);
}

TEST_F(Pickups, ArmourAddsFiveEachTimeWithTheGlow) {
  for (int i = 1; i <= 3; ++i) {
    Lying(actors::kPickupArmour);
    combat().CollectPopupsAndPickups();
    EXPECT_EQ(w().Armor(), 5 * i);
  }
  EXPECT_TRUE(Shown(hero().ArmourSprite));
}

TEST_F(Pickups, AWeaponSignPutsItsWeaponInHandWithItsHudSign) {
  const char* signs[] = {"", "data\\Awep_sign.png", "data\\Bwep_sign.png", "data\\Cwep_sign.png",
                         "data\\Dwep_sign.png", "data\\Ewep_sign.png"};
  for (int32_t weapon = 5; weapon >= 1; --weapon) {
    TBonus& sign = Lying(weapon);
    combat().CollectPopupsAndPickups();
    EXPECT_EQ(w().currentWeapon, weapon);
    EXPECT_EQ(Showing(w().sharedImages[world::kWeaponSignSprite]), signs[weapon]);
    EXPECT_FALSE(Shown(sign.Sprite));
    EXPECT_FALSE(Shown(sign.BurstSprite));
    EXPECT_EQ(sign.Active, 0);
  }
  EXPECT_EQ(w().Score(), 250);
}

TEST_F(Pickups, OnlyOnePickupIsCollectedPerUpdate) {
  TBonus& first = Lying(actors::kPickupEnergy);
  TBonus& second = Lying(actors::kPickupEnergy);
  combat().CollectPopupsAndPickups();
  EXPECT_EQ(first.Taken, 1);
  EXPECT_EQ(second.Taken, 0);
  combat().CollectPopupsAndPickups();
  EXPECT_EQ(second.Taken, 1);
}

}  // namespace
