// The fight's part of the world snapshot (world/world_snapshot.h): the
// enemies with their shots and the hero's saved pools, to and from their
// records.
#include <algorithm>
#include <numbers>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "core/sprites.h"

namespace actors {
namespace {

using world::snapshot::EnemyRecord;
using world::snapshot::HeroRecord;
using world::snapshot::ShotRecord;

constexpr long double kDegreesPerRadian = 180 / std::numbers::pi_v<long double>;

ShotRecord ShotOf(const TMissile& shot) {
  return ShotRecord{shot.X, shot.Y, shot.Age, shot.Direction, shot.Free};
}

template <size_t N, class Pool>
void CaptureShots(std::array<ShotRecord, N>& records, const Pool& pool) {
  for (size_t i = 0; i < N && i < pool.size(); ++i) records[i] = ShotOf(*pool[i]);
}

// A saved shot back into its pool entry. An age outside the flight's span
// (never written by the game) is held to it, so the shot ends as usual.
void RestoreShot(TMissile& shot, const ShotRecord& record) {
  shot.X = record.x;
  shot.Y = record.y;
  shot.Age = std::clamp(record.age, 0, kMissileMaxAge + 1);
  shot.Direction = record.direction;
  shot.Free = record.free != 0 ? 1 : 0;
  core::SetSpriteLocation(shot.Sprite, static_cast<float>(shot.X), static_cast<float>(shot.Y));
}

template <size_t N, class Pool>
void RestorePool(Pool& pool, const std::array<ShotRecord, N>& records, bool turned) {
  for (size_t i = 0; i < N && i < pool.size(); ++i) {
    TMissile& shot = *pool[i];
    RestoreShot(shot, records[i]);
    if (shot.Free) continue;
    // Bolts fly turned along their direction, as when they were fired.
    if (turned) {
      const EngineVec orientation{0, 0, static_cast<float>(shot.Direction * kDegreesPerRadian)};
      iSpriteOrientationSet(shot.Sprite, &orientation);
    }
    iSpriteShow(shot.Sprite);
  }
}

EnemyRecord CaptureEnemy(const TEnemy& e) {
  EnemyRecord r;
  r.classCode = e.TerrKind();
  r.facingRight = e.FacingRight;
  r.animTick = static_cast<int32_t>(e.AnimTick);
  r.frame = e.Frame;
  r.x = e.X;
  r.y = e.Y;
  r.halfHeight = e.HalfHeight;
  r.halfWidth = e.HalfWidth;
  r.hitPoints = e.HitPoints;
  r.dead = e.Dead;
  r.walks = e.Walks;
  r.fireTick = static_cast<int32_t>(e.FireTick);
  for (size_t i = 0; i < r.shots.size() && i < e.Missiles.size(); ++i) r.shots[i] = ShotOf(*e.Missiles[i]);
  return r;
}

void RestoreEnemy(TEnemy& e, const EnemyRecord& r) {
  e.Init();
  e.X = r.x;
  e.Y = r.y;
  e.HalfHeight = r.halfHeight;
  e.HalfWidth = r.halfWidth;
  e.HitPoints = r.hitPoints;
  e.Dead = r.dead != 0;
  e.Walks = r.walks != 0;
  if (!e.Walks) {
    // An enemy on an object stands facing left, on its first left picture.
    e.FacingRight = 0;
    iSpriteTextureSet(e.Sprite, e.TexLeft[1]);
  }
  if (e.Dead) {
    // A dead enemy comes back dead: on its saved death picture (bounded to
    // the pictures its kind has), never walking its death again from the start.
    int32_t frame = std::clamp(r.frame, kFirstDeathFrame, kEnemyFrameSlots);
    while (frame > kFirstDeathFrame && e.TexRight[frame] == 0) --frame;
    e.Frame = frame;
    iSpriteTextureSet(e.Sprite, e.FacingRight ? e.TexRight[frame] : e.TexLeft[frame]);
  }
  for (size_t i = 0; i < r.shots.size() && i < e.Missiles.size(); ++i) RestoreShot(*e.Missiles[i], r.shots[i]);
  e.Place();
}

}  // namespace

void TCombat::CaptureEnemies(std::vector<EnemyRecord>& enemies) const {
  for (const auto& e : field_.enemies) enemies.push_back(CaptureEnemy(*e));
}

void TCombat::CaptureHeroShots(HeroRecord& hero) const {
  CaptureShots(hero.shotsA, arsenal_.ShotsA);
  CaptureShots(hero.shotsB, arsenal_.ShotsB);
  CaptureShots(hero.shotsC, arsenal_.ShotsC);
  CaptureShots(hero.shotsE, arsenal_.ShotsE);
  CaptureShots(hero.grenades, arsenal_.Grenades);
}

void TCombat::RestoreHeroShots(const HeroRecord& hero) {
  RestorePool(arsenal_.ShotsA, hero.shotsA, false);
  RestorePool(arsenal_.ShotsB, hero.shotsB, false);
  RestorePool(arsenal_.ShotsC, hero.shotsC, true);
  RestorePool(arsenal_.ShotsE, hero.shotsE, true);
  RestorePool(arsenal_.Grenades, hero.grenades, false);
}

void TCombat::RestoreEnemies(std::span<const EnemyRecord> enemies) {
  for (const EnemyRecord& r : enemies) {
    if (r.classCode < 1 || r.classCode > kEnemyKinds) continue;
    field_.enemies.push_back(MakeEnemy(r.classCode, game_));
    RestoreEnemy(*field_.enemies.back(), r);
  }
}

}  // namespace actors
