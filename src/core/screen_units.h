// The engine's view of the 800 x 600 frame: 32 x 24 units with the origin in
// the middle and y upwards, 25 pixels to a unit. The pointer, the buttons
// placed in pixels and the full-screen pictures all convert through these.
#pragma once

#include <cstdint>

namespace core {

inline constexpr float kScreenWidthPx = 800, kScreenHeightPx = 600;
inline constexpr float kPixelsPerUnit = 25;
inline constexpr float kUnitsPerPixel = 0.04f;
inline constexpr float kHalfWidthUnits = 16, kHalfHeightUnits = 12;
// The mesh scale of a sprite covering the whole frame.
inline constexpr float kFullScreenScaleW = 20, kFullScreenScaleH = 15;

}  // namespace core
