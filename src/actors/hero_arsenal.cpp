#include "actors/hero_arsenal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "actors/battlefield.h"
#include "actors/hero.h"
#include "core/game_context.h"
#include "core/sprites.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr long double kDegreesPerRadian = 180 / kPi;

// By aim 1..5 (index 0 unused).
constexpr long double kDirectionRight[6] = {0, 0, kPi / 4, kPi / 2, -kPi / 4, -kPi / 2};
constexpr long double kDirectionLeft[6] = {0, kPi, 3 * kPi / 4, kPi / 2, -3 * kPi / 4, -kPi / 2};
// The flash is turned in degrees; facing left and aiming diagonally down it
// leans at 215, not at the shot's 225.
constexpr float kFlashAngleRight[6] = {0, 0, 45, 90, -45, -90};
constexpr float kFlashAngleLeft[6] = {0, 180, 135, 90, 215, -90};
// The recoil pushes along these angles (radians).
constexpr long double kRecoilRight[6] = {0, 0, kPi / 4, kPi / 2, -kPi / 4, -kPi / 2};
constexpr long double kRecoilLeft[6] = {0, kPi, 3 * kPi / 4, kPi / 2, 5 * kPi / 4, 3 * kPi / 2};
constexpr long double kRecoil = 0.1L;

// The flash sits further out than the shot leaves.
constexpr long double kFlashAheadLevel = 3, kFlashAheadLow = 1.8L, kFlashHeight = 0.35L, kFlashReach = 3.6L;
constexpr long double kFlashAheadProne = 3.5L;
constexpr long double kProneMuzzleHeight = 0.1L;
constexpr float kProneFlashRight = 0, kProneFlashLeft = 180;

// The grenade's picture and box grow by one step every two charges.
constexpr int kFirstGrenadePicture = 5;  // ShotTex entry of "data\hmS1.png"
constexpr long double kGrenadeHalfSizeStep = 0.44L;

constexpr int32_t kFlameTurnStreams = 15;
constexpr long double kCarryStep = 0.2L;  // one walking step

int32_t AimIndex(int32_t aim) { return aim >= 1 && aim <= 5 ? aim : 1; }

bool FireHeld() { return core::KeyHeld(keys::kLeftCtrl) || core::KeyHeld(keys::kRightCtrl); }

// Pools are made whole at set-up: Init, then idle.
template <class T>
void Fill(THeroArsenal::Pool<T>& pool, int count, TBattlefield& field) {
  pool.clear();
  pool.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    pool.push_back(std::make_unique<T>(field));
    pool.back()->Init();
    pool.back()->Free = 1;
  }
}

template <class T>
void MovePool(const THeroArsenal::Pool<T>& pool) {
  for (const auto& shot : pool) {
    if (!shot->Free) shot->Move();
  }
  for (const auto& shot : pool) {
    if (shot->Free) iSpriteHide(shot->Sprite);
  }
}

template <class F>
void ForEachShot(THeroArsenal& arsenal, F&& f) {
  for (const auto& s : arsenal.ShotsA) f(*s);
  for (const auto& s : arsenal.ShotsB) f(*s);
  for (const auto& s : arsenal.ShotsC) f(*s);
  for (const auto& s : arsenal.ShotsE) f(*s);
  for (const auto& s : arsenal.Grenades) f(*s);
}

void Turn(EHandle sprite, float degrees) {
  const EngineVec orientation{0, 0, degrees};
  iSpriteOrientationSet(sprite, &orientation);
}

// Read only while playing, so X still types on the name-entry and options screens.
bool GrenadeKeyHeld() { return core::KeyHeld(kKeyGrenade) || core::KeyHeld(kKeyGrenadeLaptop); }

}  // namespace

const THeroArsenal::Muzzle THeroArsenal::kGunMuzzle{2.1L, 1.2L, 0.35L, 2.5L, 3.1L};
const THeroArsenal::Muzzle THeroArsenal::kBoltMuzzle{1, 0.5L, 0.28L, 0.8L, 1.5L};

long double ShotDirection(int32_t aim, uint8_t facingRight) {
  return facingRight ? kDirectionRight[AimIndex(aim)] : kDirectionLeft[AimIndex(aim)];
}

THeroArsenal::THeroArsenal(TBattlefield& field) : field_(field) {}

THeroArsenal::~THeroArsenal() = default;

void THeroArsenal::CreateBeforeBody() {
  Fill(ShotsC, kShotsCPool, field_);
  Fill(ShotsE, kShotsEPool, field_);
  Fill(Grenades, kGrenadePool, field_);
  Flames.clear();
  Flames.reserve(kFlameStreams);
  for (int i = 0; i < kFlameStreams; ++i) {
    Flames.push_back(std::make_unique<TFlameThrowlerMissile>(field_));
    TFlameThrowlerMissile& flame = *Flames.back();
    flame.FlameSetUp();
    flame.Enabled = 1;
    flame.Reach = i * kFlameReachStep;
    // The near streams turn fastest, so the jet bends when the aim changes.
    flame.TurnStep = kFlameTurnStep / (static_cast<long double>(i) / kFlameTurnStreams + 1);
  }
}

void THeroArsenal::CreateAfterBody() {
  Fill(ShotsA, kShotsAPool, field_);
  Fill(ShotsB, kShotsBPool, field_);
}

void THeroArsenal::MoveShots() {
  MovePool(ShotsA);
  MovePool(ShotsB);
  MovePool(ShotsC);
  if (field_.Game().currentWeapon == kWeaponD && FireHeld()) {
    const EHandle fire = core::Ctx().res.fireSound;
    for (const auto& flame : Flames) {
      StartLoop(fire);
      flame->FlameStep();
    }
  }
  MovePool(ShotsE);
  MovePool(Grenades);
}

void THeroArsenal::WeaponSteps() {
  const uint32_t now = platform::GetTickCount();
  ChargeGrenade(now);
  ThrowGrenade();
  Fire(now);
}

void THeroArsenal::ChargeGrenade(uint32_t now) {
  THero& hero = field_.Hero();
  if (!GrenadeKeyHeld() || now - static_cast<uint32_t>(hero.ChargeTick) <= kGrenadeChargeMs) return;
  hero.ChargeTick = static_cast<int32_t>(now);
  hero.GrenadeCharge = std::min(hero.GrenadeCharge + 1, kMaxGrenadeCharge);
  ShowGauge(hero.GrenadeCharge);
}

void THeroArsenal::ThrowGrenade() {
  THero& hero = field_.Hero();
  if (hero.GrenadeCharge == 0 || GrenadeKeyHeld()) return;
  THeroMissileS* grenade = HighestFree(Grenades);
  // With every grenade in the air the throw waits and the charge is kept.
  if (!grenade) return;
  grenade->Direction = ShotDirection(hero.Aim, hero.FacingRight);
  PlaceAtMuzzle(*grenade, kBoltMuzzle);
  const int32_t size = (std::clamp(hero.GrenadeCharge, 1, kMaxGrenadeCharge) + 1) / 2;  // 1..5
  iSpriteTextureSet(grenade->Sprite, hero.ShotTex[kFirstGrenadePicture + size - 1]);
  grenade->HalfHeight = grenade->HalfWidth = kGrenadeHalfSizeStep * size;
  ShowGauge(0);
  hero.GrenadeCharge = 0;
  Launch(*grenade);
}

void THeroArsenal::Fire(uint32_t now) {
  THero& hero = field_.Hero();
  if (!FireHeld() || now - hero.FireTick < kFireCooldownMs) return;
  // The cool-down starts whether or not a shot is free.
  hero.FireTick = now;
  switch (field_.Game().currentWeapon) {
    case kWeaponA: FireGun(now, false); break;
    case kWeaponB: FireGun(now, true); break;
    case kWeaponC: FireBolt(now, false); break;
    case kWeaponE: FireBolt(now, true); break;
    default: break;  // the flamethrower burns in MoveShots
  }
}

void THeroArsenal::FireGun(uint32_t now, bool pellets) {
  const THero& hero = field_.Hero();
  const EHandle gun = core::Ctx().res.gunSound;
  const long double direction = ShotDirection(hero.Aim, hero.FacingRight);
  if (!pellets) {
    StartLoop(gun);
    if (THeroMissileA* shot = HighestFree(ShotsA)) {
      shot->Direction = direction;
      PlaceAtMuzzle(*shot, kGunMuzzle);
      Flash(hero.FlashSpriteABE, direction, now);
      Launch(*shot);
    }
    return;
  }
  // Three pellets: raised, level, lowered; the middle one makes the flash.
  for (int k = -1; k <= 1; ++k) {
    StartLoop(gun);
    THeroMissileB* pellet = HighestFree(ShotsB);
    if (!pellet) continue;
    pellet->Direction = direction - k * kPelletSpread;
    PlaceAtMuzzle(*pellet, kGunMuzzle);
    if (k == 0) Flash(hero.FlashSpriteABE, direction, now);
    Launch(*pellet);
  }
}

void THeroArsenal::FireBolt(uint32_t now, bool plasma) {
  const THero& hero = field_.Hero();
  const core::SharedResources& res = core::Ctx().res;
  TMissile* shot = nullptr;
  if (plasma) {
    StartLoop(res.gunSound);
    shot = HighestFree(ShotsE);
  } else {
    shot = HighestFree(ShotsC);
    if (shot) StartLoop(res.laserSound);
  }
  if (!shot) return;
  shot->Direction = ShotDirection(hero.Aim, hero.FacingRight);
  PlaceAtMuzzle(*shot, kBoltMuzzle);
  Flash(plasma ? hero.FlashSpriteABE : hero.FlashSpriteC, shot->Direction, now);
  Turn(shot->Sprite, static_cast<float>(shot->Direction * kDegreesPerRadian));
  Launch(*shot);
}

void THeroArsenal::PlaceAtMuzzle(TMissile& shot, const Muzzle& muzzle) const {
  const THero& hero = field_.Hero();
  const long double s = hero.FacingRight ? 1 : -1;
  if (hero.Prone) {
    shot.X = hero.X + muzzle.aheadProne * s;
    shot.Y = hero.Y + kProneMuzzleHeight;
    return;
  }
  switch (hero.Aim) {
    case kAimUp: case kAimDown: shot.X = hero.X; break;
    case kAimDiagonalDown: shot.X = hero.X + muzzle.aheadLow * s; break;
    default: shot.X = hero.X + muzzle.aheadLevel * s; break;
  }
  shot.Y = hero.Y + muzzle.height + std::sin(shot.Direction) * muzzle.reach;
}

void THeroArsenal::Flash(EHandle flashSprite, long double direction, uint32_t now) {
  THero& hero = field_.Hero();
  const long double s = hero.FacingRight ? 1 : -1;
  const int32_t aim = AimIndex(hero.Aim);
  if (hero.Prone) {
    core::SetSpriteLocation(flashSprite, static_cast<float>(hero.X + kFlashAheadProne * s),
                           static_cast<float>(hero.Y + kProneMuzzleHeight));
    Turn(flashSprite, hero.FacingRight ? kProneFlashRight : kProneFlashLeft);
  } else {
    long double x = hero.X + kFlashAheadLevel * s;
    if (aim == kAimUp || aim == kAimDown) x = hero.X;
    if (aim == kAimDiagonalDown) x = hero.X + kFlashAheadLow * s;
    core::SetSpriteLocation(flashSprite, static_cast<float>(x),
                           static_cast<float>(hero.Y + kFlashHeight + std::sin(direction) * kFlashReach));
    Turn(flashSprite, hero.FacingRight ? kFlashAngleRight[aim] : kFlashAngleLeft[aim]);
  }
  iSpriteShow(flashSprite);
  hero.LastShotTick = static_cast<int32_t>(now);
  hero.FlashAim = static_cast<uint8_t>(aim);
  if (!hero.Prone) Recoil(true);
}

void THeroArsenal::Launch(TMissile& shot) {
  core::SetSpriteLocation(shot.Sprite, static_cast<float>(shot.X), static_cast<float>(shot.Y));
  iSpriteShow(shot.Sprite);
  shot.Free = 0;
  shot.Age = 0;
}

void THeroArsenal::Recoil(bool back) {
  const THero& hero = field_.Hero();
  if (hero.FlashAim == 0) return;
  const int32_t aim = AimIndex(hero.FlashAim);
  const long double a = hero.FacingRight ? kRecoilRight[aim] : kRecoilLeft[aim];
  const long double d = back ? -kRecoil : kRecoil;
  const float dx = static_cast<float>(std::cos(a) * d), dy = static_cast<float>(std::sin(a) * d);
  for (EHandle sprite : {hero.BodyShadowSprite, hero.BodySprite, hero.WeaponSprite}) {
    EngineVec at{0, 0, 0};
    iSpriteLocation(sprite, &at);
    core::SetSpriteLocation(sprite, at.x + dx, at.y + dy);
  }
}

void THeroArsenal::CarryShots() {
  const THero& hero = field_.Hero();
  if (hero.LineOffset <= 0) return;
  const long double step = hero.FacingRight ? kCarryStep : -kCarryStep;
  for (const auto& shot : ShotsA) {
    if (shot->FacingAtInit == hero.FacingRight) shot->X += step;
  }
}

void THeroArsenal::PlaceShotsA() {
  for (const auto& shot : ShotsA) {
    core::SetSpriteLocation(shot->Sprite, static_cast<float>(shot->X), static_cast<float>(shot->Y));
  }
}

void THeroArsenal::HideShots() {
  ForEachShot(*this, [](TMissile& shot) { iSpriteHide(shot.Sprite); });
}

void THeroArsenal::SetPriority(int32_t priority) {
  ForEachShot(*this, [priority](TMissile& shot) { iSpritePrioritySet(shot.Sprite, priority); });
}

void THeroArsenal::GroundShots() {
  ForEachShot(*this, [](TMissile& shot) {
    shot.Free = 1;
    iSpriteHide(shot.Sprite);
  });
  if (!field_.Game().hero) return;
  // A flash still showing would otherwise undo a recoil on the next level's
  // freshly placed body.
  THero& hero = field_.Hero();
  iSpriteHide(hero.FlashSpriteABE);
  iSpriteHide(hero.FlashSpriteC);
  hero.FlashAim = 0;
}

void THeroArsenal::ResetForNewGame() {
  ForEachShot(*this, [](THeroMissile& shot) { shot.Reset(); });
  for (const auto& flame : Flames) flame->Reset();
}

void THeroArsenal::StartLoop(EHandle sound) const {
  if (!iSoundPlaying(sound)) iSoundPlay(sound, -1);
}

void THeroArsenal::ShowGauge(int32_t charge) const {
  const world::TGame& game = field_.Game();
  const EHandle gauge = game.sharedImages[world::kGaugeSprite];
  iSpriteTextureSet(gauge, game.GaugeTexture(charge));
}

}  // namespace actors
