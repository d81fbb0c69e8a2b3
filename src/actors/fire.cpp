#include "actors/fire.h"

#include "core/game_context.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int32_t kParticleCapacity = 1000;
constexpr int32_t kAdditiveBlend = 1;
constexpr EngineVec kStartGravity{0, 3, 8};
constexpr float kAirResistance = -10;
constexpr EngineVec kFlameStartColour{1, 0.5f, 0};
constexpr EngineVec kFlameEndColour{1, 0, 0};
constexpr float kParticleLifeSeconds = 2;
constexpr EngineVec kParkedEmitter{0, -3, 0};
constexpr EngineVec kNoDirection{0, 0, 0};
constexpr float kEmitSpeed = 1;
constexpr EngineVec kDefaultStartSize{1, 2, 0};
constexpr EngineVec kDefaultEndSize{2, 4, 0};
constexpr long double kFireHalfWidth = 2.3L;
constexpr long double kFireHalfHeight = 1.6L;
// Particles live in the camera's 3-D space: these turn sprite units into the
// camera's travel for the emitter (5.5/16) and for the gravity pull (4.4/16).
constexpr long double kEmitterTravel = 5.5L;
constexpr long double kGravityTravel = 4.4L;
constexpr long double kSpriteUnitsPerTravel = 16;
constexpr int32_t kParticlesPerEmit = 10;

}  // namespace

TFire::~TFire() {
  iParticleEmitterDestroy(Emitter);
  iParticleDestroy(ParticleSystem);
}

void TFire::Init() {
  ParticleSystem = iParticleCreate(ParticleImage(), kParticleCapacity);
  iParticleRenderModeSet(ParticleSystem, kAdditiveBlend);
  Gravity = kStartGravity;
  iParticleGravitySet(ParticleSystem, &Gravity);
  iParticleAirResistanceSet(ParticleSystem, kAirResistance);
  iParticleColorSet(ParticleSystem, &kFlameStartColour, &kFlameEndColour);
  iParticleLifeTimeSet(ParticleSystem, kParticleLifeSeconds);
  Emitter = iParticleEmitterCreate(ParticleSystem);
  iParticleEmitterLocationSet(Emitter, &kParkedEmitter);
  iParticleEmitterDirectionSet(Emitter, &kNoDirection, &kNoDirection);
  iParticleEmitterSpeedSet(Emitter, kEmitSpeed, kEmitSpeed);
  iParticleEmitterScaleSet(Emitter, &kDefaultStartSize, &kDefaultEndSize);
  iParticleRenderModeSet(ParticleSystem, kAdditiveBlend);
  FirstPlace = 1;
  HalfWidth = kFireHalfWidth;
  HalfHeight = kFireHalfHeight;
}

void TFire::Show() { iParticleShow(ParticleSystem); }

void TFire::Hide() { iParticleHide(ParticleSystem); }

void TFire::Place() {
  Gravity.x = static_cast<float>(X * kGravityTravel / kSpriteUnitsPerTravel);
  Gravity.y = static_cast<float>(Y * kGravityTravel / kSpriteUnitsPerTravel + Lift());
  iParticleGravitySet(ParticleSystem, &Gravity);
  if (FirstPlace == 1) {
    // The emitter stays where it is put in the camera's space, which travels
    // with the scroll: a fire first placed after some scrolling (a restored
    // level) starts as far along as the camera has travelled.
    const core::GameContext& ctx = core::Ctx();
    const float travelled = ctx.game ? ctx.game->cameraLocation.x - world::kCameraStart.x : 0;
    const EngineVec location{static_cast<float>(X * kEmitterTravel / kSpriteUnitsPerTravel) + travelled,
                             static_cast<float>(Y * kEmitterTravel / kSpriteUnitsPerTravel), 0};
    iParticleEmitterLocationSet(Emitter, &location);
    FirstPlace = 0;
  }
}

void TFire::Emit() { iParticleEmitterEmit(Emitter, kParticlesPerEmit, 1); }

}  // namespace actors
