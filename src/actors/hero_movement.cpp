// The hero's movement steps of HeroUpdate: keys, support on objects, walking,
// crawling, rising and falling, and the scroll they drive.
#include <algorithm>
#include <cmath>

#include "actors/hero.h"
#include "core/game_context.h"
#include "platform/tick_clock.h"
#include "world/combat_hooks.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr long double kStep = 0.2L;            // one walking, crawling or scroll step
constexpr int32_t kStepTenths = 2;             // the same step in tenths
constexpr int32_t kCrawlTenths = 1;            // a crawl step counts half on LineOffset
constexpr long double kAirStep = 0.4L;
constexpr int32_t kAirStepTenths = 4;
constexpr int32_t kMaxCrawlSteps = 20;
constexpr uint32_t kJumpHoldMs = 50;           // Up must be held longer than this to jump
constexpr uint32_t kLegFrameMs = 100;
constexpr int32_t kFirstWalkFrame = 2;
constexpr int32_t kLastWalkFrame = 5;
constexpr int32_t kLastLegFrame = 7;
constexpr int32_t kTopJumpCounter = 19;
constexpr long double kProneDrop = 1.5L;       // how much lower a lying hero's centre is
constexpr long double kSupportReach = 0.1L;    // an object's top counts this far up
constexpr long double kPushExtra = 0.4L;       // pushed off an end this far past his half width
constexpr long double kLandingClearance = 0.05L;
constexpr long double kBeamSurface = 7.5L;     // the shadows' height on a low beam
constexpr int32_t kLeftLimitBase = 160;
constexpr int32_t kLeftLimitFrom = 4640;       // near the end the hero may walk further left

}  // namespace

int32_t THero::LeftLimit() const { return std::max(0, ScrollPos - kLeftLimitFrom) + kLeftLimitBase; }

bool THero::IsBlocked() const {
  const long double shift = FacingRight ? kStep : -kStep;
  return FirstSolidOverlap(game_.foregroundObjects, BoxAround(X + shift, Y, HalfHeight, HalfWidth)) != nullptr;
}

void THero::ScrollStep() {
  if (ScrollPos > kScrollStopPos) {
    // The level's end is in view: the world stays, the hero walks.
    X += kStep;
    PlaceSprites();
  } else {
    game_.ScrollWorld();
  }
  ScrollPos += kStepTenths;
}

void THero::CarryShots() {
  if (game_.combat) game_.combat->CarryShots();
}

THero::Keys THero::ReadKeys() const {
  return {core::KeyHeld(kKeyUp), core::KeyHeld(kKeyLeft), core::KeyHeld(kKeyRight), core::KeyHeld(kKeyDown),
          core::KeyHeld(kKeyAimInPlace)};
}

void THero::KeysStep(const Keys& k) {
  const bool sideways = k.left || k.right;
  if (!k.down && !k.up) SetAim(kAimAhead);
  if (k.right && !k.z && !k.left) {
    if (!Rising && !Falling && !Prone && StandCooldown == kStandReady) StartWalk(1);
    if (Prone && CanCrawl) StartCrawl(1);
  }
  if (k.left && !k.z && !k.right) {
    if (!Rising && !Falling && !Prone && StandCooldown == kStandReady) StartWalk(0);
    if (Prone && CanCrawl) StartCrawl(0);
  }
  if (!sideways && Walking) StopWalk();
  if (k.up) {
    if (k.z) {
      SetAim(sideways ? kAimDiagonalUp : kAimUp);
    } else {
      if (!sideways && !Falling && !Rising && !Prone && StandCooldown == kStandReady) {
        const uint32_t now = platform::GetTickCount();
        // The first sight of Up only takes the time; a jump needs Up held a little.
        if (UpPressTick == 0) {
          UpPressTick = now;
        } else if (now - UpPressTick > kJumpHoldMs) {
          UpPressTick = 0;
          JumpPending = 1;
          Crouch();
        }
      }
      if (Walking) SetAim(kAimDiagonalUp);
      if (Prone) StandUp();
    }
  }
  if (k.down) {
    if (k.z) {
      SetAim(sideways ? kAimDiagonalDown : kAimDown);
    } else {
      if (!sideways && !Falling && !Rising && !Prone) LieDown();
      if (Walking) SetAim(kAimDiagonalDown);
    }
  }
  if (Prone && !k.down) {
    StopCrawl();
    StandUp();
  }
}

bool THero::SupportStep() {
  const long double drop = Prone ? kProneDrop : 0;
  if (!(Y > GroundY - drop)) return false;
  const CollisionRect hero = Box();
  const TFirstPlaneThing* under = FirstSolidOverlap(game_.foregroundObjects, hero, kSupportReach + drop);
  // A lying hero is wider than a crate, so the box test (which ignores boxes
  // crossing like a plus sign) can miss the object he lies on: then the one
  // under his feet decides. With nothing under him at all he falls.
  if (under == nullptr) under = ObjectUnderFeet(kSupportReach + drop);
  bool pushed = false;
  if (under == nullptr) {
    Falling = 1;
    Rising = 0;
    AirPose(FacingRight);
    pushed = true;
  } else {
    const CollisionRect box = under->Box();
    const double left = box.Left, right = box.Right;
    const double halfWidth = static_cast<double>(HalfWidth);
    if (hero.Left < left && halfWidth > std::fabs(hero.Right - left) && LineOffset < LeftLimit()) {
      PushOff(true);
      pushed = true;
    } else if (hero.Right > right && halfWidth > std::fabs(right - hero.Left)) {
      PushOff(false);
      pushed = true;
    }
  }
  if (pushed && Prone) {
    StandUp();
    StandCooldown = kStandReady;
  }
  return pushed;
}

const TFirstPlaneThing* THero::ObjectUnderFeet(long double reach) const {
  const CollisionRect hero = Box();
  for (const auto& thing : game_.foregroundObjects) {
    if (thing->IsFire()) continue;
    const CollisionRect box = thing->Box();
    const double top = static_cast<double>(box.Top + reach);
    if (box.Left <= hero.Right && box.Right >= hero.Left && hero.Bottom >= box.Bottom && hero.Bottom <= top) {
      return thing.get();
    }
  }
  return nullptr;
}

// A hero hanging mostly over an object's end slides off it, then falls.
void THero::PushOff(bool leftEnd) {
  for (long double budget = HalfWidth + kPushExtra; budget > 0; budget -= kStep) {
    if (leftEnd) {
      LineOffset += kStepTenths;
      X -= kStep;
      PlaceSprites();
    } else if (LineOffset < 1) {
      ScrollStep();
    } else {
      LineOffset -= kStepTenths;
      X += kStep;
      PlaceSprites();
    }
  }
  Falling = 1;
  Rising = 0;
  AirPose(FacingRight);
}

void THero::StepLeft(int32_t lineStep, long double dx) {
  LineOffset += lineStep;
  X -= dx;
  PlaceSprites();
}

void THero::StepRight(int32_t lineStep, long double dx) {
  LineOffset -= lineStep;
  X += dx;
  PlaceSprites();
}

void THero::WalkStep(const Keys& k) {
  const EHandle step = core::Ctx().res.stepSound;
  if (!iSoundPlaying(step)) iSoundPlay(step, -1);
  if (!k.up && !k.down) SetAim(kAimAhead);
  if (!FacingRight) {
    if (LineOffset < LeftLimit()) {
      if (IsBlocked()) {
        StopWalk();
      } else {
        StepLeft(kStepTenths, kStep);
        CarryShots();
      }
    } else {
      StopWalk();
    }
  } else if (LineOffset < 1) {
    IsBlocked() ? StopWalk() : ScrollStep();
  } else if (IsBlocked()) {
    StopWalk();
  } else {
    StepRight(kStepTenths, kStep);
    CarryShots();
  }
  const uint32_t now = platform::GetTickCount();
  if (now - AnimTick > kLegFrameMs && LineOffset <= LeftLimit() && !IsBlocked()) {
    AnimTick = now;
    // The cycle runs 2..5; an air frame never reaches past the last leg picture.
    const bool wrap = LegFrame == kLastWalkFrame || LegFrame >= kLastLegFrame;
    SwapLegs(wrap ? kFirstWalkFrame : LegFrame + 1);
  }
}

void THero::CrawlStep() {
  if (!FacingRight) {
    if (LineOffset < LeftLimit()) {
      if (IsBlocked()) {
        StopWalk();  // the crawl goes on without moving
      } else {
        StepLeft(kCrawlTenths, kStep);
        CarryShots();
      }
    } else {
      StopCrawl();
    }
  } else if (LineOffset < 1) {
    IsBlocked() ? StopCrawl() : ScrollStep();
  } else if (IsBlocked()) {
    StopWalk();
  } else {
    StepRight(kCrawlTenths, kStep);
    CarryShots();
  }
  CrawlSteps += 1;
  if (CrawlSteps >= kMaxCrawlSteps) StopCrawl();
}

void THero::RiseStep(const Keys& k) {
  AnimTick = platform::GetTickCount();
  if (JumpCounter > kTopJumpCounter) {
    Rising = 0;
    Falling = 1;
    AirPose(FacingRight);
    return;
  }
  Y += JumpSpeed(JumpCounter);
  JumpCounter += 1;
  PlaceSprites();
  AirControl(k);
}

void THero::FallStep(const Keys& k) {
  Rising = 0;
  AnimTick = platform::GetTickCount();
  JumpCounter -= 1;
  const long double dy = JumpSpeed(JumpCounter);
  AirControl(k);
  const TFirstPlaneThing* below = FirstSolidOverlap(game_.foregroundObjects, BoxAround(X, Y - dy, HalfHeight, HalfWidth));
  if (below != nullptr) {
    Y = below->Y + below->HalfHeight + HalfHeight + kLandingClearance;
    Landing = 1;
    SurfaceHeight = below->Kind() == ThingKind::kLowBeam ? kBeamSurface : HalfHeight + below->HalfHeight;
    Crouch();
    return;
  }
  Y -= dy;
  PlaceSprites();
  if (Y < GroundY) {
    Y = GroundY;
    Landing = 1;
    Crouch();
    SurfaceHeight = 0;
  }
}

void THero::AirControl(const Keys& k) {
  if (k.left || k.right) {
    if (k.left && !k.right) AirPose(0);
    if (k.right && !k.left) AirPose(1);
    if (k.up) SetAim(kAimDiagonalUp);
    if (k.down) SetAim(kAimDiagonalDown);
    if (!FacingRight) {
      if (LineOffset < LeftLimit() && !IsBlocked()) StepLeft(kAirStepTenths, kAirStep);
    } else if (LineOffset < 1) {
      if (!IsBlocked()) {
        ScrollStep();
        ScrollStep();
      }
    } else if (!IsBlocked()) {
      StepRight(kAirStepTenths, kAirStep);
    }
  }
  if (!k.down && !k.up) SetAim(kAimAhead);
  if (k.up && !k.right && !k.left) SetAim(kAimUp);
  if (k.down && !k.right && !k.left) SetAim(kAimDown);
}

}  // namespace actors
