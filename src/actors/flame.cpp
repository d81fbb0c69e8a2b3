#include "actors/flame.h"

#include <cmath>
#include <numbers>

#include "actors/battlefield.h"
#include "actors/enemy.h"
#include "actors/hero.h"
#include "actors/hero_missile.h"
#include "actors/pickup.h"
#include "actors/score_popup.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// By aim 1..5 (index 0 unused).
constexpr long double kSnapRight[6] = {0, 0, kPi / 4, kPi / 2, -kPi / 4, -kPi / 2};
constexpr long double kSnapLeft[6] = {0, kPi, 3 * kPi / 4, kPi / 2, 5 * kPi / 4, 3 * kPi / 2};
// Aiming down, a right-facing stream settles just below level, and a
// left-facing one turns the long way round towards straight down, so it
// keeps sweeping and snapping back.
constexpr long double kTargetRight[6] = {0, 0, kPi / 4, kPi / 2, -kPi / 4, -kPi / 24};
constexpr long double kTargetLeft[6] = {0, kPi, 3 * kPi / 4, kPi / 2, 5 * kPi / 4, -kPi / 2};

constexpr const char* kFlameImage = "data\\particle_clot.dds";
constexpr int32_t kFlameCapacity = 1000;
constexpr int32_t kAdditiveRender = 1;
constexpr EngineVec kStartPull{0, 3, 8};
constexpr float kAirResistance = -10;
constexpr EngineVec kOrange{1, 0.5f, 0}, kRed{1, 0, 0};
constexpr float kLifeSeconds = 0.3f;
constexpr EngineVec kEmitterStart{0, -3, 0};
constexpr EngineVec kSpreadLow{-1, -1, -1}, kSpreadHigh{1, 1, 1};
constexpr float kSpeedLow = 1.0f, kSpeedHigh = 1.1f;
constexpr EngineVec kSizeStart{0.8f, 0.8f, 0}, kSizeEnd{2.5f, 2.5f, 0};
constexpr int32_t kParticlesPerStep = 10;

// The stream's point beyond the hero, and where the muzzle sits on him.
constexpr long double kAlongX = 2.5L, kAlongY = 1.8L, kMuzzleHeight = 0.35L;
// Particle space: the camera travels 5.5/16 per unit of scrolling; the pull
// reaches 15 units ahead and 5 up along the stream, with a lift of 0.7.
constexpr long double kParticleUnit = 5.5L / 16, kPullUnit = 4.4L / 16;
constexpr long double kPullAheadX = 15, kPullAheadY = 5, kPullLift = 0.7L, kPullDepth = 8;

int32_t AimIndex(int32_t aim) { return aim >= 1 && aim <= 5 ? aim : 1; }

}  // namespace

long double FlameSnapAngle(uint8_t facingRight, int32_t aim) {
  return facingRight ? kSnapRight[AimIndex(aim)] : kSnapLeft[AimIndex(aim)];
}

long double FlameTurnTarget(uint8_t facingRight, int32_t aim) {
  return facingRight ? kTargetRight[AimIndex(aim)] : kTargetLeft[AimIndex(aim)];
}

TFlameThrowlerMissile::~TFlameThrowlerMissile() {
  iParticleEmitterDestroy(Emitter);
  iParticleDestroy(Particles);
}

void TFlameThrowlerMissile::FlameSetUp() {
  Particles = iParticleCreate(kFlameImage, kFlameCapacity);
  iParticleRenderModeSet(Particles, kAdditiveRender);
  Gravity = kStartPull;
  iParticleGravitySet(Particles, &Gravity);
  iParticleAirResistanceSet(Particles, kAirResistance);
  iParticleColorSet(Particles, &kOrange, &kRed);
  iParticleLifeTimeSet(Particles, kLifeSeconds);
  Emitter = iParticleEmitterCreate(Particles);
  iParticleEmitterLocationSet(Emitter, &kEmitterStart);
  iParticleEmitterDirectionSet(Emitter, &kSpreadLow, &kSpreadHigh);
  iParticleEmitterSpeedSet(Emitter, kSpeedLow, kSpeedHigh);
  iParticleEmitterScaleSet(Emitter, &kSizeStart, &kSizeEnd);
  iParticleRenderModeSet(Particles, kAdditiveRender);
  iParticleShow(Particles);
  iParticleEnvMapCasterAdd(Particles);
  Enabled = 1;
  Angle = 0;
  HalfHeight = HalfWidth = kFlameHalfSize;
}

void TFlameThrowlerMissile::FlameStep() {
  const THero& hero = field_.Hero();
  Snap(hero);
  Turn(hero);
  Burn(hero);
  X = std::cos(Angle) * (Reach + kAlongX) + hero.X;
  Y = std::sin(Angle) * (Reach + kAlongY) + hero.Y + kMuzzleHeight;
  HitTargets();
}

void TFlameThrowlerMissile::Reset() {
  Angle = 0;
  X = Y = 0;
  Gravity = kStartPull;
  iParticleGravitySet(Particles, &Gravity);
  iParticleEmitterLocationSet(Emitter, &kEmitterStart);
}

void TFlameThrowlerMissile::Snap(const THero& hero) {
  const bool toHisBack = hero.FacingRight ? (Angle > kPi / 2 && Angle < 3 * kPi / 2)
                                          : (Angle > -kPi / 2 && Angle < kPi / 2);
  if (toHisBack) Angle = FlameSnapAngle(hero.FacingRight, hero.Aim);
}

void TFlameThrowlerMissile::Turn(const THero& hero) {
  const long double target = FlameTurnTarget(hero.FacingRight, hero.Aim);
  if (TurnStep > std::fabs(Angle - target)) {
    Angle = target;
  } else if (Angle < target) {
    Angle += TurnStep;
  } else {
    Angle -= TurnStep;
  }
}

void TFlameThrowlerMissile::Burn(const THero& hero) {
  const long double c = std::cos(Angle), s = std::sin(Angle);
  // Particle space travels with the camera; counting the camera's own travel
  // keeps the stream at the gun also where the scroll has stopped (the
  // level's end) and on a level restored in the middle.
  const world::TGame& game = field_.Game();
  const float travelled = game.cameraLocation.x - world::kCameraStart.x;
  const EngineVec emitter{static_cast<float>((c * (Reach + kAlongX) + hero.X) * kParticleUnit) + travelled,
                          static_cast<float>((s * (Reach + kAlongY) + hero.Y + kMuzzleHeight) * kParticleUnit), 0};
  iParticleEmitterLocationSet(Emitter, &emitter);
  Gravity = {static_cast<float>((c * kPullAheadX + hero.X) * kPullUnit),
             static_cast<float>((s * kPullAheadY + hero.Y) * kParticleUnit + kPullLift), static_cast<float>(kPullDepth)};
  iParticleGravitySet(Particles, &Gravity);
  iParticleEmitterEmit(Emitter, kParticlesPerStep, 1);
}

void TFlameThrowlerMissile::HitTargets() {
  const CollisionRect box = BoxAround(X, Y, HalfHeight, HalfWidth);
  if (TEnemy* enemy = field_.FirstLiveEnemy(box)) {
    enemy->Damage(kHeroShotDamage);
  } else if (TScore* popup = field_.FirstStartablePopup(box)) {
    popup->Start();
  } else if (TBonus* pickup = field_.FirstDroppablePickup(box)) {
    pickup->Drop();
  }
}

}  // namespace actors
