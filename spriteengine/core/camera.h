// The particle world's camera: at `location` looking along +z, y up, with a
// vertical field of view; the frame shows y -12..12 sprite units at the
// top and bottom of that view. Sprites are screen space and ignore it.
#pragma once

#include <optional>

#include "geometry.h"

namespace spriteengine {

inline constexpr float kNearPlane = 0.1f;  // world units in front of the camera

struct Camera {
  Vec3 location{0, 0, -10};
  float fovDegrees = 45;  // vertical
};

struct Projection {
  Vec2 screen;               // sprite units
  float unitsPerWorld = 0;   // sprite units per world unit at that depth
};

// A world point seen through the camera; nullopt behind the near plane.
std::optional<Projection> Project(const Camera& camera, Vec3 world);

}  // namespace spriteengine
