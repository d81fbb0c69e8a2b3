// The play screen's sprites as a whole: shown when a level starts or play
// resumes, hidden when a level ends or a menu comes up, and lowered under a
// dialog drawn over the game. The world's layers and scenery stay at priority
// 2 (behind the fires' particles); the actors are raised to 0 to be drawn
// over the particles, and lowered to 2 so a dialog at 0 covers them.
#pragma once

#include <cstdint>

namespace world {

inline constexpr int32_t kActorPlayPriority = 0;
inline constexpr int32_t kActorUnderDialogPriority = 2;

// Layers, buildings (city levels) or wagons, scenery, enemies, the hero, the
// HUD; hides the menu background and the main menu. Nothing happens before
// the world exists.
void ShowPlayScreen();
// Hides the same sprites and every shot and pick-up; shows the menu background.
void HidePlayScreen();
// Actors under a dialog, and back on top of the scenery.
void LowerActors();
void RaiseActors();

}  // namespace world
