// The enemies' shots, one class per terrorist kind. They fly straight at half
// a unit a step, hit the hero (one point of damage) or stop at the first solid
// foreground object, leave the vertical band or age out, and hide themselves
// when they stop. Each enemy owns ten of its kind (actors/enemy.h).
#pragma once

#include <cstdint>

#include "actors/missile.h"

namespace world {
class TGame;
}

namespace actors {

inline constexpr long double kEnemyShotHalfSize = 0.48L;

class TEnemyMissile : public TMissile {
 public:
  TEnemyMissile(world::TGame& game, int32_t terrKind) : game_(game), terrKind_(terrKind) {}
  // Destroys the sprite.
  ~TEnemyMissile() override;
  TEnemyMissile(const TEnemyMissile&) = delete;
  TEnemyMissile& operator=(const TEnemyMissile&) = delete;

  // Sprite from the in-memory mesh with the kind's resource number and shot
  // picture, at (0, 0); Age 0, Free 0 (the owner then frees it).
  void Init() override;
  // One step along Direction; the hero is hit first, else a solid object
  // stops it; a freed shot hides its sprite.
  void Move() override;
  int32_t TerrKind() const { return terrKind_; }

 private:
  world::TGame& game_;
  int32_t terrKind_;
};

template <int32_t Kind>
class TTerrMissile final : public TEnemyMissile {
 public:
  explicit TTerrMissile(world::TGame& game) : TEnemyMissile(game, Kind) {}
};
using TTerr1Missile = TTerrMissile<1>;
using TTerr2Missile = TTerrMissile<2>;
using TTerr3Missile = TTerrMissile<3>;
using TTerr4Missile = TTerrMissile<4>;
using TTerr5Missile = TTerrMissile<5>;
using TTerr6Missile = TTerrMissile<6>;
using TTerr7Missile = TTerrMissile<7>;

}  // namespace actors
