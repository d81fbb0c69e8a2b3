// SDL scancodes to the DirectInput scan codes the game uses (the full
// standard DIK_* set of a PC keyboard).
#pragma once

#include <SDL2/SDL_scancode.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace spriteengine {

// The DirectInput code of an SDL scancode; 0 when it has none.
int DikOfScancode(SDL_Scancode scancode);

// The SDL scancode of a DirectInput code; SDL_SCANCODE_UNKNOWN when none.
SDL_Scancode ScancodeOfDik(int dik);

// Every (scancode, DIK) pair of the table.
const std::vector<std::pair<SDL_Scancode, int>>& DikTable();

}  // namespace spriteengine
