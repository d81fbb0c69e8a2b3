// Particle systems: 3-D world space, drawn through the camera.
//
// A system holds at most `capacity` live particles: when it is full a new
// particle takes the place of the oldest, so a fire that emits faster than
// its particles die burns as a steady stream with a shorter life. The cost
// of a step follows the live particles' batches (below), not the capacity.
//
// Motion: dv/dt = gravity + k v, k = air resistance x kAirResistanceScale
// (so -10 damps gently). The gravity is the system's pull as it is *now*:
// a particle is where it would be had the current gravity pulled it since
// it left the emitter (its path is kept as its start point, its start
// velocity and two responses of its age, so a new gravity moves the whole
// path at once). The game re-aims a fire's gravity every frame at the
// fire's place on screen, which keeps the flame receding along the line of
// sight above its emitter while the camera scrolls; a pull integrated into
// each particle's velocity would instead keep the old aims and trail off
// sideways. With a gravity that never changes both are the same motion.
//
// Particles emitted between the same two steps with the same life time have
// the same age and responses ever after, so those are kept once per batch:
// a step costs a few sums per batch (a fire emits ten particles a frame),
// not per particle. Their positions are the same sums either way.
//
// A particle lives `lifeTime` seconds, grows from the emitter's start size
// to its end size (x kParticleSizeUnit world units, so the fires' (1, 2)..
// (2, 4) make flames ~40 px wide) and runs from the start to the end colour
// while its intensity rises quickly and fades out.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "geometry.h"

namespace spriteengine {

inline constexpr float kAirResistanceScale = 0.02f;  // per second per unit of resistance
inline constexpr float kParticleFadeIn = 0.05f;     // fraction of the life spent fading in
inline constexpr float kParticleSizeUnit = 0.2f;   // world units per unit of emitter scale

struct EmitterSettings {
  Vec3 location;
  Vec3 directionMin, directionMax;  // the velocity direction is drawn per component
  float speedMin = 1, speedMax = 1;
  Vec2 startSize{1, 1}, endSize{1, 1};  // units of kParticleSizeUnit
};

struct ParticleSettings {
  Vec3 gravity;
  float airResistance = 0;
  Vec3 startColor{1, 1, 1}, endColor{1, 1, 1};
  float lifeTime = 1;
  int renderMode = 0;  // 1 additive, otherwise alpha blended
};

class ParticleSystem {
 public:
  ParticleSystem(int capacity, uint32_t seed);

  ParticleSettings settings;

  // Adds `count` particles at the emitter (the oldest make room when full).
  void Emit(const EmitterSettings& emitter, int count);
  // Moves every particle on by dt seconds and retires the dead.
  void Step(float dt);

  int Capacity() const { return capacity_; }
  int Live() const { return static_cast<int>(count_); }

  // What a particle looks like now; index 0 is the oldest.
  struct View {
    Vec3 position;
    Vec2 size;           // world units (emitter scale x kParticleSizeUnit)
    Vec3 color;          // 0..1
    float intensity;     // 0..1
  };
  View ViewOf(int index) const;

  // What a particle keeps of its own; the rest is its batch's.
  struct Member {
    Vec3 origin;    // where it left the emitter
    Vec3 velocity;  // its start velocity
    Vec2 startSize, endSize;
  };
  // What the members of a batch share now: a member is at origin + velocity
  // x carried + gravity x pulled, its size runs from its start to its end
  // size with `progress`.
  struct BatchLook {
    float carried, pulled;
    float progress;   // 0..1 of the life
    Vec3 color;       // 0..1
    float intensity;  // 0..1
  };
  // A member's place and size (world units) with its batch's look.
  static Vec3 PositionOf(const Member& m, const BatchLook& look, const Vec3& gravity) {
    return {m.origin.x + m.velocity.x * look.carried + gravity.x * look.pulled,
            m.origin.y + m.velocity.y * look.carried + gravity.y * look.pulled,
            m.origin.z + m.velocity.z * look.carried + gravity.z * look.pulled};
  }
  static Vec2 SizeOf(const Member& m, float progress) {
    return {(m.startSize.x + (m.endSize.x - m.startSize.x) * progress) * kParticleSizeUnit,
            (m.startSize.y + (m.endSize.y - m.startSize.y) * progress) * kParticleSizeUnit};
  }
  // Calls visit(look, members, n) for every run of live members, oldest
  // first; a batch may come as two runs where it wraps round the ring.
  template <typename Visit>
  void ForEachRun(Visit&& visit) const {
    size_t at = head_;
    for (const Batch& b : batches_) {
      BatchLook look = LookOf(b);
      size_t n = b.members, first = std::min(n, particles_.size() - at);
      visit(look, particles_.data() + at, first);
      if (n > first) visit(look, particles_.data(), n - first);
      at = (at + n) % particles_.size();
    }
  }

  // A box holding every live particle's path without the gravity (origin +
  // velocity x carried), the range of their gravity responses and their
  // largest size (units of kParticleSizeUnit): with the gravity of the
  // moment it bounds where the particles are, so a system out of view can be
  // passed over whole. Worked out by Step and widened by Emit.
  struct Bounds {
    Vec3 low, high;
    float pulledLow = 0, pulledHigh = 0;
    float size = 0;
  };
  const Bounds& PathBounds() const { return bounds_; }

 private:
  // Members emitted together: their age and their responses to the start
  // velocity and to the gravity (carried and pulled; carrySpeed and
  // pullSpeed are their rates of change), and the boxes of their members'
  // origins and velocities.
  struct Batch {
    float age = 0, life = 1;
    float carried = 0, carrySpeed = 1;
    float pulled = 0, pullSpeed = 0;
    Vec3 originLow, originHigh, velocityLow, velocityHigh;
    size_t members = 0;  // consecutive in the ring, after the older batches'
  };

  float Random01();
  BatchLook LookOf(const Batch& b) const;

  size_t Slot(size_t index) const { return (head_ + index) % particles_.size(); }

  int capacity_;
  uint32_t rng_;
  // A ring, oldest at head_; grows up to the capacity.
  size_t head_ = 0, count_ = 0;
  std::vector<Member> particles_;
  std::deque<Batch> batches_;  // oldest first; none without members
  bool batchOpen_ = false;     // the newest batch may take more (no step since)
  Bounds bounds_;
};

}  // namespace spriteengine
