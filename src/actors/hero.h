// THero: the player's character. One object, made with the world, owning the
// hero's sprites and textures, his position and movement state, and the
// per-frame update that reads the keys, moves him, scrolls the world, and
// plays his death. The combatants' hooks (world/combat_hooks.h) take over for
// his shots, the collection of pop-ups and pick-ups, and his weapons.
//
// Positions are world units (x right, y up). The screen does not follow him:
// he walks between a scroll line at X = 0 and a left limit, and walking right
// at the line scrolls the world instead (ScrollStep).
#pragma once

#include <array>
#include <cstdint>

#include "actors/collision.h"
#include "actors/foreground_object.h"
#include "engine_link/engine_calls.h"
#include "engine_link/scan_codes.h"

namespace world {
class TGame;
}

namespace actors {

// The fixed movement keys (scan codes).
inline constexpr int32_t kKeyUp = keys::kUp;
inline constexpr int32_t kKeyLeft = keys::kLeft;
inline constexpr int32_t kKeyRight = keys::kRight;
inline constexpr int32_t kKeyDown = keys::kDown;
inline constexpr int32_t kKeyAimInPlace = keys::kZ;

// Aims (also the weapon poses).
inline constexpr int32_t kAimAhead = 1;
inline constexpr int32_t kAimDiagonalUp = 2;
inline constexpr int32_t kAimUp = 3;
inline constexpr int32_t kAimDiagonalDown = 4;
inline constexpr int32_t kAimDown = 5;

// Leg frames.
inline constexpr int32_t kLegsStanding = 1;
inline constexpr int32_t kLegsRising = 6;
inline constexpr int32_t kLegsFalling = 7;

// Scrolling: tenths of a unit, 2 per 0.2 step.
inline constexpr int32_t kScrollStopPos = 4800;   // past this the hero walks instead of the world
inline constexpr int32_t kLevelEndPos = 4960;     // the level is complete
inline constexpr int32_t kStandReady = 5;         // StandCooldown value that allows walking and jumping

inline constexpr long double kStandingHalfHeight = 1.9L;
inline constexpr long double kStandingHalfWidth = 1.5L;
inline constexpr long double kLyingHalfHeight = 0.2L;
inline constexpr long double kLyingHalfWidth = 3.0L;

// Vertical speed of a jump or fall at a counter value (units per update).
long double JumpSpeed(int32_t counter);

class THero {
 public:
  explicit THero(world::TGame& game);
  ~THero();
  THero(const THero&) = delete;
  THero& operator=(const THero&) = delete;

  // Loads every texture and makes every sprite (all hidden).
  void HeroInit();
  // One frame of play; called by the world step in gsPlaying.
  void HeroUpdate();
  // n points of damage: armour first (the excess is lost), then energy.
  void TakeHit(int32_t n);
  // Moves every body sprite to the hero's position.
  void PlaceSprites();
  // Between lives and levels: back on the ground at the scroll line, standing,
  // facing right, alive.
  void ResetForLevel();
  // After ResetForLevel, when a run ends: what a level change keeps for the
  // rest of the run (legs, stand cool-down, the weapon and key times, the
  // grenade's charge, the ground) goes back to how HeroInit leaves it, so that
  // the next run starts as the first run of the process does.
  void ResetForNewGame();

  // The play screen: the sprites of his pose (dying when dead, crouching
  // while a jump or landing is pending, lying when prone, else the five
  // standing ones), and the armour glow while he has armour; hiding hides
  // every sprite he owns.
  void ShowOnPlayScreen();
  void HideFromPlayScreen();
  void SetPriority(int32_t priority);

  // Pose operations; d = 1 right, 0 left.
  void SetAim(int32_t a);
  void StartWalk(uint8_t d);
  void StopWalk();
  void StartCrawl(uint8_t d);
  void StopCrawl();
  void LieDown();
  void StandUp();
  void Crouch();
  void EndCrouch();
  void AirPose(uint8_t d);

  // Train levels: a hero over the gap between two wagons falls to his death.
  void CheckGap();
  // The hero's box shifted 0.2 in the facing direction hits a solid object.
  bool IsBlocked() const;
  // How far left of the scroll line (tenths) the hero may stand.
  int32_t LeftLimit() const;
  // One 0.2 step right: the world scrolls, or past 4800 the hero moves.
  void ScrollStep();
  CollisionRect Box() const;

  // Sprites.
  EHandle BodySprite = 0, WeaponSprite = 0, LegsSprite = 0, LyingSprite = 0, CrouchSprite = 0, DyingSprite = 0;
  EHandle BodyShadowSprite = 0, LegsShadowSprite = 0;
  EHandle FlashSpriteABE = 0, FlashSpriteC = 0, ArmourSprite = 0;
  // Textures by side (0 left, 1 right) and index (1-based as the fields they follow).
  std::array<std::array<EHandle, 6>, 2> BodyTex{};        // by Aim
  std::array<std::array<EHandle, 6>, 2> WeaponTex{};      // by WeaponPose
  std::array<std::array<EHandle, 8>, 2> LegsTex{};        // by LegFrame
  std::array<std::array<EHandle, 4>, 2> LyingTex{};       // by CrawlFrame; slot 3 stays empty
  std::array<EHandle, 2> CrouchTex{};
  std::array<std::array<EHandle, 5>, 2> DyingTex{};       // by DeathFrame
  std::array<std::array<EHandle, 6>, 2> BodyShadowTex{};  // by Aim
  std::array<std::array<EHandle, 8>, 2> LegsShadowTex{};  // by LegFrame
  std::array<EHandle, 10> ShotTex{};                      // the hero's shots and grenades
  std::array<EHandle, 2> FlashTex{};
  EHandle ArmourTex = 0;

  int32_t LastShotTick = 0;    // tick of the last shot
  uint8_t FlashAim = 0;        // aim of the last shot while its flash shows; 0 = none
  int32_t ChargeTick = 0;      // tick of the last grenade charge step
  int32_t GrenadeCharge = 0;   // grenade strength 0..10

  long double X = 0, Y = 0;                   // centre of the hero's box
  long double HalfHeight = kStandingHalfHeight;
  long double HalfWidth = kStandingHalfWidth;
  int32_t LegFrame = 1;        // 1 standing, 2..5 walking, 6 rising, 7 falling
  int32_t Aim = 1;             // 1 ahead, 2 diagonal up, 3 up, 4 diagonal down, 5 down
  int32_t DeathFrame = 1;      // 1..4
  int32_t WeaponPose = 1;      // always equal to Aim
  int32_t CrawlFrame = 1;      // 1 lying still, 2 crawling
  int32_t CrawlSteps = 0;      // steps of the current crawl
  int32_t JumpCounter = 0;     // index into the jump speed table
  int32_t StandCooldown = kStandReady;  // 5 = ready; counts down after standing up
  uint8_t FacingRight = 1;     // 1 right, 0 left
  uint32_t AnimTick = 0;       // last walking frame or crouch start
  uint32_t DeathTick = 0;      // last death animation step
  uint32_t FireTick = 0;       // last accepted fire key press
  uint32_t UpPressTick = 0;    // when Up was first seen held for a jump; 0 = none
  int32_t ScrollPos = 0;       // tenths of a unit scrolled this level
  int32_t LineOffset = 0;      // tenths of a unit left of the scroll line
  uint8_t Walking = 0, Dead = 0, Crawling = 0, Falling = 0, Rising = 0, Prone = 0;
  uint8_t CanCrawl = 0, JumpPending = 0, Landing = 0;
  long double GroundY = -8.0L;     // Y standing on the ground of this level
  long double SurfaceHeight = 0;   // height of what he stands on, for the shadows

 private:
  struct Keys {
    bool up, left, right, down, z;
  };

  void CreateBodySprites();
  void ChangeSide(uint8_t d);
  void SwapLegs(int32_t frame);
  void ShowStandingSprites(bool show);
  void FallFromView();
  void DeathStep();
  void EndOfDeath();
  void EndOfLevel();
  void CrouchPhase();

  // Movement steps, in update order.
  Keys ReadKeys() const;
  void KeysStep(const Keys& keys);
  bool SupportStep();  // true when the hero was pushed off an end (skip walk and crawl)
  void PushOff(bool leftEnd);
  // The first solid object whose top (raised by `reach`) his feet stand within.
  const TFirstPlaneThing* ObjectUnderFeet(long double reach) const;
  void WalkStep(const Keys& keys);
  void CrawlStep();
  void RiseStep(const Keys& keys);
  void FallStep(const Keys& keys);
  void AirControl(const Keys& keys);
  void StepLeft(int32_t lineStep, long double dx);
  void StepRight(int32_t lineStep, long double dx);
  void CarryShots();

  world::TGame& game_;
};

}  // namespace actors
