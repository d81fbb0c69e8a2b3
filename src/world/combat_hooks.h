// CombatHooks: where the world and the hero hand over to the combatants that
// live in lists of their own (enemies with their shots and score pop-ups,
// pick-ups, the hero's projectile pools and weapons). The world calls these
// at fixed places of the level build and of every frame; with no hooks
// installed those places do nothing and the level is scenery only.
//
// The level generation draws every random number itself (the enemy class
// R(7) and the pick-up kind R(7) included), so a level's layout depends only
// on the seed, whatever the hooks create.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "world/snapshot_records.h"

namespace world {

// One enemy the level generation asks for.
struct EnemySpawn {
  int32_t terrKind = 1;                        // TTerr1..TTerr7
  long double x = 0;                           // X of the enemy
  // Set: the enemy stands still on a surface facing left, with its Y at this
  // height plus its own half height. Unset: it walks on the ground where its
  // Init puts it.
  std::optional<long double> standOnHeight;
};

class CombatHooks {
 public:
  virtual ~CombatHooks() = default;

  // Level generation: create, append and Init the object, then position it.
  virtual void SpawnEnemy(const EnemySpawn& spawn) = 0;
  // kind 0 energy, 1..5 weapons A..E, 6 armour.
  virtual void SpawnPickup(int32_t kind, long double x, long double y) = 0;

  // The hero's set-up makes his projectile pools in two parts around his body
  // sprites, since sprites of equal priority draw in creation order: the pools
  // drawn under his body first, then (after the body) the ones drawn over it.
  // A world without combatants has no pools to make.
  virtual void CreateHeroShotsBeforeBody() {}
  virtual void CreateHeroShotsAfterBody() {}

  // The hero's update: his shots in flight (before the level-end test), the
  // collection of pop-ups and pick-ups (after the crouch phases), and the
  // grenade and fire steps (last).
  virtual void MoveHeroShots() = 0;
  virtual void CollectPopupsAndPickups() = 0;
  virtual void HeroWeapons() = 0;
  // Shots that stay with the hero as he steps (called after his own step).
  virtual void CarryShots() = 0;
  // The gun's kick after a shot; false puts the arms back.
  virtual void Recoil(bool back) = 0;

  // The world step after the hero: every enemy's Update, then the pick-ups.
  virtual void UpdateActors() = 0;
  // Sprite placement of enemies with their pop-ups, the hero's shots and the pick-ups.
  virtual void PlaceActors() = 0;
  // One scroll step: enemies, their pop-ups and the pick-ups move by dx.
  virtual void ScrollActors(long double dx) = 0;
  // The level is torn down: free every enemy and pick-up.
  virtual void ClearActors() = 0;
  // The run has ended (its level torn down): the hero's pools and weapons go
  // back to how his set-up made them, so that the next run starts as the
  // process's first did. A world without combatants has none.
  virtual void ResetForNewGame() {}
  // The play screen: enemies' sprites shown; on hiding also every shot and pick-up.
  virtual void ShowActors() = 0;
  virtual void HideActors() = 0;
  // Priority of every enemy, enemy shot, pick-up and hero shot sprite.
  virtual void SetActorPriority(int32_t priority) = 0;

  // The fight's part of the world snapshot: the enemies with their shots, and
  // the hero's five saved pools inside his record. A world without
  // combatants saves none and restores none.
  virtual void CaptureEnemies(std::vector<snapshot::EnemyRecord>& /*enemies*/) const {}
  virtual void CaptureHeroShots(snapshot::HeroRecord& /*hero*/) const {}
  // Called while the hero is restored, after his fields and before his
  // sprites are shown, so the shots' sprites keep their place in his pools.
  virtual void RestoreHeroShots(const snapshot::HeroRecord& /*hero*/) {}
  // Called last, once the level's scenery is back: each enemy is made, Init
  // and set from its record; a record of an unknown kind is skipped.
  virtual void RestoreEnemies(std::span<const snapshot::EnemyRecord> /*enemies*/) {}
};

}  // namespace world
