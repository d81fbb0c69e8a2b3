#include "particles.h"

#include <algorithm>
#include <limits>

namespace spriteengine {

namespace {
float Largest(const Vec2& a, const Vec2& b) { return std::max(std::max(a.x, a.y), std::max(b.x, b.y)); }
void Include(ParticleSystem::Bounds& b, const Vec3& at, float pulled, float size) {
  b.low = {std::min(b.low.x, at.x), std::min(b.low.y, at.y), std::min(b.low.z, at.z)};
  b.high = {std::max(b.high.x, at.x), std::max(b.high.y, at.y), std::max(b.high.z, at.z)};
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
  if (capacity_ <= 0) return;
  auto between = [this](float a, float b) { return a + (b - a) * Random01(); };
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
    }
    Particle& p = particles_[slot];
    p = Particle{};
    p.origin = e.location;
    p.velocity = {dir.x * speed, dir.y * speed, dir.z * speed};
    p.life = std::max(settings.lifeTime, 1e-3f);
    p.startSize = e.startSize;
    p.endSize = e.endSize;
    if (count_ == 1) bounds_ = {p.origin, p.origin, 0, 0, Largest(p.startSize, p.endSize)};
    Include(bounds_, p.origin, 0, Largest(p.startSize, p.endSize));
  }
}

void ParticleSystem::Step(float dt) {
  const float k = settings.airResistance * kAirResistanceScale;
  // The box is found again from the particles as they are now; the size
  // bound stays what Emit made it (the largest since the system was last
  // empty).
  constexpr float kHuge = std::numeric_limits<float>::max();
  Bounds b{{kHuge, kHuge, kHuge}, {-kHuge, -kHuge, -kHuge}, kHuge, -kHuge, bounds_.size};
  // The same semi-implicit step for both responses as for a velocity under
  // dv/dt = g + k v: the speed first, then the position with the new speed.
  // The box is gathered in locals: through a reference the compiler would
  // store it after every particle.
  auto advance = [dt, k, &b](Particle* run, size_t n) {
    Vec3 low = b.low, high = b.high;
    float pulledLow = b.pulledLow, pulledHigh = b.pulledHigh;
    for (Particle* p = run; p != run + n; ++p) {
      p->age += dt;
      p->carrySpeed += k * p->carrySpeed * dt;
      p->carried += p->carrySpeed * dt;
      p->pullSpeed += (1 + k * p->pullSpeed) * dt;
      p->pulled += p->pullSpeed * dt;
      Vec3 at{p->origin.x + p->velocity.x * p->carried, p->origin.y + p->velocity.y * p->carried,
              p->origin.z + p->velocity.z * p->carried};
      low = {std::min(low.x, at.x), std::min(low.y, at.y), std::min(low.z, at.z)};
      high = {std::max(high.x, at.x), std::max(high.y, at.y), std::max(high.z, at.z)};
      pulledLow = std::min(pulledLow, p->pulled);
      pulledHigh = std::max(pulledHigh, p->pulled);
    }
    b.low = low, b.high = high, b.pulledLow = pulledLow, b.pulledHigh = pulledHigh;
  };
  // The live particles are one or two runs of the ring.
  size_t live = std::min(count_, particles_.size() - head_);
  advance(particles_.data() + head_, live);
  advance(particles_.data(), count_ - live);
  // The oldest die first; one that outlives an older one (after a change
  // of life time) just stays invisible until it reaches the head.
  while (count_ > 0 && particles_[head_].age >= particles_[head_].life) {
    head_ = (head_ + 1) % particles_.size();
    --count_;
  }
  if (count_ == 0) head_ = 0;
  if (count_ > 0) bounds_ = b;
}

ParticleSystem::View ParticleSystem::Look(const Particle& p) const {
  float t = std::clamp(p.age / p.life, 0.0f, 1.0f);
  auto mix = [t](float a, float b) { return a + (b - a) * t; };
  const Vec3 g = settings.gravity;
  View v;
  v.position = {p.origin.x + p.velocity.x * p.carried + g.x * p.pulled,
                p.origin.y + p.velocity.y * p.carried + g.y * p.pulled,
                p.origin.z + p.velocity.z * p.carried + g.z * p.pulled};
  v.size = {mix(p.startSize.x, p.endSize.x) * kParticleSizeUnit, mix(p.startSize.y, p.endSize.y) * kParticleSizeUnit};
  const Vec3 &c0 = settings.startColor, &c1 = settings.endColor;
  v.color = {mix(c0.x, c1.x), mix(c0.y, c1.y), mix(c0.z, c1.z)};
  v.intensity = std::min(1.0f, t / kParticleFadeIn) * (1 - t);
  return v;
}

ParticleSystem::View ParticleSystem::ViewOf(int logical) const {
  return Look(particles_[Slot(static_cast<size_t>(logical))]);
}

void ParticleSystem::AppendViews(std::vector<View>& out) const {
  size_t first = std::min(count_, particles_.size() - head_);
  auto add = [&](const Particle& p) {
    View v = Look(p);
    if (v.intensity > 0) out.push_back(v);
  };
  for (size_t i = 0; i < first; ++i) add(particles_[head_ + i]);
  for (size_t i = 0; i < count_ - first; ++i) add(particles_[i]);
}

}  // namespace spriteengine
