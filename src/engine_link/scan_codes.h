// The DirectInput scan codes the game asks the engine about, named once.
#pragma once

#include <cstdint>

namespace keys {
inline constexpr int32_t kEscape = 0x01, kBackspace = 0x0E, kTab = 0x0F, kEnter = 0x1C;
inline constexpr int32_t kLeftCtrl = 0x1D, kLeftShift = 0x2A, kRightShift = 0x36, kLeftAlt = 0x38;
inline constexpr int32_t kRightCtrl = 0x9D, kRightAlt = 0xB8, kPause = 0xC5;
inline constexpr int32_t kUp = 0xC8, kLeft = 0xCB, kRight = 0xCD, kDown = 0xD0;
inline constexpr int32_t kZ = 0x2C, kX = 0x2D, kNumpad0 = 0x52;
inline constexpr int32_t kLowestCode = 1, kHighestCode = 255;
}  // namespace keys
