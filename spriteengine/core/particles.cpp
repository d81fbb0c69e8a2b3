#include "particles.h"

#include <algorithm>
#include <limits>

namespace spriteengine {

namespace {
float Largest(const Vec2& a, const Vec2& b) { return std::max(std::max(a.x, a.y), std::max(b.x, b.y)); }
Vec3 Min(const Vec3& a, const Vec3& b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
Vec3 Max(const Vec3& a, const Vec3& b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }
Vec3 Sum(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Scaled(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
void Include(ParticleSystem::Bounds& b, const Vec3& at, float pulled, float size) {
  b.low = Min(b.low, at);
  b.high = Max(b.high, at);
  b.pulledLow = std::min(b.pulledLow, pulled);
  b.pulledHigh = std::max(b.pulledHigh, pulled);
  b.size = std::max(b.size, size);
}
}  // namespace

ParticleSystem::ParticleSystem(int capacity, uint32_t seed)
    : capacity_(std::max(0, capacity)), rng_(seed ? seed : 0x9E3779B9u) {
  particles_.reserve(static_cast<size_t>(std::min(capacity_, 1 << 16)));
}

float ParticleSystem::Random01() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return (rng_ >> 8) * (1.0f / 16777216.0f);
}

void ParticleSystem::Emit(const EmitterSettings& e, int count) {
  if (capacity_ <= 0 || count <= 0) return;
  auto between = [this](float a, float b) { return a + (b - a) * Random01(); };
  const float life = std::max(settings.lifeTime, 1e-3f);
  if (!batchOpen_ || batches_.empty() || batches_.back().life != life) {
    Batch fresh;
    fresh.life = life;
    batches_.push_back(fresh);
    batchOpen_ = true;
  }
  for (int i = 0; i < count; ++i) {
    Vec3 dir{between(e.directionMin.x, e.directionMax.x), between(e.directionMin.y, e.directionMax.y),
             between(e.directionMin.z, e.directionMax.z)};
    float speed = between(e.speedMin, e.speedMax);
    size_t slot;
    if (count_ == particles_.size() && particles_.size() < static_cast<size_t>(capacity_)) {
      // Still growing: oldest first again, then append.
      if (head_ != 0) {
        std::rotate(particles_.begin(), particles_.begin() + static_cast<std::ptrdiff_t>(head_), particles_.end());
        head_ = 0;
      }
      slot = particles_.size();
      particles_.emplace_back();
      ++count_;
    } else if (count_ < particles_.size()) {
      slot = Slot(count_);  // a free place in the ring
      ++count_;
    } else {
      slot = head_;  // full: the oldest makes room
      head_ = (head_ + 1) % particles_.size();
      // (The newest batch is never emptied here: it is about to gain one.)
      if (--batches_.front().members == 0 && batches_.size() > 1) batches_.pop_front();
    }
    Member& p = particles_[slot];
    p.origin = e.location;
    p.velocity = {dir.x * speed, dir.y * speed, dir.z * speed};
    p.startSize = e.startSize;
    p.endSize = e.endSize;
    Batch& b = batches_.back();
    if (b.members++ == 0) {
      b.originLow = b.originHigh = p.origin;
      b.velocityLow = b.velocityHigh = p.velocity;
    } else {
      b.originLow = Min(b.originLow, p.origin), b.originHigh = Max(b.originHigh, p.origin);
      b.velocityLow = Min(b.velocityLow, p.velocity), b.velocityHigh = Max(b.velocityHigh, p.velocity);
    }
    if (count_ == 1) bounds_ = {p.origin, p.origin, 0, 0, Largest(p.startSize, p.endSize)};
    Include(bounds_, p.origin, 0, Largest(p.startSize, p.endSize));
  }
}

void ParticleSystem::Step(float dt) {
  const float k = settings.airResistance * kAirResistanceScale;
  // The same semi-implicit step for both responses as for a velocity under
  // dv/dt = g + k v: the speed first, then the position with the new speed.
  for (Batch& b : batches_) {
    b.age += dt;
    b.carrySpeed += k * b.carrySpeed * dt;
    b.carried += b.carrySpeed * dt;
    b.pullSpeed += (1 + k * b.pullSpeed) * dt;
    b.pulled += b.pullSpeed * dt;
  }
  batchOpen_ = false;
  // The oldest die first; one that outlives an older one (after a change
  // of life time) just stays invisible until it reaches the head.
  while (!batches_.empty() && batches_.front().age >= batches_.front().life) {
    head_ = (head_ + batches_.front().members) % particles_.size();
    count_ -= batches_.front().members;
    batches_.pop_front();
  }
  if (count_ == 0) {
    head_ = 0;
    return;
  }
  // The box is found again from the batches as they are now (origin +
  // velocity x carried lies between the sums of their boxes' corners, as
  // rounding keeps order); the size bound stays what Emit made it (the
  // largest since the system was last empty).
  constexpr float kHuge = std::numeric_limits<float>::max();
  Bounds bounds{{kHuge, kHuge, kHuge}, {-kHuge, -kHuge, -kHuge}, kHuge, -kHuge, bounds_.size};
  for (const Batch& b : batches_) {
    const float c = b.carried;
    Vec3 a = Scaled(b.velocityLow, c), z = Scaled(b.velocityHigh, c);
    bounds.low = Min(bounds.low, Sum(b.originLow, Min(a, z)));
    bounds.high = Max(bounds.high, Sum(b.originHigh, Max(a, z)));
    bounds.pulledLow = std::min(bounds.pulledLow, b.pulled);
    bounds.pulledHigh = std::max(bounds.pulledHigh, b.pulled);
  }
  bounds_ = bounds;
}

ParticleSystem::BatchLook ParticleSystem::LookOf(const Batch& b) const {
  float t = std::clamp(b.age / b.life, 0.0f, 1.0f);
  auto mix = [t](float from, float to) { return from + (to - from) * t; };
  const Vec3 &c0 = settings.startColor, &c1 = settings.endColor;
  return {b.carried, b.pulled, t, {mix(c0.x, c1.x), mix(c0.y, c1.y), mix(c0.z, c1.z)},
          std::min(1.0f, t / kParticleFadeIn) * (1 - t)};
}

ParticleSystem::View ParticleSystem::ViewOf(int logical) const {
  size_t index = static_cast<size_t>(logical);
  for (const Batch& b : batches_) {
    if (index >= b.members) {
      index -= b.members;
      continue;
    }
    const Member& p = particles_[Slot(static_cast<size_t>(logical))];
    BatchLook look = LookOf(b);
    View v;
    v.position = PositionOf(p, look, settings.gravity);
    v.size = SizeOf(p, look.progress);
    v.color = look.color;
    v.intensity = look.intensity;
    return v;
  }
  return {};
}

}  // namespace spriteengine
