// The three input steps of every frame (not on the promotion screen), in this
// order: KeyboardStep, MouseMoveStep, MouseClickStep. They read the engine's
// keys and pointer and, by game state, move menu selections, run menu
// actions, edit texts and change the state.
#pragma once

#include <cstdint>
#include <optional>

namespace app {

class TMainForm;

// DirectInput scan codes the steps use.
namespace keys {
inline constexpr int32_t kEscape = 0x01, kBackspace = 0x0E, kTab = 0x0F, kEnter = 0x1C;
inline constexpr int32_t kLeftCtrl = 0x1D, kLeftShift = 0x2A, kRightShift = 0x36, kLeftAlt = 0x38;
inline constexpr int32_t kRightCtrl = 0x9D, kRightAlt = 0xB8, kPause = 0xC5;
inline constexpr int32_t kUp = 0xC8, kLeft = 0xCB, kRight = 0xCD, kDown = 0xD0;
inline constexpr int32_t kLowestCode = 1, kHighestCode = 255;
}  // namespace keys

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
