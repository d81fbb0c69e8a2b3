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

// A camera's constants for one frame, so that projecting thousands of
// particles costs a division and a few products each.
class CameraView {
 public:
  explicit CameraView(const Camera& camera);
  // A world point seen through the camera; nullopt behind the near plane.
  std::optional<Projection> Project(Vec3 world) const {
    float depth = world.z - location_.z;
    if (depth < kNearPlane) return std::nullopt;
    float unitsPerWorld = kHalfHeightUnits / (depth * tanHalfFov_);
    return Projection{{(world.x - location_.x) * unitsPerWorld, (world.y - location_.y) * unitsPerWorld},
                      unitsPerWorld};
  }

 private:
  Vec3 location_;
  float tanHalfFov_;
};

// One point through the camera (CameraView for many).
std::optional<Projection> Project(const Camera& camera, Vec3 world);

}  // namespace spriteengine
