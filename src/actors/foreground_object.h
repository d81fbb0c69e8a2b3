// Foreground objects: the solid scenery of a level (boxes, cars, trucks, low
// beams, the invisible roof box of a wagon) and, in the same ordered list, the
// fires (actors/fire.h). The creator calls Init, sets X and Y, then Place; the
// world calls Place every frame of play and Show/Hide with the play screen.
// Objects never move by themselves: the world's scroll changes X.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "actors/collision.h"
#include "engine_link/engine_calls.h"

namespace actors {

enum class ThingKind : uint8_t {
  kBox,
  kBlackCar,
  kYellowCar,
  kTruck,
  kLowBeam,
  kVagonRectangle,
  kWindowFire,
  kRoundFire,
};

// Kinds with a sprite share one texture per kind, held by the world and
// indexed by the kind (kBox .. kLowBeam).
inline constexpr int kTexturedThingKinds = 5;

class TFire;

class TFirstPlaneThing {
 public:
  virtual ~TFirstPlaneThing() = default;

  // Makes the object's engine resources and sets its size; X and Y become 0.
  virtual void Init() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Puts the object's picture where X and Y say.
  virtual void Place() = 0;
  virtual ThingKind Kind() const = 0;

  // Fires burn in the list but never take part in a collision.
  bool IsFire() const { return Kind() == ThingKind::kWindowFire || Kind() == ThingKind::kRoundFire; }
  // The fire this object is, for the frame loop's burning; null for scenery.
  virtual TFire* AsFire() { return nullptr; }
  CollisionRect Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }

  EHandle Sprite = 0;          // the object's sprite; none for the roof box and the fires
  long double X = 0;           // centre of the collision box
  long double Y = 0;
  long double HalfHeight = 0;  // half the collision box height
  long double HalfWidth = 0;   // half the collision box width
};

using ThingList = std::vector<std::unique_ptr<TFirstPlaneThing>>;

// The first object of the list, in order, that is not a fire and whose box
// (Top raised by `raiseTop`) overlaps `box`; null if none.
const TFirstPlaneThing* FirstSolidOverlap(const ThingList& things, const CollisionRect& box, long double raiseTop = 0);
// The last object of the list that is not a fire; null if none.
const TFirstPlaneThing* LastSolid(const ThingList& things);

// A piece of scenery with one sprite whose texture is shared by its kind.
// Destroying the object destroys its sprite, never the shared texture.
class TSolidThing : public TFirstPlaneThing {
 public:
  ~TSolidThing() override;
  // Sprite from the sprite mesh on the main camera, the kind's shared texture
  // (created on the first Init of the kind), priority 2, size and scale.
  void Init() override;
  void Show() override;
  void Hide() override;
  // The picture sits at the box centre plus the kind's offset.
  void Place() override;
};

class TBox final : public TSolidThing {
 public:
  ThingKind Kind() const override { return ThingKind::kBox; }
};
class TBlackCar final : public TSolidThing {
 public:
  ThingKind Kind() const override { return ThingKind::kBlackCar; }
};
class TYellowCar final : public TSolidThing {
 public:
  ThingKind Kind() const override { return ThingKind::kYellowCar; }
};
class TTruck final : public TSolidThing {
 public:
  ThingKind Kind() const override { return ThingKind::kTruck; }
};
class TLowBeam final : public TSolidThing {
 public:
  ThingKind Kind() const override { return ThingKind::kLowBeam; }
};

// The invisible box on a wagon roof: no engine resources at all. The level
// generation sizes it after Init.
class TVagonRectangle final : public TFirstPlaneThing {
 public:
  void Init() override;
  void Show() override {}
  void Hide() override {}
  void Place() override {}
  ThingKind Kind() const override { return ThingKind::kVagonRectangle; }
};

}  // namespace actors
