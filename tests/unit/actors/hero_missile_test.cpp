#include "actors/hero_missile.h"

#include <numbers>

#include "actors/score_popup.h"
#include "fight_fixture.h"

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

struct HeroShots : FightOnLevel {
  // An entry of `pool` put in flight by hand at (x, y).
  template <class Pool>
  actors::THeroMissile& Launch(Pool& pool, long double direction, long double x, long double y) {
    actors::THeroMissile& shot = *pool.back();
    shot.Direction = direction;
    shot.X = x;
    shot.Y = y;
    shot.Age = 0;
    shot.Free = 0;
    return shot;
  }
};

TEST_F(HeroShots, OfThreePelletsTheRaisedOnePassesATruckAndTheOtherTwoStop) {
  w().currentWeapon = actors::kWeaponB;
  for (uint8_t facing : {1, 0}) {
    hero().FacingRight = facing;
    w().foregroundObjects.clear();
    Add<actors::TTruck>(facing ? 6 : -6, hero().GroundY);
    Fire();
    std::vector<actors::THeroMissileB*> pellets;
    for (const auto& p : arsenal().ShotsB) {
      if (!p->Free) pellets.push_back(p.get());
    }
    ASSERT_EQ(pellets.size(), 3u);
    for (int i = 0; i < 20; ++i) arsenal().MoveShots();
    for (actors::THeroMissileB* pellet : pellets) {
      const bool raised = facing ? pellet->Direction > 0.3L : pellet->Direction < kPi - 0.3L;
      EXPECT_EQ(pellet->Free, raised ? 0 : 1) << "facing " << int{facing} << ", direction " << double(pellet->Direction);
      pellet->Free = 1;
    }
  }
}

TEST_F(HeroShots, OnlyShotsAimedBetweenATenthAndThreeRadiansPassObjects) {
  Add<actors::TBox>(3, hero().GroundY);
  const struct {
    long double direction;
    bool passes;
  } cases[] = {{0.1L, true}, {3, true}, {kPi / 2, true}, {0.0999L, false}, {3.0001L, false}, {-kPi / 2, false}};
  for (const auto& c : cases) {
    actors::THeroMissile& shot = Launch(arsenal().ShotsA, c.direction, 3, hero().GroundY);
    shot.Move();
    EXPECT_EQ(shot.Free, c.passes ? 0 : 1) << double(c.direction);
  }
}

TEST_F(HeroShots, AGrenadeHurtsEveryEnemyItOverlapsStepAfterStepAndFliesOn) {
  actors::TEnemy& first = AddEnemy(4);
  actors::TEnemy& second = AddEnemy(4);
  actors::TEnemy& dead = AddEnemy(4);
  dead.Damage(20);
  actors::THeroMissile& grenade = Launch(arsenal().Grenades, 0, 3, first.Y);
  grenade.Move();
  EXPECT_EQ(first.HitPoints, 10);
  EXPECT_EQ(second.HitPoints, 10) << "every enemy it overlaps, not only the first";
  EXPECT_EQ(dead.HitPoints, 0) << "the dead are passed over";
  grenade.Move();
  EXPECT_TRUE(first.Dead);
  EXPECT_TRUE(second.Dead);
  EXPECT_EQ(grenade.Free, 0);
}

TEST_F(HeroShots, ABulletHitsOnlyTheFirstLiveEnemyAndStops) {
  actors::TEnemy& dead = AddEnemy(4);
  dead.Damage(20);
  actors::TEnemy& first = AddEnemy(4);
  actors::TEnemy& second = AddEnemy(4);
  actors::THeroMissile& shot = Launch(arsenal().ShotsA, 0, 3, first.Y);
  shot.Move();
  EXPECT_EQ(first.HitPoints, 10);
  EXPECT_EQ(second.HitPoints, 20);
  EXPECT_EQ(shot.Free, 1);
}

TEST_F(HeroShots, TheStepThatAgesAShotOutStillHitsAnEnemy) {
  actors::THeroMissile& shot = Launch(arsenal().ShotsA, 0, -20, 0);
  shot.Age = 79;
  shot.Move();
  EXPECT_EQ(shot.Free, 0) << "age 80 still flies";
  actors::TEnemy& enemy = AddEnemy(shot.X + 0.5L);
  shot.Y = enemy.Y;
  shot.Move();
  EXPECT_EQ(shot.Age, 81);
  EXPECT_EQ(shot.Free, 1);
  EXPECT_EQ(enemy.HitPoints, 10);
}

TEST_F(HeroShots, AShotStartsARisingPopupThenDropsAFloatingPickupAndFliesOnThroughBoth) {
  actors::TEnemy& enemy = AddEnemy(-30);
  enemy.Damage(20);  // the pop-up rises 3 above it
  enemy.Popup->X = 4;
  actors::TBonus& pickup = AddPickup(actors::kPickupEnergy, 4, enemy.Popup->Y);
  pickup.Update();  // activated: floating
  actors::THeroMissile& shot = Launch(arsenal().ShotsA, 0, 3, enemy.Popup->Y);
  shot.Move();
  EXPECT_EQ(enemy.Popup->Falling, 1);
  EXPECT_EQ(pickup.Dropped, 0) << "a pop-up hit ends the step's search";
  shot.Move();
  EXPECT_EQ(pickup.Dropped, 1);
  EXPECT_EQ(shot.Free, 0);
}

TEST_F(HeroShots, AShotLeavingTheBandIsFreedWhereverItIs) {
  actors::THeroMissile& up = Launch(arsenal().ShotsA, kPi / 2, 0, 13.5L);
  up.Move();
  EXPECT_EQ(up.Free, 0) << "14 is still inside";
  up.Move();
  EXPECT_EQ(up.Free, 1);
  actors::THeroMissile& down = Launch(arsenal().ShotsB, -kPi / 2, 0, -9.6L);
  down.Move();
  EXPECT_EQ(down.Free, 1);
}

TEST_F(HeroShots, PlasmaShowsItsTwoPicturesInTurn) {
  actors::THeroMissile& plasma = Launch(arsenal().ShotsE, 0, -20, 0);
  EXPECT_EQ(Showing(plasma.Sprite), "data\\hmE1.png");
  plasma.Move();
  EXPECT_EQ(Showing(plasma.Sprite), "data\\hmE2.png");
  plasma.Move();
  EXPECT_EQ(Showing(plasma.Sprite), "data\\hmE1.png");
}

}  // namespace
