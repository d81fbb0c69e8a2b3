#include "menus/play_keys.h"

#include "core/game_context.h"
#include "menus/front_end.h"
#include "menus/menu_keys.h"
#include "menus/world_access.h"

namespace menus {

void TPlayKeys::Keys(uint8_t) {
  if (core::GameState() == core::gsPaused) {
    if (Clicked(keys::kPause)) core::SetGameState(core::gsPlaying);
    return;
  }
  if (Clicked(keys::kEscape)) {
    core::SetGameState(core::gsGameExitConfirm);
    iSpriteShow(core::Ctx().res.cursorSprite);
    world_access::LowerActors();
    Menus().exitMenu.Show();
  }
  if (core::GameState() == core::gsPlaying && Clicked(keys::kPause)) core::SetGameState(core::gsPaused);
}

}  // namespace menus
