#include "world/level_generation.h"

#include <vector>

#include "actors/fire.h"
#include "actors/hero.h"
#include "core/game_context.h"
#include "core/sprites.h"
#include "world/combat_hooks.h"

namespace world {
namespace {

constexpr int32_t kWallMeshId = 1000001;      // the in-memory sprite mesh of buildings and wagons
constexpr int32_t kBuildingTextureId = 1000000;  // + building kind
constexpr int32_t kWagonTextureId = 1000008;     // + wagon kind
constexpr int32_t kLayerPriority = 2;
constexpr int32_t kWallMipFilter = 2;
constexpr int32_t kPlainTextureMode = 3;
constexpr long double kLevelStart = -20;
constexpr long double kLevelEnd = 520;
constexpr long double kEmptyLot = 20;
constexpr long double kFirstObstacle = 5;
constexpr long double kBoxOnlyBelow = 10;     // the first obstacle is always a box
constexpr long double kObstacleGap = 10;
constexpr long double kBeamGap = 5;
constexpr long double kBeamShift = 6;
constexpr long double kBeamHeight = 5;
constexpr long double kBlackCarShift = 3;
constexpr long double kCoverDistance = 2;     // an enemy in cover stands this far right of the object
constexpr long double kStandClearance = 0.1L;
constexpr long double kFirstPickup = 20;
constexpr long double kPickupGap = 10;
constexpr long double kPickupBaseY = 4;
constexpr long double kLongWagonsFrom = 450;
constexpr long double kWalkerWagonsFrom = 60;
constexpr int32_t kEnemyClasses = 7;
constexpr int32_t kPickupKinds = 7;

constexpr int kMaxFireRows = 4;
constexpr int kMaxWindows = 6;

// Window fires lit by one outcome of the kind's draw, at the centre plus offsets.
struct FireRow {
  int32_t choice;                          // the draw's value that lights these windows
  long double height;
  const FireShape* shape;
  int count;
  long double offsets[kMaxWindows];
};

struct BuildingKind {
  float scaleW, scaleH;
  float y;
  long double centre, advance;
  bool mipMaps;
  int32_t fireDraw;                        // R(n) drawn for the fires; 0: no draw, no fires
  int rowCount;
  FireRow rows[kMaxFireRows];
};

constexpr BuildingKind kBuildingTable[kBuildingKinds + 1] = {
    {},
    {21.15f, 12.05f, 2.4f, 17.2L, 34.4L, true, 3, 2,
     {{1, 6.9L, &kDefaultFire, 1, {5.5L}}, {2, 6.9L, &kDefaultFire, 1, {-5.5L}}}},
    {32.225f, 12.225f, 2.16f, 26, 52, false, 3, 4,
     {{1, 4.36L, &kWideFire, 1, {-7.5L}}, {1, 6.66L, &kDefaultFire, 1, {-20}},
      {2, 4.36L, &kWideFire, 1, {7.5L}}, {2, 6.66L, &kDefaultFire, 1, {20}}}},
    {12.975f, 12.0f, 2.43f, 11, 22, true, 2, 1, {{1, 2.13L, &kSmallFire, 3, {0, 6.5L, -6.5L}}}},
    {25.925f, 10.7f, 3.44f, 21.6L, 43.2L, false, 0, 0, {}},
    {31.825f, 12.25f, 2.3f, 26, 52, true, 2, 1,
     {{1, -1.7L, &kWideFire, 6, {-4, -11.5L, -19.5L, 4, 12, 19.2L}}}},
    {26.275f, 12.275f, 2.3f, 22, 44, true, 3, 2,
     {{1, 4.5L, &kDefaultFire, 1, {-13}}, {2, 4.5L, &kDefaultFire, 1, {12.5L}}}},
    {18.65f, 11.05f, 3.2f, 16, 32, true, 2, 1, {{1, 4.8L, &kDefaultFire, 3, {1, -2, 4}}}},
    {39.2f, 12.175f, 2.7f, 32, 64, false, 3, 2,
     {{1, 2.2L, &kDefaultFire, 4, {-11, -16.5L, -21.7L, -27.3L}},
      {2, 2.2L, &kDefaultFire, 4, {11, 16.5L, 21.7L, 27.3L}}}},
};

struct WagonKind {
  float scaleW, scaleH;
  float y;
  long double centre, advance;
  long double roofHalfHeight, roofHalfWidth;  // 0: a flat car with no roof box
  long double roofTop;                         // the enemy stands at y + this + its half height
};

constexpr WagonKind kWagonTable[kWagonKinds + 1] = {
    {},
    {17.5f, 5.0f, -8.3f, 12.4L, 24.8L, 0, 0, 0},
    {17.5f, 7.0f, -6.1f, 12.4L, 24.8L, 3.5L, 11.0L, 3.6L},
    {20.0f, 7.0f, -6.3f, 12.8L, 25.6L, 3.0L, 11.0L, 3.1L},
    {32.5f, 7.0f, -6.0f, 23, 46, 3.0L, 22.5L, 3.1L},
};

// Draw a random number and make it a real in tenths, 0.0 .. (n-1)/10.
long double Tenths(int32_t n) { return static_cast<long double>(core::R(n)) / 10; }

// A building or wagon sprite from the in-memory mesh, at its place.
PlacedSprite NewPlacedSprite(float w, float h, float x, float y, EHandle texture, uint8_t kind) {
  PlacedSprite placed;
  placed.sprite = core::MakeSprite({.meshResource = kWallMeshId,
                                   .texture = texture,
                                   .scale = {w, h},
                                   .location = {x, y},
                                   .priority = kLayerPriority,
                                   .mipFilter = kWallMipFilter,
                                   .textureMode = kPlainTextureMode});
  placed.x = x;
  placed.y = y;
  placed.kind = kind;
  return placed;
}

EHandle TextureFromMemory(const std::vector<uint8_t>& image, int32_t id) {
  return iTextureCreateFromMemory(image.data(), static_cast<int32_t>(image.size()), id);
}

template <typename Fire>
void PlaceFire(TGame& game, const FireShape& shape, long double y, long double x) {
  const EngineVec first = shape.d >= 0 ? EngineVec{static_cast<float>(shape.d), static_cast<float>(shape.c), 0}
                                       : EngineVec{1, 2, 0};
  const EngineVec second = shape.b >= 0 ? EngineVec{static_cast<float>(shape.b), static_cast<float>(shape.a), 0}
                                        : EngineVec{2, 4, 0};
  auto fire = std::make_unique<Fire>();
  Fire& f = *fire;
  game.foregroundObjects.push_back(std::move(fire));
  f.Init();
  f.X = x;
  f.Y = y;
  iParticleEmitterScaleSet(f.Emitter, &first, &second);
  f.Place();
}

// Creates a foreground object, appends it and runs Init.
template <typename Thing>
Thing& AppendThing(TGame& game) {
  auto thing = std::make_unique<Thing>();
  Thing& t = *thing;
  game.foregroundObjects.push_back(std::move(thing));
  t.Init();
  return t;
}

void SpawnEnemy(TGame& game, const EnemySpawn& spawn) {
  if (game.combat) game.combat->SpawnEnemy(spawn);
}

}  // namespace

void EnsureBuildingTexture(TGame& game, int32_t kind) {
  if (game.buildingTextures[kind] != 0) return;
  if (!kBuildingTable[kind].mipMaps) iTextureMipLevelsSet(0);
  game.buildingTextures[kind] = TextureFromMemory(game.buildingImages[kind], kBuildingTextureId + kind);
}

void AppendBuildingSprite(TGame& game, int32_t kind, float x, float y) {
  EnsureBuildingTexture(game, kind);
  const BuildingKind& table = kBuildingTable[kind];
  game.buildings.push_back(
      NewPlacedSprite(table.scaleW, table.scaleH, x, y, game.buildingTextures[kind], static_cast<uint8_t>(kind)));
  // Kinds without mip levels turned them off for their texture only.
  iTextureMipLevelsSet(1);
}

void EnsureWagonTexture(TGame& game, int32_t kind) {
  if (game.wagonTextures[kind] == 0) {
    game.wagonTextures[kind] = TextureFromMemory(game.wagonImages[kind], kWagonTextureId + kind);
  }
}

void AppendWagonSprite(TGame& game, int32_t kind, float x, float y) {
  EnsureWagonTexture(game, kind);
  const WagonKind& table = kWagonTable[kind];
  game.wagons.push_back(
      NewPlacedSprite(table.scaleW, table.scaleH, x, y, game.wagonTextures[kind], static_cast<uint8_t>(kind)));
}

void PlaceWindowFire(TGame& game, const FireShape& shape, long double y, long double x) {
  PlaceFire<actors::TWindowFire>(game, shape, y, x);
}

void PlaceRoundFire(TGame& game, const FireShape& shape, long double y, long double x) {
  PlaceFire<actors::TRoundFire>(game, shape, y, x);
}

void PlaceBuildings(TGame& game) {
  long double x0 = kLevelStart;
  while (x0 < kLevelEnd) {
    const int32_t k = core::R(kBuildingKinds + 1);
    if (k == 0) {
      x0 += kEmptyLot;
      continue;
    }
    const BuildingKind& kind = kBuildingTable[k];
    EnsureBuildingTexture(game, k);
    const long double centre = x0 + kind.centre;
    if (kind.fireDraw > 0) {
      const int32_t choice = core::R(kind.fireDraw);
      for (int i = 0; i < kind.rowCount; ++i) {
        const FireRow& row = kind.rows[i];
        if (row.choice != choice) continue;
        for (int w = 0; w < row.count; ++w) PlaceWindowFire(game, *row.shape, row.height, centre + row.offsets[w]);
      }
    }
    x0 += kind.advance;
    AppendBuildingSprite(game, k, static_cast<float>(centre), kind.y);
  }
}

void PlaceObstacles(TGame& game) {
  const long double g = game.hero->GroundY;
  long double x0 = kFirstObstacle;
  while (x0 < kLevelEnd) {
    const int32_t r = core::R(5);
    const int32_t obstacle = x0 < kBoxOnlyBelow ? 1 : r + 1;
    actors::TFirstPlaneThing* thing = nullptr;
    switch (obstacle) {
      case 1: thing = &AppendThing<actors::TBox>(game); break;
      case 2: thing = &AppendThing<actors::TBlackCar>(game); break;
      case 3: thing = &AppendThing<actors::TYellowCar>(game); break;
      case 4: thing = &AppendThing<actors::TTruck>(game); break;
      default: thing = &AppendThing<actors::TLowBeam>(game); break;
    }
    const long double hw = thing->HalfWidth;
    long double x = x0 + hw;
    long double y = g;
    if (obstacle == 2) x = x0 + kBlackCarShift + hw;
    if (obstacle == 5) {
      x = x0 + hw - kBeamShift;
      y = g + kBeamHeight;
    }
    thing->X = x;
    thing->Y = y;
    thing->Place();
    const long double q = Tenths(100);
    switch (obstacle) {
      case 2:
        PlaceRoundFire(game, kCarFire, g - 0.5L, x + 5.5L);
        PlaceRoundFire(game, kEmberFire, g, x - 4);
        x0 = x0 + kBlackCarShift + hw + kObstacleGap + q;
        break;
      case 3:
        PlaceRoundFire(game, kEmberFire, g - 2, x);
        x0 = x0 + hw + kObstacleGap + q;
        break;
      case 4:
        PlaceRoundFire(game, kCarFire, g + 4, x + 5);
        x0 = x0 + hw + kObstacleGap + q;
        break;
      case 5:
        x0 = x0 + hw + kBeamGap + q;
        break;
      default:
        x0 = x0 + hw + kObstacleGap + q;
        break;
    }
  }
}

void PlaceEnemiesAtObstacles(TGame& game) {
  // The enemies are placed at the obstacles as the list stands now.
  std::vector<const actors::TFirstPlaneThing*> obstacles;
  for (const auto& thing : game.foregroundObjects) {
    if (!thing->IsFire()) obstacles.push_back(thing.get());
  }
  for (const actors::TFirstPlaneThing* obstacle : obstacles) {
    const bool beam = obstacle->Kind() == actors::ThingKind::kLowBeam;
    const int32_t drawn = core::R(2) + 1;
    const int32_t placement = beam ? 2 : drawn;  // nobody hides beside a beam
    EnemySpawn spawn;
    spawn.terrKind = core::R(kEnemyClasses) + 1;
    if (placement == 1) {
      spawn.x = obstacle->X + obstacle->HalfWidth + kCoverDistance;
    } else {
      spawn.x = obstacle->X;
      spawn.standOnHeight = obstacle->Y + obstacle->HalfHeight + kStandClearance;
    }
    SpawnEnemy(game, spawn);
  }
}

void PlacePickups(TGame& game) {
  long double x = kFirstPickup;
  while (x <= kLevelEnd) {
    const int32_t kind = core::R(kPickupKinds);
    const long double y = kPickupBaseY + Tenths(30);
    if (game.combat) game.combat->SpawnPickup(kind, x, y);
    x += kPickupGap + Tenths(100);
  }
}

void PlaceWagons(TGame& game) {
  long double x0 = kLevelStart;
  while (x0 < kLevelEnd) {
    const int32_t m = core::R(3);
    const int32_t k = x0 > kLongWagonsFrom ? 4 : (x0 >= 0 ? m + 1 : 1);
    const WagonKind& kind = kWagonTable[k];
    EnsureWagonTexture(game, k);
    const long double centre = x0 + kind.centre;
    x0 += kind.advance;
    if (k == 1) {
      // Flat cars near the start stay empty so the player can find his feet.
      if (x0 > kWalkerWagonsFrom) {
        EnemySpawn spawn;
        spawn.terrKind = core::R(kEnemyClasses) + 1;
        spawn.x = centre;
        SpawnEnemy(game, spawn);
      }
    } else {
      auto& roof = AppendThing<actors::TVagonRectangle>(game);
      roof.X = centre;
      roof.Y = kind.y;
      roof.HalfHeight = kind.roofHalfHeight;
      roof.HalfWidth = kind.roofHalfWidth;
      EnemySpawn spawn;
      spawn.terrKind = core::R(kEnemyClasses) + 1;
      spawn.x = centre;
      spawn.standOnHeight = kind.y + kind.roofTop;
      SpawnEnemy(game, spawn);
    }
    AppendWagonSprite(game, k, static_cast<float>(centre), kind.y);
  }
}

}  // namespace world
