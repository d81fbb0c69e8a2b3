#include "actors/pickup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "core/sprites.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int32_t kBurstResource = 0;
constexpr float kBurstScale = 3.2f;
constexpr const char* kHitSound = "sound\\bonus_hit.wav";

// Fly pictures in the world's shared images; each down picture follows its fly picture.
constexpr int kEnergyImages = world::kPopupImage + 2;
constexpr int kArmourImages = world::kPopupImage + 4;
constexpr int kWeaponImages = world::kPopupImage + 6;  // + 2 per weapon after A

constexpr float kSignW = 3.45f, kSignH = 1.825f;
const TBonus::Look kWeaponLooks[6] = {
    {},
    {1000044, kSignW, kSignH, kWeaponImages + 0, "sound\\A_take.wav"},
    {1000043, kSignW, kSignH, kWeaponImages + 2, "sound\\B_take.wav"},
    {1000045, kSignW, kSignH, kWeaponImages + 4, "sound\\C_take.wav"},
    {1000046, kSignW, kSignH, kWeaponImages + 6, "sound\\D_take.wav"},
    {1000047, kSignW, kSignH, kWeaponImages + 8, "sound\\E_take.wav"},
};

}  // namespace

TBonus::~TBonus() {
  iSpriteDestroy(Sprite);
  iSpriteDestroy(BurstSprite);
  iSoundDestroy(HitSound);
  iSoundDestroy(TakeSound);
  for (int n = 1; n <= kBurstFrames; ++n) iTextureDestroy(BurstTex[n]);
}

void TBonus::Init() {
  const Look& look = ClassLook();
  Sprite = core::MakeSprite({.meshResource = look.resourceId, .scale = {look.scaleW, look.scaleH}});
  BurstSprite = core::MakeSprite({.meshResource = kBurstResource, .scale = {kBurstScale, kBurstScale}});
  for (int n = 1; n <= kBurstFrames; ++n) {
    char name[24];
    std::snprintf(name, sizeof name, "data\\be%d.png", n);
    BurstTex[n] = iTextureCreate(name);
  }
  iSpriteTextureSet(BurstSprite, BurstTex[1]);
  BurstFrame = 1;
  FlyTex = game_.sharedImages[look.flyImage];
  DownTex = game_.sharedImages[look.flyImage + 1];
  iSpriteTextureSet(Sprite, FlyTex);
  Active = Flying = Dropped = Collectable = Taken = 0;
  Phase = 0;
  X = Y = 0;
  HalfWidth = 1.0L;
  HalfHeight = 0.5L;
  HitSound = iSoundCreate(kHitSound, 0);
  TakeSound = iSoundCreate(look.takeSound, 0);
}

void TBonus::Drop() {
  Flying = 0;
  Dropped = 1;
  Collectable = 1;
  iSpriteTextureSet(Sprite, DownTex);
  core::SetSpriteLocation(BurstSprite, static_cast<float>(X), static_cast<float>(Y));
  iSpriteShow(BurstSprite);
  iSoundPlayNow(HitSound, 0);
}

void TBonus::Update() {
  if (Active) {
    BonusStep();
  } else if (X < kPickupActivateX && !Taken) {
    Active = 1;
    Flying = 1;
    Place();
    iSpriteShow(Sprite);
  }
}

void TBonus::BonusStep() {
  if (Flying) {
    X -= kPickupDrift;
    // The wave moves Y by the change of the sine, so it swings around where it started.
    Y -= std::sin(Phase);
    Phase += kPickupWaveStep;
    Y += std::sin(Phase);
    Place();
  }
  if (!Dropped) return;

  // The last burst picture shows for one step, then the burst is over.
  if (BurstFrame >= kLastBurstFrame) {
    iSpriteHide(BurstSprite);
  } else {
    const uint32_t now = platform::GetTickCount();
    if (now - BurstTick > kBurstFrameMs) {
      BurstTick = now;
      ++BurstFrame;
      iSpriteTextureSet(BurstSprite, BurstTex[BurstFrame]);
    }
  }

  CollisionRect probe = Box();
  probe.Top -= static_cast<double>(kPickupFall);
  probe.Bottom -= static_cast<double>(kPickupFall);
  if (const TFirstPlaneThing* under = FirstSolidOverlap(game_.foregroundObjects, probe)) {
    Y = under->Y + under->HalfHeight + HalfHeight + kPickupRestGap;
  } else {
    Y -= kPickupFall;
    const long double lowest = game_.hero->GroundY - kPickupBelowGround;
    if (Y < lowest) Y = lowest;
  }
}

bool TBonus::TryCollect(const CollisionRect& heroBox) {
  if (!Active || !Collectable || !RectsOverlap(heroBox, Box())) return false;
  iSpriteHide(Sprite);
  GiveEffect();
  iSoundPlayNow(TakeSound, 0);
  game_.SetScore(game_.Score() + kPickupPoints);
  Collectable = 0;
  Active = 0;
  Taken = 1;
  iSpriteHide(BurstSprite);
  return true;
}

void TBonus::Place() { core::SetSpriteLocation(Sprite, static_cast<float>(X), static_cast<float>(Y)); }

void TBonus::Show() {
  if (Active && !Taken) iSpriteShow(Sprite);
}

void TBonus::Hide() {
  iSpriteHide(Sprite);
  iSpriteHide(BurstSprite);
}

void TBonus::SetPriority(int32_t priority) {
  iSpritePrioritySet(Sprite, priority);
  iSpritePrioritySet(BurstSprite, priority);
}

const TBonus::Look& TEnergyPlus::ClassLook() const {
  static const Look look{1000042, 3.375f, 2.025f, kEnergyImages, "sound\\Energy_take.wav"};
  return look;
}

void TEnergyPlus::GiveEffect() {
  const int32_t before = game_.Energy();
  const int32_t after = std::min(before + 1, kMaxEnergy);
  game_.ShowEnergy(after);
  game_.SetEnergy(after);
}

const TBonus::Look& TArmorPlus::ClassLook() const {
  static const Look look{1000043, 3.125f, 1.775f, kArmourImages, "sound\\Armor_take.wav"};
  return look;
}

void TArmorPlus::GiveEffect() {
  game_.SetArmor(game_.Armor() + kArmourPerPickup);
  iSpriteShow(game_.hero->ArmourSprite);
}

const TBonus::Look& TWeaponSign::ClassLook() const { return kWeaponLooks[weapon_]; }

void TWeaponSign::GiveEffect() {
  game_.currentWeapon = weapon_;
  game_.ShowWeapon(weapon_);
}

std::unique_ptr<TBonus> MakePickup(int32_t kind, world::TGame& game) {
  switch (kind) {
    case 1: return std::make_unique<TWA>(game);
    case 2: return std::make_unique<TWB>(game);
    case 3: return std::make_unique<TWC>(game);
    case 4: return std::make_unique<TWD>(game);
    case 5: return std::make_unique<TWE>(game);
    case kPickupArmour: return std::make_unique<TArmorPlus>(game);
    default: return std::make_unique<TEnergyPlus>(game);
  }
}

}  // namespace actors
