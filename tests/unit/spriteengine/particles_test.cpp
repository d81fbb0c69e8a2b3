#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/camera.h"
#include "core/particles.h"

namespace spriteengine {
namespace {

EmitterSettings At(Vec3 location) {
  EmitterSettings e;
  e.location = location;
  return e;
}

TEST(Particles, EmitAddsParticlesAtTheEmitter) {
  ParticleSystem s(100, 7);
  s.Emit(At({1, 2, 3}), 10);
  ASSERT_EQ(s.Live(), 10);
  EXPECT_FLOAT_EQ(s.ViewOf(0).position.x, 1);
  EXPECT_FLOAT_EQ(s.ViewOf(9).position.z, 3);
}

TEST(Particles, CapacityIsNeverExceeded) {
  ParticleSystem s(25, 7);
  for (int i = 0; i < 10; ++i) s.Emit(At({}), 10);
  EXPECT_EQ(s.Live(), 25);
}

TEST(Particles, WhenFullTheOldestMakeRoom) {
  ParticleSystem s(3, 7);
  s.settings.lifeTime = 10;
  for (float x : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f}) {
    s.Emit(At({x, 0, 0}), 1);
    s.Step(0.01f);
  }
  ASSERT_EQ(s.Live(), 3);
  EXPECT_FLOAT_EQ(s.ViewOf(0).position.x, 3);  // oldest left
  EXPECT_FLOAT_EQ(s.ViewOf(2).position.x, 5);  // newest
}

TEST(Particles, GrowsAgainAfterDeathsUpToTheCapacity) {
  ParticleSystem s(6, 7);
  s.settings.lifeTime = 0.05f;
  s.Emit(At({1, 0, 0}), 4);
  for (int i = 0; i < 4; ++i) s.Step(0.015f);  // 0.06 s: all dead
  EXPECT_EQ(s.Live(), 0);
  s.settings.lifeTime = 10;
  s.Emit(At({2, 0, 0}), 3);
  s.Step(0.01f);
  s.Emit(At({3, 0, 0}), 3);  // beyond the 4 places used so far
  EXPECT_EQ(s.Live(), 6);
  EXPECT_FLOAT_EQ(s.ViewOf(0).position.x, 2);
  EXPECT_FLOAT_EQ(s.ViewOf(5).position.x, 3);
}

TEST(Particles, OneEmitLargerThanTheRoomLeftKeepsTheNewestInOrder) {
  // Particles emitted in one frame share their age; the oldest still make
  // room one by one, across the frames they came in.
  ParticleSystem s(5, 7);
  s.settings.lifeTime = 10;
  s.Emit(At({1, 0, 0}), 3);
  s.Step(0.01f);
  s.Emit(At({2, 0, 0}), 4);  // pushes out two of the first three
  ASSERT_EQ(s.Live(), 5);
  EXPECT_FLOAT_EQ(s.ViewOf(0).position.x, 1);
  EXPECT_FLOAT_EQ(s.ViewOf(1).position.x, 2);
  EXPECT_GT(s.ViewOf(0).intensity, 0);  // ten milliseconds old
  EXPECT_EQ(s.ViewOf(4).intensity, 0);  // new
  s.Step(0.01f);
  s.Emit(At({3, 0, 0}), 12);  // more than the whole ring at once
  ASSERT_EQ(s.Live(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(s.ViewOf(i).position.x, 3) << i;
  s.settings.lifeTime = 0.02f;
  s.Step(0.015f);
  s.Emit(At({4, 0, 0}), 2);  // pushes out two of the 3s
  s.Step(0.015f);
  s.Step(0.015f);  // the 4s are past their 0.02 s, but die only after the older 3s (10 s)
  ASSERT_EQ(s.Live(), 5);
  EXPECT_FLOAT_EQ(s.ViewOf(3).position.x, 4);
  EXPECT_EQ(s.ViewOf(3).intensity, 0);
}

TEST(Particles, ALifeChangeWithinAFrameStartsItsOwnAges) {
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 0.1f;
  s.Emit(At({1, 0, 0}), 2);
  s.settings.lifeTime = 0.05f;
  s.Emit(At({2, 0, 0}), 2);
  for (int i = 0; i < 4; ++i) s.Step(0.015f);  // 0.06 s
  ASSERT_EQ(s.Live(), 4);
  EXPECT_GT(s.ViewOf(0).intensity, 0);
  EXPECT_EQ(s.ViewOf(2).intensity, 0);  // past its life, behind a living one
  for (int i = 0; i < 3; ++i) s.Step(0.015f);  // 0.105 s: the first two die, then the rest
  EXPECT_EQ(s.Live(), 0);
}

TEST(Particles, ParticlesDieAtTheEndOfTheirLife) {
  ParticleSystem s(100, 7);
  s.settings.lifeTime = 0.5f;
  s.Emit(At({}), 5);
  for (int i = 0; i < 33; ++i) s.Step(0.015f);  // 0.495 s
  EXPECT_EQ(s.Live(), 5);
  s.Step(0.015f);
  EXPECT_EQ(s.Live(), 0);
}

TEST(Particles, GravityAcceleratesFromRest) {
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 10;
  s.settings.gravity = {0, 2, 0};
  s.Emit(At({}), 1);
  for (int i = 0; i < 100; ++i) s.Step(0.01f);  // 1 s
  EXPECT_NEAR(s.ViewOf(0).position.y, 1.0f, 0.02f);  // g t^2 / 2
}

TEST(Particles, NegativeAirResistanceSlowsThem) {
  ParticleSystem free(10, 7), damped(10, 7);
  for (ParticleSystem* s : {&free, &damped}) {
    s->settings.lifeTime = 10;
    s->settings.gravity = {0, 2, 0};
  }
  damped.settings.airResistance = -10;
  free.Emit(At({}), 1);
  damped.Emit(At({}), 1);
  for (int i = 0; i < 100; ++i) free.Step(0.01f), damped.Step(0.01f);
  EXPECT_LT(damped.ViewOf(0).position.y, free.ViewOf(0).position.y);
  EXPECT_GT(damped.ViewOf(0).position.y, 0.5f * free.ViewOf(0).position.y);
}

TEST(Particles, ANewGravityMovesTheWholePathAtOnce) {
  // The pull is the system's as it is now: a particle is where the current
  // gravity would have brought it, whatever pulled it before.
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 10;
  s.settings.gravity = {0, 2, 0};
  s.Emit(At({}), 1);
  for (int i = 0; i < 100; ++i) s.Step(0.01f);
  s.settings.gravity = {3, -2, 0};
  EXPECT_NEAR(s.ViewOf(0).position.x, 1.5f, 0.03f);
  EXPECT_NEAR(s.ViewOf(0).position.y, -1.0f, 0.02f);
}

TEST(Particles, PathBoundsWithTheGravityOfTheMomentHoldEveryParticle) {
  ParticleSystem s(200, 11);
  s.settings.lifeTime = 3;
  s.settings.airResistance = -10;
  EmitterSettings e = At({1, -2, 0.5f});
  e.directionMin = {-1, 0, -0.5f}, e.directionMax = {1, 2, 0.5f};
  e.speedMin = 0.5f, e.speedMax = 3;
  e.startSize = {1, 2}, e.endSize = {2, 4};
  const Vec3 gravities[] = {{0, 3, 0}, {-5, 1, 2}, {4, -6, -1}};
  for (int frame = 0; frame < 120; ++frame) {
    s.settings.gravity = gravities[frame % 3];
    s.Step(0.015f);
    e.location.x += 0.1f;  // emitted after the step, elsewhere
    s.Emit(e, 3);
    s.settings.gravity = gravities[(frame + 1) % 3];  // and re-aimed before drawing
    const ParticleSystem::Bounds& b = s.PathBounds();
    const Vec3 g = s.settings.gravity;
    auto within = [&](float at, float low, float high, float pull) {
      float a = pull * b.pulledLow, c = pull * b.pulledHigh;
      return at >= low + std::min(a, c) - 1e-4f && at <= high + std::max(a, c) + 1e-4f;
    };
    for (int i = 0; i < s.Live(); ++i) {
      ParticleSystem::View v = s.ViewOf(i);
      ASSERT_TRUE(within(v.position.x, b.low.x, b.high.x, g.x)) << "frame " << frame << " particle " << i;
      ASSERT_TRUE(within(v.position.y, b.low.y, b.high.y, g.y)) << "frame " << frame << " particle " << i;
      ASSERT_TRUE(within(v.position.z, b.low.z, b.high.z, g.z)) << "frame " << frame << " particle " << i;
      ASSERT_LE(std::max(v.size.x, v.size.y), b.size * kParticleSizeUnit + 1e-5f);
    }
  }
}

TEST(Particles, StartVelocityIsDampedLikeThePull) {
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 10;
  s.settings.airResistance = -10;
  EmitterSettings e;
  e.directionMin = e.directionMax = {1, 0, 0};
  s.Emit(e, 1);
  for (int i = 0; i < 100; ++i) s.Step(0.01f);
  // dv/dt = -0.2 v: x(1) = (1 - e^-0.2) / 0.2
  EXPECT_NEAR(s.ViewOf(0).position.x, (1 - std::exp(-0.2f)) / 0.2f, 0.002f);
}

TEST(Particles, DirectionBoxTimesSpeedGivesTheVelocity) {
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 10;
  EmitterSettings e;
  e.directionMin = e.directionMax = {1, 0, 0};
  e.speedMin = e.speedMax = 3;
  s.Emit(e, 1);
  s.Step(0.5f);
  EXPECT_NEAR(s.ViewOf(0).position.x, 1.5f, 1e-4f);
}

TEST(Particles, SizeAndColourRunFromStartToEnd) {
  ParticleSystem s(10, 7);
  s.settings.lifeTime = 1;
  s.settings.startColor = {1, 0.5f, 0};
  s.settings.endColor = {1, 0, 0};
  EmitterSettings e;
  e.startSize = {1, 2};
  e.endSize = {2, 4};
  s.Emit(e, 1);
  s.Step(0.5f);
  ParticleSystem::View v = s.ViewOf(0);
  EXPECT_NEAR(v.size.x, 1.5f * kParticleSizeUnit, 1e-5f);
  EXPECT_NEAR(v.size.y, 3.0f * kParticleSizeUnit, 1e-5f);
  EXPECT_NEAR(v.color.y, 0.25f, 1e-5f);
  EXPECT_GT(v.intensity, 0);
}

TEST(Particles, StepCostFollowsLiveParticlesNotCapacity) {
  // A huge capacity with few particles must not allocate or walk the capacity.
  ParticleSystem s(100000000, 7);
  s.Emit(At({}), 3);
  s.Step(0.01f);
  EXPECT_EQ(s.Live(), 3);
}

TEST(Projection, WorldPointAtZeroMapsBackToSpriteUnits) {
  Camera camera;  // (0, 0, -10), 45 degrees
  for (float su : {-12.0f, -5.0f, 0.0f, 3.0f, 16.0f}) {
    std::optional<Projection> p = Project(camera, {su * 5.5f / 16, su * 5.5f / 16, 0});
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->screen.x, su, 0.01f * std::max(1.0f, std::fabs(su)));
    EXPECT_NEAR(p->screen.y, su, 0.01f * std::max(1.0f, std::fabs(su)));
  }
}

TEST(Projection, OneWorldUnitAtZeroIsAbout2Point9SpriteUnits) {
  Camera camera;
  std::optional<Projection> p = Project(camera, {1, 0, 0});
  ASSERT_TRUE(p);
  EXPECT_NEAR(p->screen.x, 2.897f, 0.01f);
}

TEST(Projection, FollowsTheCamera) {
  Camera camera;
  camera.location = {2, 1, -10};
  std::optional<Projection> p = Project(camera, {2, 1, 5});
  ASSERT_TRUE(p);
  EXPECT_NEAR(p->screen.x, 0, 1e-5f);
  EXPECT_NEAR(p->screen.y, 0, 1e-5f);
}

TEST(Projection, BehindTheCameraIsNotSeen) {
  Camera camera;
  EXPECT_FALSE(Project(camera, {0, 0, -10.5f}));
}

TEST(Projection, FireGravityKeepsFlamesAboveTheirEmitterOnScreen) {
  // The fire of docs/architecture.md at sprite x = 6: its particles keep x on screen.
  Camera camera;
  ParticleSystem s(1000, 7);
  float x = 6, y = -4, g = 1;
  s.settings.gravity = {x * 4.4f / 16, y * 4.4f / 16 + g, 8};
  s.settings.airResistance = -10;
  s.settings.lifeTime = 2;
  s.Emit(At({x * 5.5f / 16, y * 5.5f / 16, 0}), 1);
  float lastY = -100;
  for (int i = 0; i < 120; ++i) {
    s.Step(0.015f);
    std::optional<Projection> p = Project(camera, s.ViewOf(0).position);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->screen.x, x, 0.05f);  // 5.5/16 is the camera's factor to 0.4 %
    EXPECT_GE(p->screen.y, lastY);  // rises
    lastY = p->screen.y;
  }
  EXPECT_GT(lastY, y + 0.5f);
}

}  // namespace
}  // namespace spriteengine

namespace spriteengine {
namespace {

// The game's fire while the world scrolls: each step the camera moves
// 0.06875 right, the fire 0.2 sprite units left, and its gravity is aimed
// at its new place; the emitter stays where it was first put. Every live
// particle must stay over the fire on screen, wherever on screen it is.
void ExpectFlameOverItsPlaceWhileScrolling(float endX) {
  constexpr float kStep = 0.2f, kCameraStep = 0.06875f, kY = -6, kLift = 1;
  constexpr int kSteps = 120;
  Camera camera;
  ParticleSystem s(1000, 7);
  s.settings.airResistance = -10;
  s.settings.lifeTime = 2;
  float x = endX + kSteps * kStep;
  EmitterSettings e = At({x * 5.5f / 16, kY * 5.5f / 16, 0});
  for (int i = 0; i < kSteps; ++i) {
    camera.location.x += kCameraStep;
    x -= kStep;
    s.settings.gravity = {x * 4.4f / 16, kY * 4.4f / 16 + kLift, 8};
    s.Emit(e, 10);
    s.Step(0.015f);
  }
  float highest = kY;
  for (int i = 0; i < s.Live(); ++i) {
    std::optional<Projection> p = Project(camera, s.ViewOf(i).position);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->screen.x, endX, 0.06f) << "particle " << i << " of the fire at " << endX;
    highest = std::max(highest, p->screen.y);
  }
  EXPECT_GT(highest, kY + 1.5f);
}

TEST(Projection, ScrollingFireStaysOverItsPlaceAtTheLeftCentreAndRight) {
  for (float x : {-12.0f, 0.0f, 12.0f}) ExpectFlameOverItsPlaceWhileScrolling(x);
}

}  // namespace
}  // namespace spriteengine
