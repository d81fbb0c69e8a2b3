// TFlameThrowlerMissile: one of the fifteen particle streams of the
// flamethrower (weapon D). A stream has no free state: it is set up once with
// the hero and burns only while FlameStep runs (fire key held, weapon D in
// hand). Each step turns the stream's Angle towards the hero's aim by its own
// TurnStep (the near streams turn fastest, so the jet bends as he changes his
// aim), puts the emitter and the particles' pull at the stream's point Reach
// beyond the muzzle, and tests a small box there: the first living enemy
// takes 10 points of damage, else the first rising pop-up starts, else the
// first floating pick-up drops.
#pragma once

#include <cstdint>

#include "engine_link/engine_calls.h"

namespace actors {

class TBattlefield;
class THero;

inline constexpr int kFlameStreams = 15;
inline constexpr long double kFlameHalfSize = 0.44L;
// The base turn per step of stream i is this / (i / 15 + 1).
inline constexpr long double kFlameTurnStep = 0.06283185307179586477L;
inline constexpr long double kFlameReachStep = 0.5L;  // stream i reaches i x this beyond the muzzle

// The stream's direction in radians for the hero's facing (1 right) and aim
// 1..5: where it snaps to when it points to his back, and where it turns to.
long double FlameSnapAngle(uint8_t facingRight, int32_t aim);
long double FlameTurnTarget(uint8_t facingRight, int32_t aim);

class TFlameThrowlerMissile {
 public:
  explicit TFlameThrowlerMissile(TBattlefield& field) : field_(field) {}
  // Destroys the emitter, then the particle system.
  ~TFlameThrowlerMissile();
  TFlameThrowlerMissile(const TFlameThrowlerMissile&) = delete;
  TFlameThrowlerMissile& operator=(const TFlameThrowlerMissile&) = delete;

  // The stream's particle system (orange to red, short-lived, shown) and its
  // emitter; Angle 0, Enabled 1. The creator then sets Reach and TurnStep.
  void FlameSetUp();
  // One step of the burning stream (see the top of this file).
  void FlameStep();
  // When a run ends: the stream's angle, point and pull as FlameSetUp left
  // them, so that a new run's first burst turns from where the process's
  // first run's did.
  void Reset();

  EHandle Particles = 0;                 // the stream's particle system
  EHandle Emitter = 0;                   // its emitter
  EngineVec Gravity{0, 0, 0};            // the pull last given to the system
  long double TurnStep = 0;              // angle change per step, radians
  long double Reach = 0;                 // distance of its point beyond the muzzle
  long double X = 0, Y = 0;              // centre of its hit box
  long double HalfHeight = 0, HalfWidth = 0;
  long double Angle = 0;                 // direction of the stream, radians
  uint8_t Enabled = 0;                   // 1 once set up

 private:
  void Snap(const THero& hero);
  void Turn(const THero& hero);
  void Burn(const THero& hero);
  void HitTargets();

  TBattlefield& field_;
};

}  // namespace actors
