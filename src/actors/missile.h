// TMissile: a projectile of a fixed pool. Every shooter (the hero, each enemy)
// makes its pool once at set-up; a projectile is idle in the pool (Free = 1)
// or in flight (Free = 0). The owner launches the idle entry with the highest
// index, calls Move on every entry in flight once per frame, and hides the
// sprites of idle ones. Move flies, ages and tests the projectile against the
// world; it never hides its own sprite unless its kind says so.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "actors/collision.h"
#include "engine_link/engine_calls.h"

namespace actors {

// Flight step per Move, in units along the direction.
inline constexpr long double kMissileStep = 0.5L;
// A projectile is freed in the Move that takes its age past this.
inline constexpr int32_t kMissileMaxAge = 80;
// A projectile that leaves this vertical band is freed.
inline constexpr long double kMissileLowestY = -10;
inline constexpr long double kMissileHighestY = 14;

class TMissile {
 public:
  virtual ~TMissile() = default;

  // Makes the sprite and sets the kind's size; X = Y = 0, Age = 0, Free = 0.
  // The owner sets Free = 1 right after Init.
  virtual void Init() = 0;
  // One flight step; called only while Free = 0.
  virtual void Move() = 0;

  CollisionRect Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }

  EHandle Sprite = 0;          // the projectile's sprite
  long double X = 0, Y = 0;    // centre of its box
  long double HalfHeight = 0;  // half sizes of its box
  long double HalfWidth = 0;
  int32_t Age = 0;             // Move calls since launch
  long double Direction = 0;   // flight angle, radians, 0 right, counter-clockwise
  uint8_t Free = 1;            // 1 idle in the pool, 0 in flight
  uint8_t FacingAtInit = 1;    // the hero's facing when the projectile was made
};

// The idle entry with the highest index, or null when every entry is in flight.
template <class Pool>
auto HighestFree(Pool& pool) -> decltype(pool.front().get()) {
  for (auto it = pool.rbegin(); it != pool.rend(); ++it) {
    if ((*it)->Free) return it->get();
  }
  return nullptr;
}

}  // namespace actors
