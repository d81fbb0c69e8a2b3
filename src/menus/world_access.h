// What the menus need of the running game's world (the play screen, the
// counters, the reset between runs), in one place so the menus depend on the
// world through these few calls only. Before the world object exists (tests of
// the menus alone) there is nothing to act on: the score and level are 0.
#pragma once

#include <cstdint>

namespace menus::world_access {

// The world's resources have been created.
bool WorldActive();
// Creates the world's resources (the main menu's start, once per process).
void CreateWorldResources();
// The run's counters.
int32_t Score();
int32_t Level();
// The weapon in the hero's hand, 1..5 (0 without a world).
int32_t CurrentWeapon();
// Hides the four background and four foreground tiles (the main menu covers play).
void HideTiles();
// The play screen's sprites: shown, hidden (menu background back), behind or
// in front of the dialogs.
void ShowPlayScreen();
void HidePlayScreen();
void LowerActors();
void RaiseActors();
// Clears the run: counters, hero and lists, ready for the next start.
void ResetForNewGame();
// Builds the next level at once (a game resumed between levels).
void StartNextLevel();

}  // namespace menus::world_access
