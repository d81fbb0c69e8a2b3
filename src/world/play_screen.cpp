#include "world/play_screen.h"

#include "actors/hero.h"
#include "core/game_context.h"
#include "world/combat_hooks.h"
#include "world/game.h"

namespace world {
namespace {

world::TGame* World() {
  world::TGame* game = core::Ctx().game.get();
  return game && game->hero ? game : nullptr;
}

void ShowSprite(EHandle sprite, bool show) { show ? iSpriteShow(sprite) : iSpriteHide(sprite); }

// Everything of the play screen but the hero and the menu background.
void ShowWorld(world::TGame& game, bool show) {
  for (auto* layer : {&game.backgroundTiles, &game.foregroundTiles}) {
    for (const world::ParallaxTile& tile : *layer) ShowSprite(tile.sprite, show);
  }
  // A train level has no buildings (and a city level no wagons) standing.
  const bool trainLevel = game.Level() % world::kTrainLevelEvery == 0;
  if (!show || !trainLevel) {
    for (const world::PlacedSprite& b : game.buildings) ShowSprite(b.sprite, show);
  }
  for (const world::PlacedSprite& w : game.wagons) ShowSprite(w.sprite, show);
  for (const auto& thing : game.foregroundObjects) show ? thing->Show() : thing->Hide();
  if (game.combat) show ? game.combat->ShowActors() : game.combat->HideActors();
  for (EHandle hud : {game.panelSprite, game.energySprite, game.sharedImages[world::kLivesSprite],
                      game.sharedImages[world::kWeaponSignSprite], game.sharedImages[world::kGaugeSprite]}) {
    ShowSprite(hud, show);
  }
}

}  // namespace

void ShowPlayScreen() {
  world::TGame* game = World();
  if (!game) return;
  ShowWorld(*game, true);
  iSpriteHide(core::Ctx().res.menuBackground);
  // Play never shows through the menu column (a game resumed over a menu).
  if (core::Ctx().hideMenusForPlay) core::Ctx().hideMenusForPlay();
  game->hero->ShowOnPlayScreen();
}

void HidePlayScreen() {
  world::TGame* game = World();
  if (!game) return;
  ShowWorld(*game, false);
  game->hero->HideFromPlayScreen();
  iSpriteShow(core::Ctx().res.menuBackground);
}

void LowerActors() {
  world::TGame* game = World();
  if (!game) return;
  game->hero->SetPriority(kActorUnderDialogPriority);
  if (game->combat) game->combat->SetActorPriority(kActorUnderDialogPriority);
}

void RaiseActors() {
  world::TGame* game = World();
  if (!game) return;
  game->hero->SetPriority(kActorPlayPriority);
  if (game->combat) game->combat->SetActorPriority(kActorPlayPriority);
}

}  // namespace world
