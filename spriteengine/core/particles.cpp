#include "particles.h"

#include <algorithm>
#include <cmath>

namespace spriteengine {

ParticleSystem::ParticleSystem(int capacity, uint32_t seed)
    : capacity_(std::max(0, capacity)), rng_(seed ? seed : 0x9E3779B9u) {
  size_t reserve = static_cast<size_t>(std::min(capacity_, 1 << 16));
  position_.reserve(reserve);
  velocity_.reserve(reserve);
  age_.reserve(reserve);
  life_.reserve(reserve);
  startSize_.reserve(reserve);
  endSize_.reserve(reserve);
}

float ParticleSystem::Random01() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return (rng_ >> 8) * (1.0f / 16777216.0f);
}

void ParticleSystem::Emit(const EmitterSettings& e, int count) {
  int room = capacity_ - Live();
  count = std::min(count, room);
  auto between = [this](float a, float b) { return a + (b - a) * Random01(); };
  for (int i = 0; i < count; ++i) {
    Vec3 dir{between(e.directionMin.x, e.directionMax.x), between(e.directionMin.y, e.directionMax.y),
             between(e.directionMin.z, e.directionMax.z)};
    float speed = between(e.speedMin, e.speedMax);
    position_.push_back(e.location);
    velocity_.push_back({dir.x * speed, dir.y * speed, dir.z * speed});
    age_.push_back(0);
    life_.push_back(std::max(settings.lifeTime, 1e-3f));
    startSize_.push_back(e.startSize);
    endSize_.push_back(e.endSize);
  }
}

void ParticleSystem::Step(float dt) {
  const Vec3 g = settings.gravity;
  const float k = settings.airResistance * kAirResistanceScale;
  size_t n = age_.size();
  for (size_t i = 0; i < n;) {
    age_[i] += dt;
    if (age_[i] >= life_[i]) {
      // Swap with the last live particle; order does not matter.
      size_t last = n - 1;
      position_[i] = position_[last], velocity_[i] = velocity_[last], age_[i] = age_[last];
      life_[i] = life_[last], startSize_[i] = startSize_[last], endSize_[i] = endSize_[last];
      --n;
      continue;
    }
    Vec3& v = velocity_[i];
    v.x += (g.x + k * v.x) * dt;
    v.y += (g.y + k * v.y) * dt;
    v.z += (g.z + k * v.z) * dt;
    Vec3& p = position_[i];
    p.x += v.x * dt, p.y += v.y * dt, p.z += v.z * dt;
    ++i;
  }
  position_.resize(n), velocity_.resize(n), age_.resize(n), life_.resize(n), startSize_.resize(n),
      endSize_.resize(n);
}

ParticleSystem::View ParticleSystem::ViewOf(int index) const {
  float t = std::clamp(age_[index] / life_[index], 0.0f, 1.0f);
  auto mix = [t](float a, float b) { return a + (b - a) * t; };
  View v;
  v.position = position_[index];
  v.size = {mix(startSize_[index].x, endSize_[index].x) * kParticleSizeUnit,
            mix(startSize_[index].y, endSize_[index].y) * kParticleSizeUnit};
  const Vec3 &c0 = settings.startColor, &c1 = settings.endColor;
  v.color = {mix(c0.x, c1.x), mix(c0.y, c1.y), mix(c0.z, c1.z)};
  v.intensity = std::min(1.0f, t / kParticleFadeIn) * (1 - t);
  return v;
}

}  // namespace spriteengine
