// The three input steps of every frame (not on the promotion screen), in this
// order: KeyboardStep, MouseMoveStep, MouseClickStep. They read the engine's
// keys and pointer and, by game state, move menu selections, run menu
// actions, edit texts and change the state.
#pragma once

#include <cstdint>
#include <optional>

#include "engine_link/scan_codes.h"

namespace app {

class TMainForm;

// Bits of the modifier keys held.
inline constexpr uint8_t kShiftHeld = 1, kAltHeld = 2, kCtrlHeld = 4;
uint8_t HeldModifiers();

// The pointer in engine units (x -16..16 right, y -12..12 up), or nothing when
// it is outside the window (in full screen it is always inside).
struct CursorPoint {
  float x, y;
  bool operator==(const CursorPoint&) const = default;
};
std::optional<CursorPoint> CursorPosition();
// What the input steps remember from one frame to the next.
struct InputMemory {
  long double previousX = 0, previousY = 0;  // pointer at the last hover test
  bool altTabHeld = false;                   // Alt+Tab was already held last frame
  bool altEnterHeld = false;                 // Alt+Enter was already held last frame
};

// Moves the cursor sprite to the pointer.
void PlaceCursor(CursorPoint at);

void KeyboardStep(TMainForm& form);
void MouseMoveStep();
void MouseClickStep();

}  // namespace app
