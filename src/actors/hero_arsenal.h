// THeroArsenal: the hero's weapons. It owns his six fixed pools (15 bullets,
// 45 pellets, 15 laser bolts, 15 plasma shots, 5 grenades and the 15 flame
// streams), made once with the hero and never grown: firing takes the idle
// entry with the highest index and skips the shot when none is idle.
//
// Its steps run inside the hero's update: MoveShots (his shots in flight, and
// the flamethrower while its fire key is held), then at the end WeaponSteps
// (grenade charge, grenade throw, fire). The hero's own fields hold the
// weapon state that the rest of the game reads: FireTick, LastShotTick,
// FlashAim, ChargeTick, GrenadeCharge and the flash sprites.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "actors/flame.h"
#include "actors/hero_missile.h"
#include "engine_link/scan_codes.h"

namespace actors {

class TBattlefield;

inline constexpr int32_t kKeyGrenade = keys::kNumpad0;
inline constexpr int32_t kKeyGrenadeLaptop = keys::kX;  // the same, for keyboards without a number pad
inline constexpr int kShotsAPool = 15;
inline constexpr int kShotsBPool = 45;
inline constexpr int kShotsCPool = 15;
inline constexpr int kShotsEPool = 15;
inline constexpr int kGrenadePool = 5;
inline constexpr uint32_t kFireCooldownMs = 101;      // a fire key press counts again after this
inline constexpr uint32_t kGrenadeChargeMs = 300;     // the charge grows when more than this has passed
inline constexpr int32_t kMaxGrenadeCharge = 10;
inline constexpr long double kPelletSpread = 0.35L;   // radians between weapon B's pellets

// Weapons as the world's currentWeapon numbers them.
inline constexpr int32_t kWeaponA = 1, kWeaponB = 2, kWeaponC = 3, kWeaponD = 4, kWeaponE = 5;

// The flight direction (radians) of a shot for the hero's aim 1..5 and facing.
long double ShotDirection(int32_t aim, uint8_t facingRight);

class THeroArsenal {
 public:
  template <class T>
  using Pool = std::vector<std::unique_ptr<T>>;

  explicit THeroArsenal(TBattlefield& field);
  ~THeroArsenal();
  THeroArsenal(const THeroArsenal&) = delete;
  THeroArsenal& operator=(const THeroArsenal&) = delete;

  // The pools drawn under the hero's body (the engine draws equal priorities
  // in creation order): laser, plasma, grenades and the flame streams. The
  // hero calls it before he makes his body sprites, facing right.
  void CreateBeforeBody();
  // The pools drawn over his body: bullets and pellets; after the body sprites.
  void CreateAfterBody();

  // Every shot in flight takes a step and every idle shot is hidden; while
  // weapon D is in hand and a fire key is held the flame streams burn.
  void MoveShots();
  // Grenade charge (Numpad 0 held), throw (released), then fire (Ctrl).
  void WeaponSteps();
  // The upper body kicks 0.1 against the last shot's aim (back), or returns.
  void Recoil(bool back);
  // Bullets made facing the way the hero walks move with him (only while he
  // is left of the scroll line).
  void CarryShots();

  // Bullet sprites to their positions (every frame, with the world's sprites).
  void PlaceShotsA();
  void HideShots();
  void SetPriority(int32_t priority);
  // The level is torn down: every shot idle and hidden, no flash pending.
  void GroundShots();
  // The run has ended: every shot and flame stream as the hero's set-up made
  // them, whatever the run did with them.
  void ResetForNewGame();

  Pool<THeroMissileA> ShotsA;
  Pool<THeroMissileB> ShotsB;
  Pool<THeroMissileC> ShotsC;
  Pool<TFlameThrowlerMissile> Flames;
  Pool<THeroMissileE> ShotsE;
  Pool<THeroMissileS> Grenades;

 private:
  // The muzzle of a group of weapons: how far ahead (times the facing) the
  // shot leaves for each aim, and how high.
  struct Muzzle {
    long double aheadLevel;   // aim 1 and 2
    long double aheadLow;     // aim 4 (aims 3 and 5 leave from the hero's X)
    long double height;       // above Y, plus sin(direction) x reach
    long double reach;
    long double aheadProne;   // lying: at Y + 0.1 whatever the aim
  };
  static const Muzzle kGunMuzzle;
  static const Muzzle kBoltMuzzle;

  void ChargeGrenade(uint32_t now);
  void ThrowGrenade();
  void Fire(uint32_t now);
  void FireGun(uint32_t now, bool pellets);
  void FireBolt(uint32_t now, bool plasma);
  void PlaceAtMuzzle(TMissile& shot, const Muzzle& muzzle) const;
  void Flash(EHandle flashSprite, long double direction, uint32_t now);
  void Launch(TMissile& shot);
  void StartLoop(EHandle sound) const;
  void ShowGauge(int32_t charge) const;

  TBattlefield& field_;
};

}  // namespace actors
