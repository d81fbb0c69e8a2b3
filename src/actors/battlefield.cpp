#include "actors/battlefield.h"

#include "actors/enemy.h"
#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "actors/pickup.h"
#include "actors/score_popup.h"
#include "world/game.h"

namespace actors {

TBattlefield::TBattlefield(world::TGame& game) : game_(game) {}

TBattlefield::~TBattlefield() {
  enemies.clear();
  pickups.clear();
}

THero& TBattlefield::Hero() const { return *game_.hero; }

TEnemy* TBattlefield::FirstLiveEnemy(const CollisionRect& box) const {
  for (const auto& enemy : enemies) {
    if (!enemy->Dead && RectsOverlap(enemy->Box(), box)) return enemy.get();
  }
  return nullptr;
}

int TBattlefield::DamageLiveEnemies(const CollisionRect& box, int32_t amount) const {
  int hits = 0;
  for (const auto& enemy : enemies) {
    if (enemy->Dead || !RectsOverlap(enemy->Box(), box)) continue;
    enemy->Damage(amount);
    ++hits;
  }
  return hits;
}

TScore* TBattlefield::FirstStartablePopup(const CollisionRect& box) const {
  for (const auto& enemy : enemies) {
    TScore* popup = enemy->Popup.get();
    if (popup && popup->Startable() && RectsOverlap(popup->Box(), box)) return popup;
  }
  return nullptr;
}

TBonus* TBattlefield::FirstDroppablePickup(const CollisionRect& box) const {
  for (const auto& pickup : pickups) {
    if (pickup->Droppable() && RectsOverlap(pickup->Box(), box)) return pickup.get();
  }
  return nullptr;
}

bool TBattlefield::HitsSolid(const CollisionRect& box) const {
  return FirstSolidOverlap(game_.foregroundObjects, box) != nullptr;
}

}  // namespace actors
