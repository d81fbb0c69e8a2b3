#include "actors/foreground_object.h"

#include "core/game_context.h"
#include "core/sprites.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int32_t kScenePriority = 2;  // drawn with the layers, under the particles

struct SolidKindData {
  const char* image;
  long double halfWidth;
  long double halfHeight;
  float scaleX, scaleY;
  long double placeDx, placeDy;  // picture offset from the box centre
};

constexpr SolidKindData kSolidKinds[kTexturedThingKinds] = {
    {"data\\box.png", 1.5L, 1.2L, 6.4f, 6.4f, 0.0L, -0.2L},
    {"data\\BlackCar.png", 5.0L, 1.0L, 9.075f, 3.2f, 0.0L, 0.0L},
    {"data\\YellowCar.png", 2.0L, 0.5L, 5.775f, 3.5f, 1.0L, 0.0L},
    {"data\\Truck.png", 3.0L, 3.4L, 13.025f, 5.9f, 3.0L, 1.6L},
    {"data\\LowBeam.png", 15.0L, 0.5L, 22.5f, 5.25f, 0.0L, -3.0L},
};

constexpr long double kVagonRectangleHalfWidth = 26.0L;
constexpr long double kVagonRectangleHalfHeight = 5.6L;

const SolidKindData& DataOf(ThingKind kind) { return kSolidKinds[static_cast<int>(kind)]; }

}  // namespace

const TFirstPlaneThing* FirstSolidOverlap(const ThingList& things, const CollisionRect& box, long double raiseTop) {
  for (const auto& thing : things) {
    if (thing->IsFire()) continue;
    CollisionRect other = thing->Box();
    other.Top = static_cast<double>(other.Top + raiseTop);
    if (RectsOverlap(box, other)) return thing.get();
  }
  return nullptr;
}

const TFirstPlaneThing* LastSolid(const ThingList& things) {
  for (auto it = things.rbegin(); it != things.rend(); ++it) {
    if (!(*it)->IsFire()) return it->get();
  }
  return nullptr;
}

TSolidThing::~TSolidThing() { iSpriteDestroy(Sprite); }

void TSolidThing::Init() {
  const SolidKindData& data = DataOf(Kind());
  core::GameContext& ctx = core::Ctx();
  Sprite = core::MakeSprite({.scale = {data.scaleX, data.scaleY}, .priority = kScenePriority});
  // The first object of a kind makes the kind's texture, after its sprite.
  EHandle& texture = ctx.game->classTextures[static_cast<int>(Kind())];
  if (texture == 0) texture = iTextureCreate(data.image);
  iSpriteTextureSet(Sprite, texture);
  X = 0;
  Y = 0;
  HalfHeight = data.halfHeight;
  HalfWidth = data.halfWidth;
}

void TSolidThing::Show() { iSpriteShow(Sprite); }

void TSolidThing::Hide() { iSpriteHide(Sprite); }

void TSolidThing::Place() {
  const SolidKindData& data = DataOf(Kind());
  const EngineVec location{static_cast<float>(X + data.placeDx), static_cast<float>(Y + data.placeDy), 0};
  iSpriteLocationSet(Sprite, &location);
}

void TVagonRectangle::Init() {
  X = 0;
  Y = 0;
  HalfHeight = kVagonRectangleHalfHeight;
  HalfWidth = kVagonRectangleHalfWidth;
}

}  // namespace actors
