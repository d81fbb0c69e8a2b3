// TEnemy: a terrorist of the level. Seven kinds (TTerr1..TTerr7) share one
// behaviour and differ only in their pictures, sizes, death animation, shot
// and sounds (the kind table in enemy.cpp). An enemy patrols along the ground
// or stands still on top of an obstacle, turns at obstacles and far outside
// the level, shoots at a hero in front of it within reach, takes damage from
// the hero's weapons, plays its death and releases a 100-point pop-up.
//
// Life cycle: MakeEnemy creates an enemy; the creator calls Init, then sets X
// (and for a standing enemy StandOn) and calls Place. The world calls Update
// once per frame of play, Place after every frame, ScrollBy with every scroll
// step, and Show/Hide/SetPriority with the play screen. Destroying the enemy
// frees its sprite, textures, shots, pop-up and die sound.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "actors/collision.h"
#include "actors/missile.h"
#include "actors/score_popup.h"
#include "engine_link/engine_calls.h"

namespace world {
class TGame;
}

namespace actors {

inline constexpr int32_t kEnemyKinds = 7;          // TTerr1..TTerr7
inline constexpr int kEnemyShots = 10;             // each enemy's own pool
inline constexpr int kEnemyFrameSlots = 10;        // texture slots per side, 1-based
inline constexpr int32_t kFirstDeathFrame = 5;     // frames 1..4 walk, 5.. die
inline constexpr int32_t kEnemyHitPoints = 20;
inline constexpr long double kEnemyHalfWidth = 1.0L;
inline constexpr long double kEnemyHalfHeight = 1.5L;
inline constexpr long double kEnemyStep = 0.2L;        // patrol step per Update
inline constexpr long double kEnemyRange = 1000;       // beyond |X| > this an enemy turns back
inline constexpr long double kEnemyReach = 16;         // the hero must be nearer than this to be shot at
inline constexpr uint32_t kEnemyFireIntervalMs = 400;  // a shot is due when more than this has passed
inline constexpr uint32_t kEnemyWalkFrameMs = 100;
inline constexpr long double kEnemyFootDrop = 0.2L;    // Init stands the enemy this far below GroundY
inline constexpr long double kPopupRelease = 3;        // the pop-up starts this far above a dying enemy

class TEnemy {
 public:
  explicit TEnemy(world::TGame& game);
  // Destroys the sprite, the frame textures, every shot's sprite, the pop-up
  // (its sprite and sounds) and the die sound, in that order.
  virtual ~TEnemy();
  TEnemy(const TEnemy&) = delete;
  TEnemy& operator=(const TEnemy&) = delete;

  // Makes the sprite, frame textures, the ten shots (idle), the pop-up and
  // the die sound. The enemy stands at X 0 on the ground (GroundY - 0.2),
  // facing right, walking, with 20 hit points.
  virtual void Init();
  // One frame: the pop-up's flight, then either the death animation (dead)
  // or the shots' flight, a shot at the hero, and a patrol step.
  virtual void Update();
  // Takes `amount` hit points off and plays the hit sound. At 0 or below the
  // enemy dies once: die sound, first death frame, shots hidden, pop-up
  // released 3 units above it. Hit points may go below zero.
  virtual void Damage(int32_t amount);
  // 1..7: the kind's number.
  virtual int32_t TerrKind() const = 0;

  // True when the next patrol step would overlap a solid foreground object
  // (the first one in list order decides; fires never block) or the enemy is
  // outside -1000..1000.
  bool Blocked() const;
  CollisionRect Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }

  // Placement on top of an object or a wagon roof: the box rests on
  // `surfaceTop`, the enemy faces left showing its first left frame, and it
  // stands still.
  void StandOn(long double surfaceTop);
  // Sprite to (X, Y) and the pop-up's sprite to the pop-up's position.
  void Place();
  // The world scrolls by dx: the enemy and its pop-up move with it. Its shots
  // in flight keep their place.
  void ScrollBy(long double dx);
  // The play screen. Show brings back the sprite (not that of a dead kind
  // that has already hidden it), the shots in flight of a living enemy and an
  // active pop-up; Hide hides the sprite, every shot and the pop-up.
  void Show();
  void Hide();
  // Draw priority of the sprite, every shot and the pop-up.
  void SetPriority(int32_t priority);

  EHandle Sprite = 0;          // the enemy's sprite
  uint8_t FacingRight = 1;     // 1 faces right, 0 left
  uint32_t AnimTick = 0;       // tick of the last animation step
  int32_t Frame = 1;           // 1..4 walking, 5.. dying
  std::array<EHandle, kEnemyFrameSlots + 1> TexLeft{};   // [1..N] left-facing frames
  std::array<EHandle, kEnemyFrameSlots + 1> TexRight{};  // [1..N] right-facing frames
  long double X = 0, Y = 0;    // centre of the box
  long double HalfHeight = kEnemyHalfHeight;
  long double HalfWidth = kEnemyHalfWidth;
  int32_t HitPoints = kEnemyHitPoints;  // may go below zero
  uint8_t Dead = 0;            // 1 once hit points reached 0
  uint8_t Walks = 1;           // 1 patrols, 0 stands still
  uint32_t FireTick = 0;       // tick of the last shot (or of a shot skipped for want of a free one)
  std::vector<std::unique_ptr<TMissile>> Missiles;  // the enemy's ten shots
  std::unique_ptr<TScore100> Popup;                 // released when it dies
  EHandle DieSound = 0;        // the kind's die sound

 protected:
  world::TGame& game_;

 private:
  EHandle Shown() const;                    // texture of the current frame and side
  void SwapTo(int32_t frame, uint8_t facingRight);
  void DeathStep(uint32_t now);
  void Shoot(uint32_t now);
  void Walk(uint32_t now);
  bool HidesDeadSprite() const;             // a kind that hides its last death frame has done so
};

// The seven kinds; everything that tells them apart is in the kind table.
template <int32_t Kind>
class TTerrKind final : public TEnemy {
 public:
  using TEnemy::TEnemy;
  int32_t TerrKind() const override { return Kind; }
};
using TTerr1 = TTerrKind<1>;
using TTerr2 = TTerrKind<2>;
using TTerr3 = TTerrKind<3>;
using TTerr4 = TTerrKind<4>;
using TTerr5 = TTerrKind<5>;
using TTerr6 = TTerrKind<6>;
using TTerr7 = TTerrKind<7>;

// A new enemy of kind 1..7 (a kind outside that range gives TTerr1); Init is
// left to the caller.
std::unique_ptr<TEnemy> MakeEnemy(int32_t terrKind, world::TGame& game);

}  // namespace actors
