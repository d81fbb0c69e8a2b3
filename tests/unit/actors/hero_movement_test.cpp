#include "hero_fixture.h"

namespace {

using namespace actors;

TEST_F(HeroOnLevel, UpHeldFiftyMillisecondsOrLessDoesNotJump) {
  // First sight at t, then t+15, t+30, t+45: never more than 50 ms.
  HoldFor({kKeyUp}, 4);
  EXPECT_FALSE(hero().JumpPending);
  EXPECT_FALSE(hero().Rising);
  EXPECT_NE(hero().UpPressTick, 0u);
}

TEST_F(HeroOnLevel, UpHeldLongerCrouchesThenJumps) {
  HoldFor({kKeyUp}, 5);
  EXPECT_TRUE(hero().JumpPending);
  EXPECT_TRUE(engine().sprites[hero().CrouchSprite].shown);
  ASSERT_TRUE(game.RunUntil([&] { return hero().Rising == 1; }, 10));
  EXPECT_FALSE(engine().sprites[hero().CrouchSprite].shown);
  game.Frame(3);
  EXPECT_GT(hero().Y, hero().GroundY);
}

TEST_F(HeroOnLevel, ALaterShortUpPressJumpsAtOnceBecauseTheFirstTickStays) {
  HoldFor({kKeyUp}, 2);
  game.Frame(10);
  ASSERT_NE(hero().UpPressTick, 0u);
  HoldFor({kKeyUp}, 1);
  EXPECT_TRUE(hero().JumpPending);
  EXPECT_EQ(hero().UpPressTick, 0u);
}

TEST_F(HeroOnLevel, TurningAroundForgetsTheUpTick) {
  HoldFor({kKeyUp}, 2);
  HoldFor({kKeyLeft}, 1);
  EXPECT_EQ(hero().UpPressTick, 0u);
}

TEST_F(HeroOnLevel, UpWithLeftOrRightAimsDiagonallyInsteadOfJumping) {
  HoldFor({kKeyUp, kKeyRight}, 12);
  EXPECT_FALSE(hero().JumpPending);
  EXPECT_FALSE(hero().Rising);
  EXPECT_TRUE(hero().Walking);
  EXPECT_EQ(hero().Aim, kAimDiagonalUp);
  EXPECT_EQ(hero().WeaponPose, kAimDiagonalUp);
  EXPECT_EQ(hero().ScrollPos, 24);
}

TEST_F(HeroOnLevel, ZWithLeftOrRightNeitherWalksNorTurns) {
  ASSERT_EQ(hero().FacingRight, 1);
  HoldFor({kKeyAimInPlace, kKeyLeft, kKeyUp}, 6);
  EXPECT_EQ(hero().FacingRight, 1);
  EXPECT_FALSE(hero().Walking);
  EXPECT_EQ(hero().X, 0);
  EXPECT_EQ(hero().LineOffset, 0);
  EXPECT_EQ(hero().Aim, kAimDiagonalUp);
  EXPECT_FALSE(hero().JumpPending);
  HoldFor({kKeyAimInPlace, kKeyDown}, 1);
  EXPECT_EQ(hero().Aim, kAimDown);
  EXPECT_FALSE(hero().Prone);
}

TEST_F(HeroOnLevel, WalkingLeftStopsAtTheLeftLimit) {
  HoldFor({kKeyLeft}, 100);
  EXPECT_EQ(hero().LineOffset, hero().LeftLimit());
  EXPECT_NEAR(static_cast<double>(hero().X), -16.0, 1e-9);
  EXPECT_EQ(hero().FacingRight, 0);
}

TEST_F(HeroOnLevel, WalkingRightAtTheLineScrollsTheCityAndStandingStillDoesNot) {
  const float tile = w().backgroundTiles[1].x;
  game.Frame(10);
  EXPECT_EQ(w().backgroundTiles[1].x, tile);
  HoldFor({kKeyRight}, 10);
  EXPECT_NEAR(w().backgroundTiles[1].x, tile - 1.0f, 1e-4);
  EXPECT_EQ(hero().X, 0);
  EXPECT_EQ(hero().ScrollPos, 20);
  EXPECT_TRUE(engine().SoundFor("sound\\step.WAV")->playing);
  game.Frame();
  EXPECT_FALSE(hero().Walking);
  EXPECT_FALSE(engine().SoundFor("sound\\step.WAV")->playing);
}

TEST_F(HeroOnLevel, ABoxAheadBlocksTheWalk) {
  Add<TBox>(3.5L, hero().GroundY);
  HoldFor({kKeyRight}, 20);
  EXPECT_FALSE(hero().Walking);
  EXPECT_LT(hero().ScrollPos, 20);
  EXPECT_TRUE(hero().IsBlocked());
}

TEST_F(HeroOnLevel, DownAloneLiesDownAndReleasingItStandsUp) {
  HoldFor({kKeyDown}, 1);
  EXPECT_TRUE(hero().Prone);
  EXPECT_EQ(hero().HalfHeight, kLyingHalfHeight);
  EXPECT_EQ(hero().Y, hero().GroundY - 1.5L);
  EXPECT_TRUE(engine().sprites[hero().LyingSprite].shown);
  EXPECT_FALSE(engine().sprites[hero().BodySprite].shown);
  game.Frame();
  EXPECT_FALSE(hero().Prone);
  EXPECT_EQ(hero().Y, hero().GroundY);
  EXPECT_LT(hero().StandCooldown, kStandReady);
}

TEST_F(HeroOnLevel, CrawlingLeftTenStepsMovesTwoUnitsButLineOffsetOnlyTen) {
  HoldFor({kKeyDown}, 1);
  HoldFor({kKeyDown, kKeyLeft}, 10);
  EXPECT_TRUE(hero().Crawling);
  EXPECT_NEAR(static_cast<double>(hero().X), -2.0, 1e-12);
  EXPECT_EQ(hero().LineOffset, 10);
  EXPECT_EQ(hero().CrawlSteps, 10);
}

TEST_F(HeroOnLevel, ACrawlEndsAfterTwentyStepsUntilHeLiesDownAgain) {
  HoldFor({kKeyDown}, 1);
  HoldFor({kKeyDown, kKeyLeft}, 30);
  EXPECT_FALSE(hero().Crawling);
  EXPECT_FALSE(hero().CanCrawl);
  EXPECT_EQ(hero().LineOffset, 20);
}

TEST_F(HeroOnLevel, CrawlingRightAtTheLineScrollsTheWorld) {
  HoldFor({kKeyDown}, 1);
  HoldFor({kKeyDown, kKeyRight}, 5);
  EXPECT_EQ(hero().ScrollPos, 10);
  EXPECT_EQ(hero().X, 0);
}

TEST_F(HeroOnLevel, JumpingWithRightHeldLandsOnACrate) {
  auto& box = Add<TBox>(13, hero().GroundY);
  HoldFor({kKeyUp}, 5);
  game.Hold(kKeyRight);
  ASSERT_TRUE(game.RunUntil([&] { return hero().Landing == 1; }, 80));
  game.Release(kKeyRight);
  game.Frame(10);
  EXPECT_EQ(hero().Y, box.Y + box.HalfHeight + hero().HalfHeight + 0.05L);
  EXPECT_EQ(hero().SurfaceHeight, hero().HalfHeight + box.HalfHeight);
  EXPECT_FALSE(hero().Falling);
  game.Frame(10);
  EXPECT_FALSE(hero().Falling) << "he stands on the crate";
}

TEST_F(HeroOnLevel, PastScrollPos4800TheHeroWalksAndAt4960TheLevelEnds) {
  hero().ScrollPos = 4800;
  HoldFor({kKeyRight}, 1);
  EXPECT_EQ(hero().ScrollPos, 4802);
  EXPECT_EQ(hero().X, 0) << "the step at 4800 still scrolls";
  const float tile = w().backgroundTiles[1].x;
  HoldFor({kKeyRight}, 10);
  EXPECT_EQ(w().backgroundTiles[1].x, tile);
  EXPECT_NEAR(static_cast<double>(hero().X), 2.0, 1e-12);
  game.Hold(kKeyRight);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsLevelIntro; }, 100));
  EXPECT_EQ(w().Level(), 1) << "the next build makes level 2";
  EXPECT_TRUE(w().foregroundObjects.empty());
  game.Release(kKeyRight);
  ASSERT_TRUE(game.RunUntil([] { return core::GameState() == core::gsPlaying; }, 200));
  EXPECT_EQ(w().Level(), 2);
  EXPECT_EQ(hero().ScrollPos, 0);
}

}  // namespace
