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
  if (capacity_ <= 0) return;
  auto between = [this](float a, float b) { return a + (b - a) * Random01(); };
  for (int i = 0; i < count; ++i) {
    Vec3 dir{between(e.directionMin.x, e.directionMax.x), between(e.directionMin.y, e.directionMax.y),
             between(e.directionMin.z, e.directionMax.z)};
    float speed = between(e.speedMin, e.speedMax);
    size_t slot;
    if (count_ == age_.size() && age_.size() < static_cast<size_t>(capacity_)) {
      // Still growing: oldest first again, then append.
      if (head_ != 0) {
        auto turn = [this](auto& v) { std::rotate(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(head_), v.end()); };
        turn(position_), turn(velocity_), turn(age_), turn(life_), turn(startSize_), turn(endSize_);
        head_ = 0;
      }
      slot = age_.size();
      position_.emplace_back(), velocity_.emplace_back(), age_.emplace_back(), life_.emplace_back();
      startSize_.emplace_back(), endSize_.emplace_back();
      ++count_;
    } else if (count_ < age_.size()) {
      slot = Slot(count_);  // a free place in the ring
      ++count_;
    } else {
      slot = head_;  // full: the oldest makes room
      head_ = (head_ + 1) % age_.size();
    }
    position_[slot] = e.location;
    velocity_[slot] = {dir.x * speed, dir.y * speed, dir.z * speed};
    age_[slot] = 0;
    life_[slot] = std::max(settings.lifeTime, 1e-3f);
    startSize_[slot] = e.startSize;
    endSize_[slot] = e.endSize;
  }
}

void ParticleSystem::Step(float dt) {
  const Vec3 g = settings.gravity;
  const float k = settings.airResistance * kAirResistanceScale;
  for (size_t n = 0; n < count_; ++n) {
    size_t i = Slot(n);
    age_[i] += dt;
    Vec3& v = velocity_[i];
    v.x += (g.x + k * v.x) * dt;
    v.y += (g.y + k * v.y) * dt;
    v.z += (g.z + k * v.z) * dt;
    Vec3& p = position_[i];
    p.x += v.x * dt, p.y += v.y * dt, p.z += v.z * dt;
  }
  // The oldest die first; one that outlives an older one (after a change
  // of life time) just stays invisible until it reaches the head.
  while (count_ > 0 && age_[head_] >= life_[head_]) {
    head_ = (head_ + 1) % age_.size();
    --count_;
  }
  if (count_ == 0) head_ = 0;
}

ParticleSystem::View ParticleSystem::ViewOf(int logical) const {
  size_t index = Slot(static_cast<size_t>(logical));
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
