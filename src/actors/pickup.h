// Pick-ups: the bonus carriers that float into the level from the right. A
// pick-up waits off screen until the world activates it (X < 17), then drifts
// left on a sine wave. A hero shot or flame that touches it makes it Drop: a
// burst plays where it was hit, it shows its down picture and falls onto a
// solid object or to the hero's feet, where he collects it by walking into it
// (TryCollect): its effect, its take sound and 50 points. One that is never
// shot cannot be collected.
//
// Seven classes differ only in their look, sound and effect: TEnergyPlus
// (energy + 1, at most 5), TArmorPlus (armour + 5 with the glow), and the
// weapon signs TWA..TWE (weapon 1..5 in hand). The fly and down pictures are
// the world's shared textures; the burst pictures and the sounds are the
// pick-up's own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "actors/collision.h"
#include "engine_link/engine_calls.h"

namespace world {
class TGame;
}

namespace actors {

inline constexpr int kBurstFrames = 16;               // pictures loaded; the last is never shown
inline constexpr int32_t kLastBurstFrame = 15;
inline constexpr uint32_t kBurstFrameMs = 20;         // a frame is due when more than this has passed
inline constexpr long double kPickupActivateX = 17;   // one unit beyond the screen's right edge
inline constexpr long double kPickupDrift = 0.4L;     // leftwards per step while floating
inline constexpr long double kPickupWaveStep = 0.1L;  // phase per step of the floating wave
inline constexpr long double kPickupFall = 0.2L;
inline constexpr long double kPickupRestGap = 0.05L;  // a fallen pick-up rests this far above an object
inline constexpr long double kPickupBelowGround = 1.5L;  // the lowest rest is GroundY minus this
inline constexpr int32_t kPickupPoints = 50;
inline constexpr int32_t kMaxEnergy = 5;
inline constexpr int32_t kArmourPerPickup = 5;

class TBonus {
 public:
  explicit TBonus(world::TGame& game) : game_(game) {}
  // Destroys both sprites, both sounds and the burst pictures (never the
  // shared fly and down pictures).
  virtual ~TBonus();
  TBonus(const TBonus&) = delete;
  TBonus& operator=(const TBonus&) = delete;

  // The carrier sprite with the fly picture and the burst sprite (both
  // hidden), the burst pictures and the sounds; waiting at (0, 0). The
  // creator then sets X and Y.
  virtual void Init();
  // A shot or flame touched it (only while Droppable): it stops floating,
  // shows the down picture, bursts where it is and can be collected.
  virtual void Drop();

  // The world's frame for one pick-up: an active one takes its BonusStep; a
  // waiting one that has come within reach of the screen (X < 17) and was
  // never taken starts floating, shown at its place.
  void Update();
  // One step of an active pick-up: the floating wave, then for a dropped
  // one the burst (on its own clock) and the fall.
  void BonusStep();
  // The hero's collection: when his box overlaps an active, collectable
  // pick-up it is hidden, its effect applies, its take sound plays, the score
  // grows by 50 and it is taken for good. Returns whether it was collected.
  bool TryCollect(const CollisionRect& heroBox);

  // A shot may make it drop: active and not yet dropped.
  bool Droppable() const { return Active && !Dropped; }
  CollisionRect Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }
  // The carrier sprite to (X, Y).
  void Place();
  // The play screen: Show brings back an active, untaken carrier; Hide hides
  // the carrier and the burst.
  void Show();
  void Hide();
  void SetPriority(int32_t priority);

  EHandle Sprite = 0;          // the carrier: fly picture, then down picture
  EHandle BurstSprite = 0;     // burst where it was hit
  EHandle FlyTex = 0;          // the class's fly picture (the world's)
  EHandle DownTex = 0;         // the class's down picture (the world's)
  std::array<EHandle, kBurstFrames + 1> BurstTex{};  // [1..16] burst pictures
  int32_t BurstFrame = 1;      // burst picture shown
  uint32_t BurstTick = 0;      // tick of the last burst frame
  uint8_t Active = 0;          // activated by the world
  uint8_t Flying = 0;          // floating, not yet hit
  uint8_t Dropped = 0;         // hit by a shot
  uint8_t Collectable = 0;     // from the hit until the hero takes it
  uint8_t Taken = 0;           // the hero took it; never activated again
  long double X = 0, Y = 0;    // centre of its box
  long double HalfHeight = 0.5L;
  long double HalfWidth = 1.0L;
  long double Phase = 0;       // phase of the floating wave, radians
  EHandle HitSound = 0;        // played at the drop
  EHandle TakeSound = 0;       // the class's take sound

  // A class's table row.
  struct Look {
    int32_t resourceId;        // mesh resource of the carrier sprite
    float scaleW, scaleH;      // carrier sprite scale
    int flyImage;              // index of the fly picture in the world's shared images (down is next)
    const char* takeSound;
  };

 protected:
  virtual const Look& ClassLook() const = 0;
  // What collecting it gives the hero.
  virtual void GiveEffect() = 0;

  world::TGame& game_;
};

class TEnergyPlus final : public TBonus {
 public:
  using TBonus::TBonus;

 protected:
  const Look& ClassLook() const override;
  void GiveEffect() override;
};

class TArmorPlus final : public TBonus {
 public:
  using TBonus::TBonus;

 protected:
  const Look& ClassLook() const override;
  void GiveEffect() override;
};

// A weapon sign: collecting it puts weapon 1..5 (A..E) in the hero's hand.
class TWeaponSign : public TBonus {
 public:
  TWeaponSign(world::TGame& game, int32_t weapon) : TBonus(game), weapon_(weapon) {}
  int32_t Weapon() const { return weapon_; }

 protected:
  const Look& ClassLook() const override;
  void GiveEffect() override;

 private:
  int32_t weapon_;
};

class TWA final : public TWeaponSign {
 public:
  explicit TWA(world::TGame& game) : TWeaponSign(game, 1) {}
};
class TWB final : public TWeaponSign {
 public:
  explicit TWB(world::TGame& game) : TWeaponSign(game, 2) {}
};
class TWC final : public TWeaponSign {
 public:
  explicit TWC(world::TGame& game) : TWeaponSign(game, 3) {}
};
class TWD final : public TWeaponSign {
 public:
  explicit TWD(world::TGame& game) : TWeaponSign(game, 4) {}
};
class TWE final : public TWeaponSign {
 public:
  explicit TWE(world::TGame& game) : TWeaponSign(game, 5) {}
};

// The level generation's kinds: 0 energy, 1..5 weapons A..E, 6 armour
// (anything else gives energy). Init is left to the caller.
inline constexpr int32_t kPickupEnergy = 0;
inline constexpr int32_t kPickupArmour = 6;
std::unique_ptr<TBonus> MakePickup(int32_t kind, world::TGame& game);

}  // namespace actors
