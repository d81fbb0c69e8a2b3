#include "actors/hero_missile.h"

#include <cmath>

#include "actors/battlefield.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "actors/pickup.h"
#include "actors/score_popup.h"
#include "core/sprites.h"

namespace actors {
namespace {

// ShotTex entries.
constexpr int kBulletPicture = 0, kPelletPicture = 1, kLaserPicture = 2, kPlasmaPicture1 = 3, kPlasmaPicture2 = 4;
// A small sprite covers exactly its box.
constexpr float kBoxScale = static_cast<float>(kHeroShotHalfSize * 0.625L * 2);

constexpr HeroShotLook kBullet{1000020, kBulletPicture, kBoxScale, kBoxScale, false};
constexpr HeroShotLook kPellet{1000021, kPelletPicture, kBoxScale, kBoxScale, false};
constexpr HeroShotLook kLaser{1000021, kLaserPicture, 1.875f, 0.45f, false};
constexpr HeroShotLook kPlasma{1000021, kPlasmaPicture1, 2.05f, 0.575f, false};
// A grenade shows the bullet picture until it is thrown.
constexpr HeroShotLook kGrenade{1000025, kBulletPicture, 3.4f, 3.25f, true};

bool PassesOverObjects(long double direction) {
  return direction >= kOverObjectsFrom && direction <= kOverObjectsTo;
}

}  // namespace

THeroMissile::~THeroMissile() { iSpriteDestroy(Sprite); }

void THeroMissile::Init() {
  Sprite = core::MakeSprite({.meshResource = look_.resourceId,
                            .texture = field_.Hero().ShotTex[look_.shotTexture],
                            .scale = {look_.scaleW, look_.scaleH},
                            .location = {0, 0}});
  HalfHeight = HalfWidth = kHeroShotHalfSize;
  X = Y = 0;
  Age = 0;
  Free = 0;
  FacingAtInit = field_.Hero().FacingRight;
}

void THeroMissile::Move() {
  X += std::cos(Direction) * kMissileStep;
  Y += std::sin(Direction) * kMissileStep;
  core::SetSpriteLocation(Sprite, static_cast<float>(X), static_cast<float>(Y));
  // An old shot still does everything else in the step that frees it.
  if (++Age > kMissileMaxAge) Free = 1;

  const CollisionRect box = Box();
  // A grenade flies on through the crowd and hurts everyone it touches;
  // other shots stop in the first enemy.
  TEnemy* enemy = look_.throughEnemies ? nullptr : field_.FirstLiveEnemy(box);
  if (enemy) {
    enemy->Damage(kHeroShotDamage);
    Free = 1;
  } else if (look_.throughEnemies && field_.DamageLiveEnemies(box, kHeroShotDamage) > 0) {
    // Nothing else is touched in a step that hit.
  } else if (!PassesOverObjects(Direction) && field_.HitsSolid(box)) {
    Free = 1;
  } else if (TScore* popup = field_.FirstStartablePopup(box)) {
    popup->Start();
  } else if (TBonus* pickup = field_.FirstDroppablePickup(box)) {
    pickup->Drop();
  }
  if (Y < kMissileLowestY || Y > kMissileHighestY) Free = 1;
}

void THeroMissile::Reset() {
  X = Y = 0;
  HalfHeight = HalfWidth = kHeroShotHalfSize;  // a thrown grenade took its charge's size
  Age = 0;
  Direction = 0;
  Free = 1;
  // Grenades and plasma change their picture in flight, bolts fly turned.
  iSpriteTextureSet(Sprite, field_.Hero().ShotTex[look_.shotTexture]);
  const EngineVec unturned{0, 0, 0};
  iSpriteOrientationSet(Sprite, &unturned);
  core::SetSpriteLocation(Sprite, 0, 0);
  iSpriteHide(Sprite);
}

THeroMissileA::THeroMissileA(TBattlefield& field) : THeroMissile(field, kBullet) {}
THeroMissileB::THeroMissileB(TBattlefield& field) : THeroMissile(field, kPellet) {}
THeroMissileC::THeroMissileC(TBattlefield& field) : THeroMissile(field, kLaser) {}
THeroMissileE::THeroMissileE(TBattlefield& field) : THeroMissile(field, kPlasma) {}
THeroMissileS::THeroMissileS(TBattlefield& field) : THeroMissile(field, kGrenade) {}

void THeroMissileE::Init() {
  THeroMissile::Init();
  FrameIndex = 1;
}

void THeroMissileE::Reset() {
  THeroMissile::Reset();
  FrameIndex = 1;
}

void THeroMissileE::Move() {
  FrameIndex = FrameIndex == 1 ? 2 : 1;
  iSpriteTextureSet(Sprite, field_.Hero().ShotTex[FrameIndex == 1 ? kPlasmaPicture1 : kPlasmaPicture2]);
  THeroMissile::Move();
}

}  // namespace actors
