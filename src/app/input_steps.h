// The three input steps of every frame (not on the promotion screen), in this
// order: KeyboardStep, MouseMoveStep, MouseClickStep. They read the engine's
// keys and pointer and, by game state, move menu selections, run menu
// actions, edit texts and change the state.
#pragma once

#include <cstdint>

#include "core/pointer.h"
#include "engine_link/scan_codes.h"

namespace app {

class TMainForm;

// Bits of the modifier keys held.
inline constexpr uint8_t kShiftHeld = 1, kAltHeld = 2, kCtrlHeld = 4;
uint8_t HeldModifiers();

void KeyboardStep(TMainForm& form);
void MouseMoveStep();
void MouseClickStep();

}  // namespace app
