// Combat hooks that only record what the world asks of the combatants.
#pragma once

#include <vector>

#include "world/combat_hooks.h"

struct RecordedPickup {
  int32_t kind;
  long double x, y;
};

class RecordingCombat final : public world::CombatHooks {
 public:
  void SpawnEnemy(const world::EnemySpawn& spawn) override { enemies.push_back(spawn); }
  void SpawnPickup(int32_t kind, long double x, long double y) override { pickups.push_back({kind, x, y}); }
  void MoveHeroShots() override {}
  void CollectPopupsAndPickups() override {}
  void HeroWeapons() override {}
  void CarryShots() override {}
  void Recoil(bool) override {}
  void UpdateActors() override {}
  void PlaceActors() override {}
  void ScrollActors(long double dx) override { scrolled += dx; }
  void ClearActors() override {
    enemies.clear();
    pickups.clear();
  }
  void ShowActors() override {}
  void HideActors() override {}
  void SetActorPriority(int32_t) override {}

  std::vector<world::EnemySpawn> enemies;
  std::vector<RecordedPickup> pickups;
  long double scrolled = 0;
};
