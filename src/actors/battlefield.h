// TBattlefield: the level's combatants as the hero's shots and flames meet
// them, each list in its own order: the enemies (with their score pop-ups),
// the pick-ups, and the world's solid foreground objects. It owns the level's
// enemies and pick-ups; the foreground objects and the hero stay the world's.
//
// Every search walks its list in order and stops at the first overlap, so the
// earlier of two overlapping targets is the one hit.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "actors/collision.h"

namespace world {
class TGame;
}

namespace actors {

class TEnemy;
class TScore;
class TBonus;
class THero;

using EnemyList = std::vector<std::unique_ptr<TEnemy>>;
using PickupList = std::vector<std::unique_ptr<TBonus>>;

class TBattlefield {
 public:
  explicit TBattlefield(world::TGame& game);
  // Frees the enemies, then the pick-ups.
  ~TBattlefield();
  TBattlefield(const TBattlefield&) = delete;
  TBattlefield& operator=(const TBattlefield&) = delete;

  world::TGame& Game() const { return game_; }
  // The world's hero; he exists from the world's set-up on.
  THero& Hero() const;

  // The first living enemy whose box overlaps `box`; null if none.
  TEnemy* FirstLiveEnemy(const CollisionRect& box) const;
  // Damages every living enemy whose box overlaps `box`, in list order;
  // returns how many were hit.
  int DamageLiveEnemies(const CollisionRect& box, int32_t amount) const;
  // The first enemy's pop-up that a shot can start (active, not yet falling)
  // whose box overlaps `box`; null if none.
  TScore* FirstStartablePopup(const CollisionRect& box) const;
  // The first pick-up that a shot can drop (active, not yet dropped) whose
  // box overlaps `box`; null if none.
  TBonus* FirstDroppablePickup(const CollisionRect& box) const;
  // `box` overlaps a foreground object that is not a fire.
  bool HitsSolid(const CollisionRect& box) const;

  EnemyList enemies;  // the level's enemies, in the order they were placed
  PickupList pickups;  // the level's pick-ups, in the order they were placed

 private:
  world::TGame& game_;
};

}  // namespace actors
