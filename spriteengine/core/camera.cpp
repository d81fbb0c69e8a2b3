#include "camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace spriteengine {

CameraView::CameraView(const Camera& camera) : location_(camera.location) {
  float fov = std::clamp(camera.fovDegrees, 1.0f, 179.0f) * std::numbers::pi_v<float> / 180;
  tanHalfFov_ = std::tan(fov / 2);
}

std::optional<Projection> Project(const Camera& camera, Vec3 world) { return CameraView(camera).Project(world); }

}  // namespace spriteengine
