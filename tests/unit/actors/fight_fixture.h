// A hero on a level in play with the fight installed, but with the level's own
// scenery, enemies and pick-ups taken away, so that each test places only the
// combatants it needs.
#pragma once

#include <optional>

#include "actors/combat.h"
#include "actors/enemy.h"
#include "actors/pickup.h"
#include "engine_link/scan_codes.h"
#include "hero_fixture.h"

struct FightOnLevel : HeroOnLevel {
  void SetUp() override {
    HeroOnLevel::SetUp();
    combat().ClearActors();
  }

  actors::TCombat& combat() { return static_cast<actors::TCombat&>(*game.context().combat); }
  actors::THeroArsenal& arsenal() { return combat().Arsenal(); }

  // A walking enemy of `kind` on the ground at x, as the level build makes it.
  actors::TEnemy& AddEnemy(long double x, int32_t kind = 1) {
    combat().SpawnEnemy({kind, x, std::nullopt});
    return *combat().Field().enemies.back();
  }
  // A pick-up of the generator's kind (0 energy, 1..5 weapons, 6 armour) at (x, y).
  actors::TBonus& AddPickup(int32_t kind, long double x, long double y) {
    combat().SpawnPickup(kind, x, y);
    return *combat().Field().pickups.back();
  }

  // The hero's weapon steps once, with a fire key held and the cool-down over.
  void Fire() {
    game.clock().Advance(actors::kFireCooldownMs);
    game.Hold(keys::kLeftCtrl);
    combat().HeroWeapons();
    game.Release(keys::kLeftCtrl);
  }

  template <class Pool>
  static int InFlight(const Pool& pool) {
    int n = 0;
    for (const auto& shot : pool) n += shot->Free ? 0 : 1;
    return n;
  }
  bool Shown(EHandle sprite) { return engine().sprites[sprite].shown; }
  std::string Showing(EHandle sprite) { return engine().TextureFile(engine().sprites[sprite].texture); }
};
