#include "menus/world_access.h"

#include "core/game_context.h"
#include "world/play_screen.h"
#include "world/game.h"

namespace menus::world {
namespace {

::world::TGame* Game() { return app::Ctx().game.get(); }

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
    for (const ::world::ParallaxTile& tile : *layer) iSpriteHide(tile.sprite);
  }
}

void ShowPlayScreen() { app::ShowPlayScreen(); }

void HidePlayScreen() {
  app::HidePlayScreen();
  // Without a world the play screen has nothing to hide, but the menus still
  // stand on their background.
  if (!WorldActive()) iSpriteShow(app::Ctx().res.menuBackground);
}

void LowerActors() { app::LowerActors(); }

void RaiseActors() { app::RaiseActors(); }

void ResetForNewGame() {
  if (WorldActive()) Game()->ResetForNewGame();
}

void StartNextLevel() {
  if (!Game()) return;
  if (!WorldActive()) Game()->CreateWorldResources();
  Game()->StartNextLevel();
}

}  // namespace menus::world
