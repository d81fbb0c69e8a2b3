#include "camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace spriteengine {

std::optional<Projection> Project(const Camera& camera, Vec3 world) {
  float depth = world.z - camera.location.z;
  if (depth < kNearPlane) return std::nullopt;
  float fov = std::clamp(camera.fovDegrees, 1.0f, 179.0f) * std::numbers::pi_v<float> / 180;
  float unitsPerWorld = kHalfHeightUnits / (depth * std::tan(fov / 2));
  Projection p;
  p.unitsPerWorld = unitsPerWorld;
  p.screen = {(world.x - camera.location.x) * unitsPerWorld, (world.y - camera.location.y) * unitsPerWorld};
  return p;
}

}  // namespace spriteengine
