// TCombat: the fight, as the world and the hero hand over to it (the hooks of
// world/combat_hooks.h). It owns the level's enemies and pick-ups (through
// its battlefield) and the hero's weapons with their pools (the arsenal).
// Installed in the world before the world's resources are made, so that the
// hero's set-up can make his pools; lives as long as the world.
//
// Nothing here allocates during play: the enemies and pick-ups are made by
// the level build and the projectiles by the hero's set-up.
#pragma once

#include <cstdint>

#include "actors/battlefield.h"
#include "actors/hero_arsenal.h"
#include "world/combat_hooks.h"

namespace world {
class TGame;
}

namespace actors {

class TCombat final : public world::CombatHooks {
 public:
  explicit TCombat(world::TGame& game);
  ~TCombat() override;
  TCombat(const TCombat&) = delete;
  TCombat& operator=(const TCombat&) = delete;

  // Level build: an enemy of the asked kind, appended and Init, at its X,
  // standing on the surface when one is given; a pick-up of the kind
  // (0 energy, 1..5 weapons A..E, 6 armour) appended and Init at (x, y).
  void SpawnEnemy(const world::EnemySpawn& spawn) override;
  void SpawnPickup(int32_t kind, long double x, long double y) override;

  void CreateHeroShotsBeforeBody() override;
  void CreateHeroShotsAfterBody() override;

  void MoveHeroShots() override;
  // The first collectable pop-up (enemy order) the hero walks into, then the
  // first collectable pick-up: at most one of each per frame.
  void CollectPopupsAndPickups() override;
  void HeroWeapons() override;
  void CarryShots() override;
  void Recoil(bool back) override;

  // Every enemy's Update in list order, then every pick-up's.
  void UpdateActors() override;
  void PlaceActors() override;
  void ScrollActors(long double dx) override;
  // Frees every enemy and pick-up and grounds the hero's shots.
  void ClearActors() override;
  void ResetForNewGame() override;
  void ShowActors() override;
  void HideActors() override;
  void SetActorPriority(int32_t priority) override;

  // The fight's part of the world snapshot (combat_snapshot.cpp).
  void CaptureEnemies(std::vector<world::snapshot::EnemyRecord>& enemies) const override;
  void CaptureHeroShots(world::snapshot::HeroRecord& hero) const override;
  void RestoreHeroShots(const world::snapshot::HeroRecord& hero) override;
  void RestoreEnemies(std::span<const world::snapshot::EnemyRecord> enemies) override;

  TBattlefield& Field() { return field_; }
  THeroArsenal& Arsenal() { return arsenal_; }

 private:
  world::TGame& game_;
  TBattlefield field_;
  THeroArsenal arsenal_;
};

}  // namespace actors
