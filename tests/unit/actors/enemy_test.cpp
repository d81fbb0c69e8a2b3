#include "actors/enemy.h"

#include <cmath>
#include <numbers>

#include "actors/enemy_missile.h"
#include "actors/fire.h"
#include "hero_fixture.h"

namespace {

using actors::TEnemy;

// Enemies made by hand on a level in play; each test runs their Update itself
// with the clock moving 15 ms a call, as the frame loop would.
struct EnemyOnLevel : HeroOnLevel {
  TEnemy& Spawn(int32_t kind, long double x) {
    auto enemy = actors::MakeEnemy(kind, w());
    enemy->Init();
    enemy->X = x;
    enemy->Place();
    enemy->Show();  // as the play screen shows it
    enemies.push_back(std::move(enemy));
    return *enemies.back();
  }
  void Step(TEnemy& enemy, int calls = 1) {
    for (int i = 0; i < calls; ++i) {
      game.clock().Advance(testing_support::kFrameMs);
      enemy.Update();
    }
  }
  std::string Showing(EHandle sprite) { return engine().TextureFile(engine().sprites[sprite].texture); }
  bool Shown(EHandle sprite) { return engine().sprites[sprite].shown; }
  int InFlight(const TEnemy& enemy) {
    int n = 0;
    for (const auto& shot : enemy.Missiles) n += shot->Free ? 0 : 1;
    return n;
  }

  std::vector<std::unique_ptr<TEnemy>> enemies;
};

TEST_F(EnemyOnLevel, EachKindLoadsItsFramesShotsScaleAndDieSound) {
  const int frames[] = {0, 8, 9, 9, 7, 7, 7, 8};
  const float scales[] = {0, 3.0f, 3.0f, 3.0f, 3.0f, 3.2f, 3.2f, 3.2f};
  for (int32_t kind = 1; kind <= actors::kEnemyKinds; ++kind) {
    TEnemy& enemy = Spawn(kind, 0);
    const std::string k = std::to_string(kind);
    EXPECT_EQ(enemy.TerrKind(), kind);
    EXPECT_EQ(engine().TextureFile(enemy.TexLeft[frames[kind]]), "data\\terr" + k + "sl" + std::to_string(frames[kind]) + ".png");
    EXPECT_EQ(engine().TextureFile(enemy.TexRight[frames[kind]]), "data\\terr" + k + "sr" + std::to_string(frames[kind]) + ".png");
    EXPECT_EQ(enemy.TexLeft[frames[kind] + 1], 0) << "no frame past the kind's last";
    EXPECT_EQ(Showing(enemy.Sprite), "data\\terr" + k + "sr1.png");
    EXPECT_EQ(engine().sprites[enemy.Sprite].scale.x, scales[kind]);
    EXPECT_EQ(engine().sounds[enemy.DieSound].file, "sound\\terr" + k + "_die.wav");
    ASSERT_EQ(enemy.Missiles.size(), 10u);
    for (const auto& shot : enemy.Missiles) {
      EXPECT_EQ(shot->Free, 1);
      EXPECT_EQ(engine().sprites[shot->Sprite].mesh, "memory:" + std::to_string(1000030 + kind));
      EXPECT_EQ(Showing(shot->Sprite), "data\\terr" + k + "m.png");
      EXPECT_FLOAT_EQ(engine().sprites[shot->Sprite].scale.x, 0.6f);
    }
    EXPECT_EQ(engine().sprites[enemy.Popup->Sprite].mesh, "memory:1000041");
  }
}

TEST_F(EnemyOnLevel, InitStandsOnTheGroundFacingRightAndWalking) {
  w().hero->GroundY = world::kTrainGroundY;
  TEnemy& enemy = Spawn(4, 0);
  EXPECT_EQ(enemy.Y, world::kTrainGroundY - 0.2L);
  EXPECT_EQ(enemy.FacingRight, 1);
  EXPECT_EQ(enemy.Walks, 1);
  EXPECT_EQ(enemy.HitPoints, 20);
  EXPECT_EQ(enemy.Frame, 1);
}

TEST_F(EnemyOnLevel, NoShotWithTheHeroAtTheSameXOrSixteenAwayOrBehind) {
  hero().X = 0;
  TEnemy& same = Spawn(1, 0);
  TEnemy& farRight = Spawn(1, 16);
  TEnemy& farLeft = Spawn(1, -16);
  TEnemy& behind = Spawn(1, 5);  // faces right, the hero is on its left
  for (TEnemy* e : {&same, &farRight, &farLeft, &behind}) e->Walks = 0;
  farRight.StandOn(farRight.Y - farRight.HalfHeight);  // faces left, towards the hero
  for (TEnemy* e : {&same, &farRight, &farLeft, &behind}) {
    Step(*e, 40);
    EXPECT_EQ(InFlight(*e), 0) << "enemy at " << static_cast<double>(e->X);
  }
}

TEST_F(EnemyOnLevel, AHeroInFrontWithinReachIsShotFromTheKindsMuzzle) {
  hero().X = 0;
  TEnemy& right = Spawn(4, -15.9L);
  right.Walks = 0;
  Step(right);
  ASSERT_EQ(InFlight(right), 1);
  const auto& shot = *right.Missiles.back();  // the highest free entry goes first
  EXPECT_EQ(shot.Free, 0);
  EXPECT_EQ(shot.X, -15.9L + 1.8L);
  EXPECT_EQ(shot.Y, right.Y + 0.7L);
  EXPECT_EQ(shot.Direction, 0);
  EXPECT_TRUE(Shown(shot.Sprite));

  TEnemy& left = Spawn(5, 10);
  left.StandOn(left.Y - left.HalfHeight);
  Step(left);
  ASSERT_EQ(InFlight(left), 1);
  EXPECT_EQ(left.Missiles.back()->X, 10 - 1.5L);
  EXPECT_EQ(left.Missiles.back()->Y, left.Y + 0.9L);
  EXPECT_NEAR(static_cast<double>(left.Missiles.back()->Direction), std::numbers::pi, 1e-15);
}

TEST_F(EnemyOnLevel, ShotsComeEveryFourHundredMillisecondsAtMost) {
  hero().X = 0;
  hero().Y = 5;  // in the air, over the shots
  TEnemy& enemy = Spawn(1, -10);
  enemy.Walks = 0;
  Step(enemy);
  ASSERT_EQ(InFlight(enemy), 1);
  Step(enemy, 26);  // 390 ms
  EXPECT_EQ(InFlight(enemy), 1);
  Step(enemy, 1);  // 405 ms
  EXPECT_EQ(InFlight(enemy), 2);
}

TEST_F(EnemyOnLevel, AllTenShotsInFlightSkipTheShotAndRestartTheWait) {
  hero().X = 0;
  TEnemy& enemy = Spawn(1, -10);
  enemy.Walks = 0;
  for (auto& shot : enemy.Missiles) {
    shot->Free = 0;
    shot->X = -600;  // far from everything, flying away
    shot->Direction = std::numbers::pi_v<long double>;
  }
  Step(enemy);
  EXPECT_EQ(InFlight(enemy), 10);
  enemy.Missiles[3]->Free = 1;
  Step(enemy, 26);  // 390 ms after the skipped shot
  EXPECT_EQ(enemy.Missiles[3]->Free, 1);
  Step(enemy);
  EXPECT_EQ(enemy.Missiles[3]->Free, 0);
}

TEST_F(EnemyOnLevel, AWalkerPastAThousandTurnsBackWithNothingNear) {
  TEnemy& enemy = Spawn(2, 1000.2L);
  Step(enemy);
  EXPECT_EQ(enemy.FacingRight, 0);
  EXPECT_EQ(enemy.Frame, 1);
  EXPECT_EQ(enemy.X, 1000.2L);
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr2sl1.png");
}

TEST_F(EnemyOnLevel, AWalkerStepsAFifthAndCyclesItsFourWalkFrames) {
  TEnemy& enemy = Spawn(3, 100);
  std::vector<int32_t> frames;
  for (int i = 0; i < 36; ++i) {
    Step(enemy);
    if (frames.empty() || frames.back() != enemy.Frame) frames.push_back(enemy.Frame);
  }
  EXPECT_NEAR(static_cast<double>(enemy.X), 100 + 36 * 0.2, 1e-12);
  EXPECT_EQ(frames, (std::vector<int32_t>{2, 3, 4, 1, 2, 3}));  // a step after every 105 ms
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr3sr3.png");
}

TEST_F(EnemyOnLevel, AWalkerTurnsAtABoxButWalksThroughFires) {
  TEnemy& enemy = Spawn(1, 10);
  Add<actors::TWindowFire>(12.5L, enemy.Y);
  EXPECT_FALSE(enemy.Blocked());
  Add<actors::TBox>(12.65L, world::kCityGroundY);  // reached by the next step
  EXPECT_TRUE(enemy.Blocked());
  Step(enemy);
  EXPECT_EQ(enemy.FacingRight, 0);
  EXPECT_EQ(enemy.X, 10);
  EXPECT_FALSE(enemy.Blocked());
}

TEST_F(EnemyOnLevel, BlockedStopsAtTheFirstOverlappingObjectWhicheverItIs) {
  TEnemy& enemy = Spawn(1, 10);
  enemy.FacingRight = 0;
  Add<actors::TBox>(8, world::kCityGroundY);
  Add<actors::TBox>(7.5L, world::kCityGroundY);
  EXPECT_TRUE(enemy.Blocked());
  std::swap(w().foregroundObjects[0], w().foregroundObjects[1]);
  EXPECT_TRUE(enemy.Blocked());
  w().foregroundObjects.clear();
  Add<actors::TBox>(10 - 1 - 1.5L - 0.25L, world::kCityGroundY);  // just out of reach
  EXPECT_FALSE(enemy.Blocked());
}

TEST_F(EnemyOnLevel, StandingOnTopFacesLeftStandsStillAndKeepsItsPlace) {
  TEnemy& enemy = Spawn(6, 30);
  enemy.StandOn(-2.4L);
  EXPECT_EQ(enemy.Y, -2.4L + 1.5L);
  EXPECT_EQ(enemy.FacingRight, 0);
  EXPECT_EQ(enemy.Walks, 0);
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr6sl1.png");
  enemy.X = 1000.2L;
  Step(enemy, 20);
  EXPECT_EQ(enemy.X, 1000.2L);
  EXPECT_EQ(enemy.FacingRight, 0);
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr6sl1.png");
}

TEST_F(EnemyOnLevel, DamageTwentyFiveKillsWithHitThenDieSoundAndReleasesThePopupThreeUp) {
  static std::vector<EHandle> started;
  started.clear();
  TEnemy& enemy = Spawn(1, 7);
  const auto realPlayNow = iSoundPlayNow;
  iSoundPlayNow = [](EHandle sound, int32_t) { started.push_back(sound); };
  enemy.Damage(25);
  iSoundPlayNow = realPlayNow;
  EXPECT_EQ(enemy.HitPoints, -5);
  EXPECT_EQ(enemy.Dead, 1);
  EXPECT_EQ(started, (std::vector<EHandle>{game.context().res.hitSound, enemy.DieSound}));
  EXPECT_EQ(enemy.Frame, 5);
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr1sr5.png");
  const actors::TScore100& popup = *enemy.Popup;
  EXPECT_EQ(popup.Active, 1);
  EXPECT_EQ(popup.Rising, 1);
  EXPECT_EQ(popup.X, 7);
  EXPECT_EQ(popup.Y, enemy.Y + 3);
  EXPECT_TRUE(Shown(popup.Sprite));
  EXPECT_FLOAT_EQ(engine().sprites[popup.Sprite].location.y, static_cast<float>(enemy.Y + 3));
}

TEST_F(EnemyOnLevel, AHitThatLeavesHitPointsOnlyPlaysTheHitSound) {
  TEnemy& enemy = Spawn(1, 7);
  enemy.Damage(10);
  enemy.Damage(9);
  EXPECT_EQ(enemy.HitPoints, 1);
  EXPECT_EQ(enemy.Dead, 0);
  EXPECT_EQ(engine().sounds[enemy.DieSound].playCount, 0);
  EXPECT_EQ(enemy.Popup->Active, 0);
}

TEST_F(EnemyOnLevel, ADeadEnemyIsNeverKilledAgain) {
  TEnemy& enemy = Spawn(1, 7);
  enemy.Damage(20);
  enemy.Popup->Active = 0;  // collected or floated away
  Step(enemy, 3);
  const int32_t frame = enemy.Frame;
  enemy.Damage(10);
  EXPECT_EQ(enemy.HitPoints, -10);
  EXPECT_EQ(enemy.Frame, frame);
  EXPECT_EQ(enemy.Popup->Active, 0);
  EXPECT_EQ(engine().sounds[enemy.DieSound].playCount, 1);
}

TEST_F(EnemyOnLevel, DeathFreezesAndHidesTheShotsAndStopsShootingAndWalking) {
  hero().X = 0;
  TEnemy& enemy = Spawn(1, -10);
  Step(enemy);
  ASSERT_EQ(InFlight(enemy), 1);
  const auto& shot = *enemy.Missiles.back();
  const long double x = shot.X, walkedTo = enemy.X;
  enemy.Damage(20);
  Step(enemy, 60);
  EXPECT_EQ(shot.Free, 0);
  EXPECT_EQ(shot.X, x);
  EXPECT_FALSE(Shown(shot.Sprite));
  EXPECT_EQ(InFlight(enemy), 1);
  EXPECT_EQ(enemy.X, walkedTo);
}

TEST_F(EnemyOnLevel, ATerr2ShowsDeathFramesFiveToNineThenHides) {
  TEnemy& enemy = Spawn(2, 50);
  enemy.Walks = 0;
  enemy.AnimTick = game.clock().Ticks();
  enemy.Damage(20);
  std::vector<std::pair<int32_t, uint32_t>> steps;  // frame and when it came
  bool hiddenAt9 = false;
  int updatesShowing9 = 0;
  for (int i = 0; i < 60; ++i) {
    const int32_t before = enemy.Frame;
    Step(enemy);
    if (enemy.Frame != before) steps.emplace_back(enemy.Frame, game.clock().Ticks());
    if (enemy.Frame == 9 && Shown(enemy.Sprite)) ++updatesShowing9;
    if (enemy.Frame == 9 && !Shown(enemy.Sprite)) hiddenAt9 = true;
  }
  ASSERT_EQ(steps.size(), 4u);
  uint32_t last = steps.front().second - 105;
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].first, static_cast<int32_t>(6 + i));
    EXPECT_EQ(steps[i].second - last, 105u) << "a little over 100 ms per frame";
    last = steps[i].second;
  }
  EXPECT_EQ(updatesShowing9, 1);
  EXPECT_TRUE(hiddenAt9);
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr2sr9.png");
}

TEST_F(EnemyOnLevel, ATerr1HoldsItsLastDeathFrameInView) {
  TEnemy& enemy = Spawn(1, 50);
  enemy.StandOn(enemy.Y - enemy.HalfHeight);
  enemy.Damage(30);
  Step(enemy, 100);
  EXPECT_EQ(enemy.Frame, 8);
  EXPECT_TRUE(Shown(enemy.Sprite));
  EXPECT_EQ(Showing(enemy.Sprite), "data\\terr1sl8.png");
}

TEST_F(EnemyOnLevel, EnemyShotsHurtTheHeroOnce) {
  hero().X = 0;
  TEnemy& enemy = Spawn(2, -6);
  enemy.Walks = 0;
  Step(enemy);
  auto& shot = *enemy.Missiles.back();
  ASSERT_EQ(shot.Free, 0);
  for (int i = 0; i < 20 && !shot.Free; ++i) Step(enemy);
  EXPECT_EQ(shot.Free, 1);
  EXPECT_EQ(w().Energy(), 4);
  EXPECT_FALSE(Shown(shot.Sprite));
  EXPECT_LT(shot.X, hero().X) << "stopped at the hero's box, not behind him";
}

TEST_F(EnemyOnLevel, EnemyShotsStopAtSolidObjectsButFlyThroughFires) {
  hero().X = 0;
  TEnemy& enemy = Spawn(3, -14);
  enemy.Walks = 0;
  Add<actors::TRoundFire>(-10, world::kCityGroundY);
  Add<actors::TBox>(-6, world::kCityGroundY);
  Step(enemy);
  auto& shot = *enemy.Missiles.back();
  for (int i = 0; i < 20 && !shot.Free; ++i) Step(enemy);
  EXPECT_EQ(shot.Free, 1);
  EXPECT_EQ(w().Energy(), 5);
  EXPECT_LE(shot.X, -6 - 1.5L + 0.48L + 1e-9L);
  EXPECT_GT(shot.X, -10 + 2.3L) << "flew past the fire";
}

TEST_F(EnemyOnLevel, AnEnemyShotAgesOutAfterEightyOneStepsOrLeavingTheBand) {
  actors::TTerr7Missile shot(w());
  shot.Init();
  EXPECT_EQ(engine().sprites[shot.Sprite].mesh, "memory:1000037");
  shot.Free = 0;
  shot.X = 100;
  shot.Y = 0;
  for (int i = 0; i < 80; ++i) shot.Move();
  EXPECT_EQ(shot.Free, 0);
  shot.Move();
  EXPECT_EQ(shot.Free, 1);
  EXPECT_FALSE(Shown(shot.Sprite));

  shot.Free = 0;
  shot.Age = 0;
  shot.Y = 13.8L;
  shot.Direction = std::numbers::pi_v<long double> / 2;
  shot.Move();
  EXPECT_EQ(shot.Free, 1) << "14.3 is above the band";
}

TEST_F(EnemyOnLevel, ScrollingMovesTheEnemyAndItsPopupButNotItsShots) {
  hero().X = 0;
  TEnemy& enemy = Spawn(1, -10);
  enemy.Walks = 0;
  Step(enemy);
  const auto& shot = *enemy.Missiles.back();
  const long double shotX = shot.X;
  enemy.Popup->X = 4;
  enemy.ScrollBy(-0.2L);
  EXPECT_EQ(enemy.X, -10 - 0.2L);
  EXPECT_EQ(enemy.Popup->X, 4 - 0.2L);
  EXPECT_EQ(shot.X, shotX);
  enemy.Place();
  EXPECT_FLOAT_EQ(engine().sprites[enemy.Sprite].location.x, -10.2f);
  EXPECT_FLOAT_EQ(engine().sprites[enemy.Popup->Sprite].location.x, 3.8f);
}

TEST_F(EnemyOnLevel, ThePlayScreenBringsBackOnlyWhatIsStillInPlay) {
  hero().X = 0;
  TEnemy& shooter = Spawn(1, -10);
  shooter.Walks = 0;
  Step(shooter);
  TEnemy& gone = Spawn(2, 40);
  gone.Damage(20);
  Step(gone, 60);
  ASSERT_FALSE(Shown(gone.Sprite));
  for (TEnemy* e : {&shooter, &gone}) e->Hide();
  EXPECT_FALSE(Shown(shooter.Sprite));
  EXPECT_FALSE(Shown(shooter.Missiles.back()->Sprite));
  EXPECT_FALSE(Shown(gone.Popup->Sprite));
  for (TEnemy* e : {&shooter, &gone}) e->Show();
  EXPECT_TRUE(Shown(shooter.Sprite));
  EXPECT_TRUE(Shown(shooter.Missiles.back()->Sprite)) << "a shot in flight";
  EXPECT_FALSE(Shown(shooter.Missiles.front()->Sprite)) << "an idle shot";
  EXPECT_FALSE(Shown(shooter.Popup->Sprite)) << "not released";
  EXPECT_FALSE(Shown(gone.Sprite)) << "a body its kind has hidden";
  EXPECT_TRUE(Shown(gone.Popup->Sprite)) << "still rising";
}

TEST_F(EnemyOnLevel, FreeingAnEnemyReleasesEverythingItMadeButSharedPictures) {
  TEnemy& enemy = Spawn(4, 0);
  const EHandle sprite = enemy.Sprite, popup = enemy.Popup->Sprite, shot = enemy.Missiles[0]->Sprite;
  const EHandle frame = enemy.TexLeft[7], sound = enemy.DieSound, take = enemy.Popup->TakeSound;
  const EHandle shotPicture = w().sharedImages[world::kShotImage + 3];
  enemies.clear();
  EXPECT_TRUE(engine().sprites[sprite].destroyed);
  EXPECT_TRUE(engine().sprites[popup].destroyed);
  EXPECT_TRUE(engine().sprites[shot].destroyed);
  EXPECT_EQ(engine().textures.count(frame), 0u);
  EXPECT_EQ(engine().textures.count(shotPicture), 1u);
  EXPECT_TRUE(engine().sounds[sound].destroyed);
  EXPECT_TRUE(engine().sounds[take].destroyed);
}

}  // namespace
