// The hero's projectiles: bullets (weapon A), pellets (B), laser bolts (C),
// plasma (E, two pictures in turn) and grenades. They share one flight: half
// a unit a step along Direction, 81 steps at most, and the first thing they
// meet decides what happens:
//   - a living enemy (list order) takes 10 points of damage; the shot stops,
//     except a grenade, which flies on through enemies and hurts every enemy
//     it overlaps on every step;
//   - a shot flying level or downwards (Direction < 0.1 or > 3) stops at a
//     solid foreground object; one aimed up or diagonally up passes;
//   - otherwise it sets off the first rising score pop-up, or else makes the
//     first floating pick-up drop, and flies on;
//   - leaving the band -10 <= Y <= 14 stops it.
// A stopped shot only becomes Free; its owner hides the idle sprites on its
// next update. The hero's pools (actors/hero_arsenal.h) make them once.
#pragma once

#include <cstdint>

#include "actors/missile.h"

namespace actors {

class TBattlefield;

// The damage one hero shot or flame does to an enemy.
inline constexpr int32_t kHeroShotDamage = 10;
inline constexpr long double kHeroShotHalfSize = 0.44L;
// Shots whose direction lies in this range (radians, inclusive) fly over
// the scenery: they are aimed up or diagonally up.
inline constexpr long double kOverObjectsFrom = 0.1L;
inline constexpr long double kOverObjectsTo = 3;

// What a kind of the hero's projectiles looks like (its table row).
struct HeroShotLook {
  int32_t resourceId;   // mesh resource of its sprite
  int shotTexture;      // index into the hero's ShotTex at Init
  float scaleW, scaleH;
  bool throughEnemies;  // grenades fly on after a hit
};

class THeroMissile : public TMissile {
 public:
  THeroMissile(TBattlefield& field, const HeroShotLook& look) : field_(field), look_(look) {}
  // Destroys the sprite.
  ~THeroMissile() override;
  THeroMissile(const THeroMissile&) = delete;
  THeroMissile& operator=(const THeroMissile&) = delete;

  // Sprite from the in-memory mesh with the kind's resource, picture and
  // scale, at (0, 0); half sizes 0.44; Age 0, Free 0 (the owner frees it);
  // FacingAtInit is the hero's facing now.
  void Init() override;
  // One flight step (see the top of this file).
  void Move() override;
  // When a run ends: the entry as its pool made it, on the sprite Init made
  // (idle and hidden at (0, 0), the kind's size and picture, unturned), so
  // that a new run's shots start as the process's first run's do.
  virtual void Reset();

 protected:
  TBattlefield& field_;

 private:
  const HeroShotLook& look_;
};

class THeroMissileA final : public THeroMissile {
 public:
  explicit THeroMissileA(TBattlefield& field);
};

class THeroMissileB final : public THeroMissile {
 public:
  explicit THeroMissileB(TBattlefield& field);
};

class THeroMissileC final : public THeroMissile {
 public:
  explicit THeroMissileC(TBattlefield& field);
};

// Plasma: its picture alternates between two frames, one per step.
class THeroMissileE final : public THeroMissile {
 public:
  explicit THeroMissileE(TBattlefield& field);
  void Init() override;
  // Turns to the other frame, then flies.
  void Move() override;
  // Also back on the first frame.
  void Reset() override;

  uint8_t FrameIndex = 1;  // 1 or 2: the plasma picture shown
};

// The grenade: thrown with a picture and a box that grow with the charge;
// its sprite's scale stays that of Init.
class THeroMissileS final : public THeroMissile {
 public:
  explicit THeroMissileS(TBattlefield& field);
};

}  // namespace actors
