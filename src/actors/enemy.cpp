#include "actors/enemy.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "actors/enemy_missile.h"
#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "core/game_context.h"
#include "core/sprites.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace actors {
namespace {

// What tells the seven kinds apart.
struct EnemyKindData {
  int32_t frames;             // N: frames 1..4 walk, 5..N die
  float scale;                // sprite scale (both sides)
  int32_t lastDeathFrame;     // L: the death animation ends here
  uint32_t deathFrameMs;      // a death frame is due when more than this has passed
  bool hidesAfterLast;        // the body vanishes after its last frame (else it stays)
  long double shotOffset;     // a shot leaves this far ahead of the centre
  long double shotHeight;     // and this far above it
  const char* leftFrames;     // file pattern of the left frames, %d = 1..N
  const char* rightFrames;
  const char* dieSound;
};

constexpr EnemyKindData kKinds[kEnemyKinds + 1] = {
    {},
    {8, 3.0f, 8, 180, false, 1.5L, 0.4L, "data\\terr1sl%d.png", "data\\terr1sr%d.png", "sound\\terr1_die.wav"},
    {9, 3.0f, 9, 100, true, 1.5L, 0.4L, "data\\terr2sl%d.png", "data\\terr2sr%d.png", "sound\\terr2_die.wav"},
    {9, 3.0f, 9, 100, true, 1.5L, 0.4L, "data\\terr3sl%d.png", "data\\terr3sr%d.png", "sound\\terr3_die.wav"},
    {7, 3.0f, 7, 180, false, 1.8L, 0.7L, "data\\terr4sl%d.png", "data\\terr4sr%d.png", "sound\\terr4_die.wav"},
    {7, 3.2f, 7, 180, false, 1.5L, 0.9L, "data\\terr5sl%d.png", "data\\terr5sr%d.png", "sound\\terr5_die.wav"},
    {7, 3.2f, 7, 180, false, 1.5L, 0.9L, "data\\terr6sl%d.png", "data\\terr6sr%d.png", "sound\\terr6_die.wav"},
    {8, 3.2f, 8, 100, true, 1.5L, 0.4L, "data\\terr7sl%d.png", "data\\terr7sr%d.png", "sound\\terr7_die.wav"},
};

constexpr int32_t kLastWalkFrame = 4;
constexpr long double kPi = std::numbers::pi_v<long double>;

const EnemyKindData& KindOf(const TEnemy& enemy) { return kKinds[enemy.TerrKind()]; }

EHandle FrameTexture(const char* pattern, int n) {
  char name[40];
  std::snprintf(name, sizeof name, pattern, n);
  return iTextureCreate(name);
}

void Locate(EHandle sprite, long double x, long double y) {
  const EngineVec location{static_cast<float>(x), static_cast<float>(y), 0};
  iSpriteLocationSet(sprite, &location);
}

// Makers of kind K's enemy and shot, indexed by kind (0 stands in for a kind
// out of range and makes kind 1).
template <int32_t K>
std::unique_ptr<TEnemy> NewEnemy(world::TGame& game) {
  return std::make_unique<TTerrKind<K>>(game);
}
template <int32_t K>
std::unique_ptr<TMissile> NewShot(world::TGame& game) {
  return std::make_unique<TTerrMissile<K>>(game);
}
using EnemyMaker = std::unique_ptr<TEnemy> (*)(world::TGame&);
using ShotMaker = std::unique_ptr<TMissile> (*)(world::TGame&);
constexpr EnemyMaker kEnemyMakers[kEnemyKinds + 1] = {NewEnemy<1>, NewEnemy<1>, NewEnemy<2>, NewEnemy<3>,
                                                     NewEnemy<4>, NewEnemy<5>, NewEnemy<6>, NewEnemy<7>};
constexpr ShotMaker kShotMakers[kEnemyKinds + 1] = {NewShot<1>, NewShot<1>, NewShot<2>, NewShot<3>,
                                                   NewShot<4>, NewShot<5>, NewShot<6>, NewShot<7>};

}  // namespace

std::unique_ptr<TEnemy> MakeEnemy(int32_t terrKind, world::TGame& game) {
  const bool known = terrKind >= 1 && terrKind <= kEnemyKinds;
  return kEnemyMakers[known ? terrKind : 0](game);
}

TEnemy::TEnemy(world::TGame& game) : game_(game) {}

TEnemy::~TEnemy() {
  iSpriteDestroy(Sprite);
  for (EHandle texture : TexLeft) {
    if (texture != 0) iTextureDestroy(texture);
  }
  for (EHandle texture : TexRight) {
    if (texture != 0) iTextureDestroy(texture);
  }
  Missiles.clear();  // each shot destroys its own sprite
  Popup.reset();
  iSoundDestroy(DieSound);
}

void TEnemy::Init() {
  const EnemyKindData& kind = KindOf(*this);
  Sprite = core::MakeSprite({.scale = {kind.scale, kind.scale}});
  for (int i = 1; i <= kind.frames; ++i) TexLeft[i] = FrameTexture(kind.leftFrames, i);
  for (int i = 1; i <= kind.frames; ++i) TexRight[i] = FrameTexture(kind.rightFrames, i);
  FacingRight = 1;
  iSpriteTextureSet(Sprite, TexRight[1]);
  Frame = 1;
  Walks = 1;
  HalfWidth = kEnemyHalfWidth;
  HalfHeight = kEnemyHalfHeight;
  X = 0;
  Y = (game_.hero ? game_.hero->GroundY : world::kCityGroundY) - kEnemyFootDrop;
  Locate(Sprite, X, Y);
  Dead = 0;
  HitPoints = kEnemyHitPoints;
  Missiles.clear();
  for (int i = 0; i < kEnemyShots; ++i) {
    Missiles.push_back(kShotMakers[TerrKind()](game_));
    Missiles.back()->Init();
    Missiles.back()->Free = 1;
  }
  Popup = std::make_unique<TScore100>(game_);
  Popup->Init();
  DieSound = iSoundCreate(kind.dieSound, 0);
}

EHandle TEnemy::Shown() const { return FacingRight ? TexRight[Frame] : TexLeft[Frame]; }

void TEnemy::SwapTo(int32_t frame, uint8_t facingRight) {
  Frame = frame;
  FacingRight = facingRight;
  iSpriteTextureSet(Sprite, Shown());
}

void TEnemy::Update() {
  if (Popup && Popup->Active) Popup->Move();
  const uint32_t now = platform::GetTickCount();
  if (Dead) {
    DeathStep(now);
    return;
  }
  for (auto& shot : Missiles) {
    if (!shot->Free) shot->Move();
  }
  Shoot(now);
  if (Walks) Walk(now);
}

void TEnemy::DeathStep(uint32_t now) {
  const EnemyKindData& kind = KindOf(*this);
  if (Frame >= kind.lastDeathFrame) {
    if (kind.hidesAfterLast) iSpriteHide(Sprite);
    return;
  }
  if (now - AnimTick > kind.deathFrameMs) {
    AnimTick = now;
    SwapTo(Frame + 1, FacingRight);
  }
}

void TEnemy::Shoot(uint32_t now) {
  if (now - FireTick <= kEnemyFireIntervalMs || !game_.hero) return;
  const long double d = X - game_.hero->X;
  const bool heroAhead = (d > 0 && !FacingRight) || (d < 0 && FacingRight);
  if (std::fabs(d) >= kEnemyReach || !heroAhead) return;
  // The interval restarts even when every shot is still in flight.
  FireTick = now;
  TMissile* shot = HighestFree(Missiles);
  if (!shot) return;
  const EnemyKindData& kind = KindOf(*this);
  shot->X = FacingRight ? X + kind.shotOffset : X - kind.shotOffset;
  shot->Y = Y + kind.shotHeight;
  shot->Direction = FacingRight ? 0 : kPi;
  shot->Free = 0;
  shot->Age = 0;
  Locate(shot->Sprite, shot->X, shot->Y);
  iSpriteShow(shot->Sprite);
}

void TEnemy::Walk(uint32_t now) {
  if (Blocked()) {
    SwapTo(1, FacingRight ? 0 : 1);
    return;
  }
  X += FacingRight ? kEnemyStep : -kEnemyStep;
  if (now - AnimTick > kEnemyWalkFrameMs) {
    AnimTick = now;
    SwapTo(Frame >= kLastWalkFrame ? 1 : Frame + 1, FacingRight);
  }
}

bool TEnemy::Blocked() const {
  if (X < -kEnemyRange || X > kEnemyRange) return true;
  const long double step = FacingRight ? kEnemyStep : -kEnemyStep;
  const CollisionRect probe = BoxAround(X + step, Y, HalfHeight, HalfWidth);
  return FirstSolidOverlap(game_.foregroundObjects, probe) != nullptr;
}

void TEnemy::Damage(int32_t amount) {
  const bool wasDead = Dead;
  HitPoints -= amount;
  iSoundPlayNow(core::Ctx().res.hitSound, 0);
  // An enemy dies once: a hit on a body must not release its pop-up again.
  if (HitPoints > 0 || wasDead) return;
  iSoundPlayNow(DieSound, 0);
  Dead = 1;
  SwapTo(kFirstDeathFrame, FacingRight);
  for (const auto& shot : Missiles) iSpriteHide(shot->Sprite);
  if (Popup) Popup->Release(X, Y + kPopupRelease);
}

void TEnemy::StandOn(long double surfaceTop) {
  Y = surfaceTop + HalfHeight;
  SwapTo(1, 0);
  Walks = 0;
}

void TEnemy::Place() {
  Locate(Sprite, X, Y);
  if (Popup) Popup->Place();
}

void TEnemy::ScrollBy(long double dx) {
  X += dx;
  if (Popup) Popup->X += dx;
}

bool TEnemy::HidesDeadSprite() const {
  const EnemyKindData& kind = KindOf(*this);
  return Dead && kind.hidesAfterLast && Frame >= kind.lastDeathFrame;
}

void TEnemy::Show() {
  if (!HidesDeadSprite()) iSpriteShow(Sprite);
  // A dead enemy's shots stay frozen out of sight; idle ones are never shown.
  if (!Dead) {
    for (const auto& shot : Missiles) {
      if (!shot->Free) iSpriteShow(shot->Sprite);
    }
  }
  if (Popup) Popup->Show();
}

void TEnemy::Hide() {
  iSpriteHide(Sprite);
  for (const auto& shot : Missiles) iSpriteHide(shot->Sprite);
  if (Popup) Popup->Hide();
}

void TEnemy::SetPriority(int32_t priority) {
  iSpritePrioritySet(Sprite, priority);
  for (const auto& shot : Missiles) iSpritePrioritySet(shot->Sprite, priority);
  if (Popup) Popup->SetPriority(priority);
}

}  // namespace actors
