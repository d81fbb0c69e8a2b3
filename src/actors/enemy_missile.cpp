#include "actors/enemy_missile.h"

#include <cmath>

#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "core/sprites.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int32_t kFirstShotResource = 1000031;  // + kind - 1
constexpr int32_t kHeroDamage = 1;
constexpr float kMeshScalePerUnit = 0.625f * 2;  // scale covering a box of two half sizes

}  // namespace

TEnemyMissile::~TEnemyMissile() { iSpriteDestroy(Sprite); }

void TEnemyMissile::Init() {
  X = 0;
  Y = 0;
  HalfHeight = kEnemyShotHalfSize;
  HalfWidth = kEnemyShotHalfSize;
  Sprite = core::MakeSprite({.meshResource = kFirstShotResource + terrKind_ - 1,
                            .texture = game_.sharedImages[world::kShotImage + terrKind_ - 1],
                            .scale = {static_cast<float>(HalfWidth) * kMeshScalePerUnit,
                                      static_cast<float>(HalfHeight) * kMeshScalePerUnit},
                            .location = {0, 0}});
  Age = 0;
  Free = 0;
}

void TEnemyMissile::Move() {
  X += std::cos(Direction) * kMissileStep;
  Y += std::sin(Direction) * kMissileStep;
  const EngineVec location{static_cast<float>(X), static_cast<float>(Y), 0};
  iSpriteLocationSet(Sprite, &location);
  ++Age;
  // An aged-out shot still hits what it reached in this step.
  if (Age > kMissileMaxAge) Free = 1;
  const CollisionRect box = Box();
  if (game_.hero && RectsOverlap(box, game_.hero->Box())) {
    Free = 1;
    game_.hero->TakeHit(kHeroDamage);
  } else if (FirstSolidOverlap(game_.foregroundObjects, box) != nullptr) {
    Free = 1;
  }
  if (Y < kMissileLowestY || Y > kMissileHighestY) Free = 1;
  if (Free) iSpriteHide(Sprite);
}

}  // namespace actors
