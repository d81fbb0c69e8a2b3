// Fires: particle emitters kept in the list of foreground objects. They burn
// (Emit) once per frame while the game is shown, take part in no collision,
// and move with the world's scroll like every other foreground object: the
// emitter is put once, at the first Place, and later Place calls only steer
// the particle system's gravity so the flames follow the scrolled position.
#pragma once

#include "actors/foreground_object.h"

namespace actors {

class TFire : public TFirstPlaneThing {
 public:
  // Frees the emitter, then the particle system.
  ~TFire() override;
  // Particle system and emitter of the kind's image; X and Y stay 0.
  void Init() override;
  void Show() override;
  void Hide() override;
  void Place() override;
  TFire* AsFire() override { return this; }
  // Ten new particles.
  virtual void Emit();

  EHandle ParticleSystem = 0;       // the fire's particle system
  EHandle Emitter = 0;              // its emitter
  EngineVec Gravity{0, 0, 0};       // the vector last given to the system
  uint8_t FirstPlace = 0;           // 1 until the first Place has put the emitter

 protected:
  virtual const char* ParticleImage() const = 0;
  virtual long double Lift() const = 0;  // upward gravity added at every Place
};

class TWindowFire final : public TFire {
 public:
  ThingKind Kind() const override { return ThingKind::kWindowFire; }

 protected:
  const char* ParticleImage() const override { return "data\\particle.dds"; }
  long double Lift() const override { return 0.5L; }
};

class TRoundFire final : public TFire {
 public:
  ThingKind Kind() const override { return ThingKind::kRoundFire; }

 protected:
  const char* ParticleImage() const override { return "data\\particle_clot.dds"; }
  long double Lift() const override { return 1.0L; }
};

}  // namespace actors
