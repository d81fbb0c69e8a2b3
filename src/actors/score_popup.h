// Score pop-ups: the 100-point token a killed enemy releases. It rises and
// fades; a hero shot that touches it while it rises (Start) turns it into a
// falling token that comes to rest on a solid object or the ground, where the
// hero picks it up by walking through it (TryCollect). Every enemy owns one,
// made by the enemy's Init and destroyed with the enemy.
//
// The two pictures are the world's shared textures and are never destroyed by
// a pop-up.
#pragma once

#include <cstdint>

#include "actors/collision.h"
#include "engine_link/engine_calls.h"

namespace world {
class TGame;
}

namespace actors {

inline constexpr long double kPopupRise = 0.1L;       // per Move while rising
inline constexpr long double kPopupFade = 0.005L;     // alpha lost per Move while rising
inline constexpr long double kPopupLeavesAbove = 15;  // a rising token past this leaves play
inline constexpr long double kPopupFall = 0.2L;       // per Move while falling
inline constexpr long double kPopupRestGap = 0.05L;   // a fallen token rests this far above an object
inline constexpr long double kPopupBelowGround = 1.5L;  // the lowest rest is GroundY minus this

class TScore {
 public:
  explicit TScore(world::TGame& game) : game_(game) {}
  // Destroys the hit sound, then the take sound.
  virtual ~TScore();
  TScore(const TScore&) = delete;
  TScore& operator=(const TScore&) = delete;

  // Makes the sprite (hidden) and the sounds; idle at (0, 0), fully opaque.
  virtual void Init() = 0;
  // One frame while Active (called by the owning enemy's Update, also after
  // it died): rising and fading, or falling onto an object or the ground.
  virtual void Move() = 0;
  // A hero shot touched the rising token: it falls, can be collected, and
  // shows the down picture at full opacity.
  virtual void Start() = 0;
  // Points the hero gets for picking it up.
  virtual int32_t Points() const = 0;

  // The dying enemy lets it go at (x, y): active, rising, shown.
  void Release(long double x, long double y);
  // True for a token a hero shot may start: active and not yet falling.
  bool Startable() const { return Active && !Falling; }
  // The hero's pick-up: when his box overlaps an active, collectable token it
  // is hidden, the take sound plays, the score grows by Points() and the
  // token leaves play. Returns whether it was collected.
  bool TryCollect(const CollisionRect& heroBox);
  // Sprite to (X, Y).
  void Place();
  // The play screen: Show brings back an active token; Hide always hides.
  void Show();
  void Hide();
  void SetPriority(int32_t priority);
  CollisionRect Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }

  EHandle Sprite = 0;        // the token's sprite
  EHandle FlyTexture = 0;    // picture while rising (shared)
  EHandle DownTexture = 0;   // picture once shot (shared)
  uint8_t Active = 0;        // in play, moved by its enemy
  uint8_t Rising = 0;        // floating up and fading
  uint8_t Falling = 0;       // dropping or resting after being shot
  uint8_t Collectable = 0;   // the hero may pick it up
  long double X = 0, Y = 0;  // centre of the box
  long double HalfHeight = 0.5L;
  long double HalfWidth = 1.0L;
  long double Alpha = 1.0L;  // opacity while rising
  EHandle HitSound = 0;      // played when a shot starts it
  EHandle TakeSound = 0;     // played when the hero picks it up

 protected:
  world::TGame& game_;
};

class TScore100 final : public TScore {
 public:
  using TScore::TScore;
  // Destroys the sprite (the sounds go with TScore).
  ~TScore100() override;
  void Init() override;
  void Move() override;
  void Start() override;
  int32_t Points() const override { return 100; }
};

}  // namespace actors
