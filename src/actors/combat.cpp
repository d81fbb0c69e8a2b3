#include "actors/combat.h"

#include "actors/enemy.h"
#include "actors/hero.h"
#include "actors/pickup.h"
#include "actors/score_popup.h"
#include "world/game.h"

namespace actors {

TCombat::TCombat(world::TGame& game) : game_(game), field_(game), arsenal_(field_) {}

TCombat::~TCombat() = default;

void TCombat::SpawnEnemy(const world::EnemySpawn& spawn) {
  field_.enemies.push_back(MakeEnemy(spawn.terrKind, game_));
  TEnemy& enemy = *field_.enemies.back();
  enemy.Init();
  enemy.X = spawn.x;
  if (spawn.standOnHeight) enemy.StandOn(*spawn.standOnHeight);
  enemy.Place();
}

void TCombat::SpawnPickup(int32_t kind, long double x, long double y) {
  field_.pickups.push_back(MakePickup(kind, game_));
  TBonus& pickup = *field_.pickups.back();
  pickup.Init();
  pickup.Y = y;
  pickup.X = x;
}

void TCombat::CreateHeroShotsBeforeBody() { arsenal_.CreateBeforeBody(); }

void TCombat::CreateHeroShotsAfterBody() { arsenal_.CreateAfterBody(); }

void TCombat::MoveHeroShots() { arsenal_.MoveShots(); }

void TCombat::CollectPopupsAndPickups() {
  const CollisionRect hero = game_.hero->Box();
  for (const auto& enemy : field_.enemies) {
    if (enemy->Popup && enemy->Popup->TryCollect(hero)) break;
  }
  for (const auto& pickup : field_.pickups) {
    if (pickup->TryCollect(hero)) break;
  }
}

void TCombat::HeroWeapons() { arsenal_.WeaponSteps(); }

void TCombat::CarryShots() { arsenal_.CarryShots(); }

void TCombat::Recoil(bool back) { arsenal_.Recoil(back); }

void TCombat::UpdateActors() {
  for (const auto& enemy : field_.enemies) enemy->Update();
  for (const auto& pickup : field_.pickups) pickup->Update();
}

void TCombat::PlaceActors() {
  for (const auto& enemy : field_.enemies) enemy->Place();
  arsenal_.PlaceShotsA();
  for (const auto& pickup : field_.pickups) pickup->Place();
}

void TCombat::ScrollActors(long double dx) {
  for (const auto& enemy : field_.enemies) enemy->ScrollBy(dx);
  for (const auto& pickup : field_.pickups) pickup->X += dx;
}

void TCombat::ClearActors() {
  field_.enemies.clear();
  field_.pickups.clear();
  // Shots still in flight would fly on, unseen, into the next level.
  arsenal_.GroundShots();
}

void TCombat::ResetForNewGame() { arsenal_.ResetForNewGame(); }

void TCombat::ShowActors() {
  for (const auto& enemy : field_.enemies) enemy->Show();
  for (const auto& pickup : field_.pickups) pickup->Show();
}

void TCombat::HideActors() {
  for (const auto& enemy : field_.enemies) enemy->Hide();
  arsenal_.HideShots();
  for (const auto& pickup : field_.pickups) pickup->Hide();
}

void TCombat::SetActorPriority(int32_t priority) {
  for (const auto& enemy : field_.enemies) enemy->SetPriority(priority);
  for (const auto& pickup : field_.pickups) pickup->SetPriority(priority);
  arsenal_.SetPriority(priority);
}

}  // namespace actors
