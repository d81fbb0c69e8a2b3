// The world's frame: the world step, the placing of every world sprite, the
// train's drift, the endless band of tiles, and the scroll step.
#include <algorithm>
#include <cmath>

#include "actors/hero.h"
#include "core/game_context.h"
#include "world/combat_hooks.h"
#include "world/game.h"

namespace world {
namespace {

constexpr int32_t kBackgroundStepTenths = 1;   // the far layer moves 0.1 per step
constexpr int32_t kForegroundStepTenths = 2;   // the near layer 0.2
constexpr long double kTenths = 10;
// Positions are kept on four decimals so float noise cannot pile up.
constexpr long double kStoredPrecision = 10000;
constexpr float kWrapBelow = -32;              // a tile wholly off the left edge
constexpr float kBandLength = 128;             // four tiles of 32 units
constexpr long double kScrollStep = 0.2L;
constexpr long double kCameraStep = 0.06875L;       // the particles' camera follows the scroll
constexpr int32_t kScrollPosPerStep = 2;            // the hero's ScrollPos grows this much a scroll step

// Rounding in this file is to nearest with ties to even (the default mode).
float StoreRounded(long double v) { return static_cast<float>(std::nearbyint(v * kStoredPrecision) / kStoredPrecision); }

// x moves `tenths` tenths to the left on the 0.1 grid.
float GridStepLeft(float x, int32_t tenths) {
  const long double k = std::nearbyint(kTenths * x) - tenths;
  return StoreRounded(k / kTenths);
}

float GridSnap(float y) { return StoreRounded(std::nearbyint(kTenths * y) / kTenths); }

void PlaceTile(const ParallaxTile& tile) {
  const EngineVec location{tile.x, tile.y, 0};
  iSpriteLocationSet(tile.sprite, &location);
}

}  // namespace

void TGame::MoveLayers() {
  for (ParallaxTile& tile : backgroundTiles) {
    tile.x = GridStepLeft(tile.x, kBackgroundStepTenths);
    tile.y = GridSnap(tile.y);
  }
  for (ParallaxTile& tile : foregroundTiles) {
    tile.x = GridStepLeft(tile.x, kForegroundStepTenths);
    tile.y = GridSnap(tile.y);
  }
}

void TGame::WorldStep() {
  hero->HeroUpdate();
  if (combat) combat->UpdateActors();
  PlaceWorldSprites();
}

void TGame::PlaceWorldSprites() {
  // The train runs on its own: its layers drift whether or not the hero walks.
  if (levelKind == kTrainLevel) MoveLayers();
  for (const ParallaxTile& tile : backgroundTiles) PlaceTile(tile);
  for (const ParallaxTile& tile : foregroundTiles) PlaceTile(tile);
  for (auto* placed : {&buildings, &wagons}) {
    for (const PlacedSprite& p : *placed) {
      const EngineVec location{p.x, p.y, 0};
      iSpriteLocationSet(p.sprite, &location);
    }
  }
  for (const auto& thing : foregroundObjects) thing->Place();
  if (combat) combat->PlaceActors();
  for (auto* layer : {&backgroundTiles, &foregroundTiles}) {
    for (ParallaxTile& tile : *layer) {
      if (tile.x < kWrapBelow) {
        tile.x += kBandLength;
        PlaceTile(tile);
      }
    }
  }
}

void TGame::ScrollWorld() {
  MoveLayers();
  for (const ParallaxTile& tile : backgroundTiles) PlaceTile(tile);
  for (const ParallaxTile& tile : foregroundTiles) PlaceTile(tile);
  for (auto* placed : {&buildings, &wagons}) {
    for (PlacedSprite& p : *placed) p.x = static_cast<float>(p.x - kScrollStep);
  }
  for (const auto& thing : foregroundObjects) thing->X -= kScrollStep;
  // Shots in flight keep their place: they are not part of the scenery.
  if (combat) combat->ScrollActors(-kScrollStep);
  cameraLocation.x = static_cast<float>(cameraLocation.x + kCameraStep);
  iCameraLocationSet(core::Ctx().res.mainCamera, &cameraLocation);
}

void TGame::PlaceCameraForScroll(int32_t scrollPos) {
  // The world scrolls while ScrollPos is at most the stop, then the hero walks.
  const int32_t steps = std::clamp(scrollPos, 0, actors::kScrollStopPos + kScrollPosPerStep) / kScrollPosPerStep;
  // Summed step by step in floats, as the scroll moved it.
  cameraLocation = kCameraStart;
  for (int32_t i = 0; i < steps; ++i) cameraLocation.x = static_cast<float>(cameraLocation.x + kCameraStep);
  iCameraLocationSet(core::Ctx().res.mainCamera, &cameraLocation);
}

}  // namespace world
