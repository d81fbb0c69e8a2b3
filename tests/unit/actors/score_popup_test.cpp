#include "actors/score_popup.h"

#include "actors/fire.h"
#include "hero_fixture.h"

namespace {

using actors::TScore100;

struct PopupOnLevel : HeroOnLevel {
  void SetUp() override {
    HeroOnLevel::SetUp();
    popup = std::make_unique<TScore100>(w());
    popup->Init();
  }
  void TearDown() override { popup.reset(); }
  // Shot by the hero while rising at (x, y).
  void Falling(long double x, long double y) {
    popup->Release(x, y);
    popup->Start();
  }
  void MoveFor(int calls) {
    for (int i = 0; i < calls; ++i) popup->Move();
  }
  const fake::Sprite& Sprite() { return engine().sprites[popup->Sprite]; }

  std::unique_ptr<TScore100> popup;
};

TEST_F(PopupOnLevel, InitMakesAHiddenIdleTokenWithTheSharedFlyPicture) {
  EXPECT_EQ(Sprite().mesh, "memory:1000041");
  EXPECT_FALSE(Sprite().shown);
  EXPECT_EQ(Sprite().texture, w().sharedImages[world::kPopupImage]);
  EXPECT_EQ(popup->DownTexture, w().sharedImages[world::kPopupImage + 1]);
  EXPECT_EQ(engine().TextureFile(popup->FlyTexture), "data\\100fly.png");
  EXPECT_EQ(popup->Active, 0);
  EXPECT_EQ(engine().sounds[popup->HitSound].file, "sound\\bonus_hit.wav");
  EXPECT_EQ(engine().sounds[popup->TakeSound].file, "sound\\Score_take.wav");
}

TEST_F(PopupOnLevel, ReleasedAt14Point95ItLeavesPlayOnItsFirstMove) {
  popup->Release(3, 14.95L);
  EXPECT_TRUE(Sprite().shown);
  popup->Move();
  EXPECT_EQ(popup->Active, 0);
  EXPECT_EQ(popup->Rising, 1);
  EXPECT_FALSE(Sprite().shown);
}

TEST_F(PopupOnLevel, RisingFadesToZeroAndNoFurther) {
  popup->Release(0, -40);
  popup->Move();
  EXPECT_EQ(popup->Y, -40 + 0.1L);
  EXPECT_FLOAT_EQ(Sprite().color[3], 0.995f);
  MoveFor(205);
  EXPECT_EQ(popup->Alpha, 0);
  EXPECT_EQ(Sprite().color[3], 0.0f);
  EXPECT_EQ(popup->Active, 1);
}

TEST_F(PopupOnLevel, ShootingAFadedTokenMakesItFullyVisibleWithTheDownPicture) {
  popup->Release(0, -40);
  MoveFor(210);
  ASSERT_EQ(Sprite().color[3], 0.0f);
  popup->Start();
  EXPECT_EQ(Sprite().color[3], 1.0f);
  EXPECT_EQ(Sprite().texture, popup->DownTexture);
  EXPECT_EQ(engine().sounds[popup->HitSound].playCount, 1);
  EXPECT_EQ(popup->Rising, 0);
  EXPECT_EQ(popup->Falling, 1);
  EXPECT_EQ(popup->Collectable, 1);
  EXPECT_FALSE(popup->Startable()) << "a falling token ignores further shots";
}

TEST_F(PopupOnLevel, AFallingTokenRestsJustAboveTheFirstBoxUnderIt) {
  Add<actors::TRoundFire>(10, -3);  // fires hold nothing up
  Add<actors::TBox>(10, world::kCityGroundY);
  Falling(10, 2);
  MoveFor(60);
  EXPECT_EQ(popup->Y, world::kCityGroundY + 1.2L + 0.5L + 0.05L);
  EXPECT_EQ(popup->Active, 1);
}

TEST_F(PopupOnLevel, AFallingTokenWithNothingUnderItStopsOneAndAHalfBelowTheHerosGround) {
  w().hero->GroundY = world::kTrainGroundY;
  Falling(10, 2);
  MoveFor(100);
  EXPECT_EQ(popup->Y, world::kTrainGroundY - 1.5L);
}

TEST_F(PopupOnLevel, TheHeroCollectsOnlyAShotTokenAndOnlyOnce) {
  const int32_t score = w().Score();
  popup->Release(hero().X, hero().Y);
  EXPECT_FALSE(popup->TryCollect(hero().Box())) << "still rising";
  popup->Start();
  EXPECT_FALSE(popup->TryCollect(actors::BoxAround(hero().X + 10, hero().Y, 1.9L, 1.5L))) << "out of reach";
  EXPECT_TRUE(popup->TryCollect(hero().Box()));
  EXPECT_EQ(w().Score(), score + 100);
  EXPECT_FALSE(Sprite().shown);
  EXPECT_EQ(engine().sounds[popup->TakeSound].playCount, 1);
  EXPECT_EQ(popup->Active, 0);
  EXPECT_FALSE(popup->TryCollect(hero().Box()));
  EXPECT_EQ(w().Score(), score + 100);
}

TEST_F(PopupOnLevel, ThePlayScreenShowsOnlyATokenStillInPlay) {
  popup->Show();
  EXPECT_FALSE(Sprite().shown);
  popup->Release(0, 0);
  popup->Hide();
  EXPECT_FALSE(Sprite().shown);
  popup->Show();
  EXPECT_TRUE(Sprite().shown);
}

}  // namespace
