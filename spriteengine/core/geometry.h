// Plain value types and the screen-space constants of docs/architecture.md.
#pragma once

#include <cstdint>

namespace spriteengine {

struct Vec2 {
  float x = 0, y = 0;
};
struct Vec3 {
  float x = 0, y = 0, z = 0;
};
struct Color {
  float r = 1, g = 1, b = 1, a = 1;
};

inline constexpr int kFrameWidth = 800;              // pixels of the frame
inline constexpr int kFrameHeight = 600;
inline constexpr float kPixelsPerUnit = 25.0f;       // sprite units to frame pixels
inline constexpr float kHalfWidthUnits = 16.0f;      // x runs -16..16
inline constexpr float kHalfHeightUnits = 12.0f;     // y runs -12..12
inline constexpr float kUnitsPerScale = 1 / 0.625f;  // a sprite of scale s covers s/0.625 units

// Frame pixel coordinates (origin top left, y down) of a point in sprite units.
inline Vec2 UnitsToPixels(Vec2 units) {
  return {(units.x + kHalfWidthUnits) * kPixelsPerUnit, (kHalfHeightUnits - units.y) * kPixelsPerUnit};
}

}  // namespace spriteengine
