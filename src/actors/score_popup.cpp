#include "actors/score_popup.h"

#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "core/sprites.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int32_t kPopupResource = 1000041;
constexpr core::SpriteXY kPopupScale{3.375f, 2.025f};
constexpr int kFlyImage = world::kPopupImage;      // "data\100fly.png"
constexpr int kDownImage = world::kPopupImage + 1;  // "data\100down.png"

void Locate(EHandle sprite, long double x, long double y) {
  const EngineVec location{static_cast<float>(x), static_cast<float>(y), 0};
  iSpriteLocationSet(sprite, &location);
}

}  // namespace

TScore::~TScore() {
  iSoundDestroy(HitSound);
  iSoundDestroy(TakeSound);
}

void TScore::Release(long double x, long double y) {
  Active = 1;
  Rising = 1;
  X = x;
  Y = y;
  Locate(Sprite, X, Y);
  iSpriteShow(Sprite);
}

bool TScore::TryCollect(const CollisionRect& heroBox) {
  if (!Active || !Collectable || !RectsOverlap(heroBox, Box())) return false;
  iSpriteHide(Sprite);
  iSoundPlayNow(TakeSound, 0);
  game_.SetScore(game_.Score() + Points());
  Collectable = 0;
  Active = 0;
  return true;
}

void TScore::Place() { Locate(Sprite, X, Y); }

void TScore::Show() {
  if (Active) iSpriteShow(Sprite);
}

void TScore::Hide() { iSpriteHide(Sprite); }

void TScore::SetPriority(int32_t priority) { iSpritePrioritySet(Sprite, priority); }

TScore100::~TScore100() { iSpriteDestroy(Sprite); }

void TScore100::Init() {
  FlyTexture = game_.sharedImages[kFlyImage];
  DownTexture = game_.sharedImages[kDownImage];
  Sprite = core::MakeSprite({.meshResource = kPopupResource, .texture = FlyTexture, .scale = kPopupScale});
  Active = Falling = Rising = Collectable = 0;
  Alpha = 1.0L;
  X = 0;
  Y = 0;
  HalfWidth = 1.0L;
  HalfHeight = 0.5L;
  HitSound = iSoundCreate("sound\\bonus_hit.wav", 0);
  TakeSound = iSoundCreate("sound\\Score_take.wav", 0);
}

void TScore100::Move() {
  if (Rising) {
    Y += kPopupRise;
    Locate(Sprite, X, Y);
    Alpha -= kPopupFade;
    if (Alpha <= 0) Alpha = 0;
    iSpriteColorSet(Sprite, 1, 1, 1, static_cast<float>(Alpha));
    // It stays Rising: a token that floated away is simply out of play.
    if (Y > kPopupLeavesAbove) {
      Active = 0;
      iSpriteHide(Sprite);
    }
  }
  if (Falling) {
    CollisionRect probe = Box();
    probe.Top = static_cast<double>(Y + HalfHeight - kPopupFall);
    probe.Bottom = static_cast<double>(Y - HalfHeight - kPopupFall);
    if (const TFirstPlaneThing* under = FirstSolidOverlap(game_.foregroundObjects, probe)) {
      Y = under->Y + under->HalfHeight + HalfHeight + kPopupRestGap;
    } else {
      Y -= kPopupFall;
      const long double lowest = (game_.hero ? game_.hero->GroundY : world::kCityGroundY) - kPopupBelowGround;
      if (Y < lowest) Y = lowest;
    }
  }
}

void TScore100::Start() {
  Rising = 0;
  Falling = 1;
  Collectable = 1;
  iSpriteColorSet(Sprite, 1, 1, 1, 1);
  iSpriteTextureSet(Sprite, DownTexture);
  iSoundPlayNow(HitSound, 0);
}

}  // namespace actors
