#include "menus/world_access.h"

#include "core/game_context.h"
#include "world/play_screen.h"
#include "world/game.h"

namespace menus::world_access {
namespace {

world::TGame* Game() { return core::Ctx().game.get(); }

}  // namespace

bool WorldActive() { return Game() && Game()->worldActive != 0; }

void CreateWorldResources() {
  if (Game()) Game()->CreateWorldResources();
}

int32_t Score() { return Game() ? Game()->Score() : 0; }

int32_t Level() { return Game() ? Game()->Level() : 0; }

int32_t CurrentWeapon() { return Game() ? Game()->currentWeapon : 0; }

void HideTiles() {
  if (!Game()) return;
  for (const auto* layer : {&Game()->backgroundTiles, &Game()->foregroundTiles}) {
    for (const world::ParallaxTile& tile : *layer) iSpriteHide(tile.sprite);
  }
}

void ShowPlayScreen() { world::ShowPlayScreen(); }

void HidePlayScreen() {
  world::HidePlayScreen();
  // Without a world the play screen has nothing to hide, but the menus still
  // stand on their background.
  if (!WorldActive()) iSpriteShow(core::Ctx().res.menuBackground);
}

void LowerActors() { world::LowerActors(); }

void RaiseActors() { world::RaiseActors(); }

void ResetForNewGame() {
  if (WorldActive()) Game()->ResetForNewGame();
}

void StartNextLevel() {
  if (!Game()) return;
  if (!WorldActive()) Game()->CreateWorldResources();
  Game()->StartNextLevel();
}

}  // namespace menus::world_access
