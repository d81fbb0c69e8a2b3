// The frame's keys as the screens read them: a press is taken once, a key
// held is seen every frame, and the modifiers held come as bits.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "core/game_context.h"
#include "engine_link/scan_codes.h"

namespace menus {

// Bits of the modifier keys held.
inline constexpr uint8_t kShiftHeld = 1, kAltHeld = 2, kCtrlHeld = 4;
uint8_t HeldModifiers();

inline bool Clicked(int32_t code) { return core::TakeKeyPress(code); }
inline bool Held(int32_t code) { return core::KeyHeld(code); }
// True when any of `codes` was pressed; every one of them is taken.
bool AnyClicked(std::initializer_list<int32_t> codes);
// The lowest scan code pressed this frame (taken), or 0.
int32_t LowestPressedKey();

}  // namespace menus
