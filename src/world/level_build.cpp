// StartNextLevel: the level build behind the loading screen, and the HUD.
#include <cstdio>

#include "actors/hero.h"
#include "core/game_context.h"
#include "core/music.h"
#include "core/sprites.h"
#include "world/play_screen.h"
#include "world/game.h"
#include "world/level_generation.h"
#include "world/snapshot_records.h"

namespace world {
namespace {

constexpr int32_t kLayerPriority = 2;
constexpr int32_t kPlainTextureMode = 3;
constexpr float kTileSpacing = 32;

struct LayerSpec {
  const char* images[kLayerTiles];
  float scaleW, scaleH;
  float y;
};

constexpr LayerSpec kCityBackground{
    {"data\\BackgroundCity1.jpg", "data\\BackgroundCity2.jpg", "data\\BackgroundCity3.jpg", "data\\BackgroundCity4.jpg"},
    20, 10, 3};
constexpr LayerSpec kCityForeground{
    {"data\\ForegroundCity1.png", "data\\ForegroundCity2.png", "data\\ForegroundCity1.png", "data\\ForegroundCity2.png"},
    20, 5, -8};
constexpr LayerSpec kTrainBackground{
    {"data\\BackgroundTrain1.png", "data\\BackgroundTrain2.png", "data\\BackgroundTrain3.png",
     "data\\BackgroundTrain4.png"},
    20, 11.5f, 2.8f};
constexpr LayerSpec kTrainForeground{
    {"data\\ForegroundTrain1.png", "data\\ForegroundTrain2.png", "data\\ForegroundTrain1.png",
     "data\\ForegroundTrain2.png"},
    20, 3.5f, -9.2f};

struct HudSpec {
  float scaleW, scaleH, x, y;
};
constexpr HudSpec kPanel{20.05f, 3.35f, 0, 9.34f};
constexpr HudSpec kEnergyBar{5.875f, 2.2f, -11, 10.3f};
constexpr HudSpec kWeaponSign{0.55f, 0.7f, -4.8f, 10.3f};
constexpr HudSpec kLivesCounter{1.6f, 1.6f, -12, 11.0f};
constexpr HudSpec kGrenadeGauge{11.975f, 1.75f, 6.55f, 10.6f};
constexpr int32_t kFirstWeapon = 1;

// A HUD sprite made anew: the mesh sprite on the main camera, placed and scaled.
EHandle NewHudSprite(const HudSpec& hud) {
  return core::MakeSprite({.scale = {hud.scaleW, hud.scaleH}, .location = {hud.x, hud.y}});
}

// Destroys a HUD sprite after taking its texture off it.
void DropHudSprite(EHandle& sprite, EHandle shownTexture) {
  if (sprite == 0) return;
  iSpriteTextureSet(sprite, shownTexture);
  iSpriteDestroy(sprite);
  sprite = 0;
}

}  // namespace

void TGame::AdvanceLoadingBar(int& stage) {
  const core::SharedResources& res = core::Ctx().res;
  if (stage >= core::kLoadingBarStages) return;
  ++stage;
  iSpriteTextureSet(res.loadingBar, res.loadingBarTextures[stage]);
  // A frame between the expensive steps keeps the loading screen alive.
  iRender();
}

void TGame::StartNextLevel() {
  iRender();
  SetLevel(Level() + 1);
  levelKind = Level() % kTrainLevelEvery == 0 ? kTrainLevel : kCityLevel;
  int stage = 1;
  SetUpLayers(stage);
  const bool train = levelKind == kTrainLevel;

  if (train) {
    PlaceWagons(*this);
    AdvanceLoadingBar(stage);
  } else {
    PlaceBuildings(*this);
    AdvanceLoadingBar(stage);
    PlaceObstacles(*this);
    AdvanceLoadingBar(stage);
    PlaceEnemiesAtObstacles(*this);
    AdvanceLoadingBar(stage);
    PlacePickups(*this);
  }

  hero->SurfaceHeight = 0;
  hero->Y = hero->GroundY;
  hero->PlaceSprites();
  // The train level has one placement step fewer than the city; this keeps
  // its bar moving through all ten pictures as well.
  if (train) AdvanceLoadingBar(stage);

  RebuildHud(stage);

  SetArmor(0);
  iSpriteHide(hero->ArmourSprite);

  const core::SharedResources& res = core::Ctx().res;
  iSpriteHide(res.loadingPicture1);
  iSpriteHide(res.loadingPicture2);
  iSpriteHide(res.loadingBar);
  iScreenWipe(0, 0, 0);
  world::RaiseActors();
  world::ShowPlayScreen();
  core::PlayMusic("2");
}

void TGame::StartRestoredLevel(const snapshot::LayerPositions& back, const snapshot::LayerPositions& front) {
  int stage = 1;
  SetUpLayers(stage);
  for (int i = 0; i < kLayerTiles; ++i) {
    backgroundTiles[i].x = back[i].x;
    backgroundTiles[i].y = back[i].y;
    foregroundTiles[i].x = front[i].x;
    foregroundTiles[i].y = front[i].y;
    core::SetSpriteLocation(backgroundTiles[i].sprite, back[i].x, back[i].y);
    core::SetSpriteLocation(foregroundTiles[i].sprite, front[i].x, front[i].y);
  }
  RebuildHud(stage);
  SetArmor(0);
  iSpriteHide(hero->ArmourSprite);
}

void TGame::SetUpLayers(int& stage) {
  hero->GroundY = levelKind == kTrainLevel ? kTrainGroundY : kCityGroundY;
  const bool train = levelKind == kTrainLevel;
  const LayerSpec& back = train ? kTrainBackground : kCityBackground;
  const LayerSpec& front = train ? kTrainForeground : kCityForeground;
  for (int i = 0; i < kLayerTiles; ++i) {
    ParallaxTile& tile = backgroundTiles[i];
    iSpriteTextureSet(tile.sprite, iTextureCreate(back.images[i]));
    core::SetSpriteScale(tile.sprite, back.scaleW, back.scaleH);
    tile.x = kTileSpacing * static_cast<float>(i);
    tile.y = back.y;
    core::SetSpriteLocation(tile.sprite, tile.x, tile.y);
    iSpriteTextureModeSet(tile.sprite, kPlainTextureMode);
    if (i == 0 || i == 2) AdvanceLoadingBar(stage);
  }
  for (int i = 0; i < kLayerTiles; ++i) {
    ParallaxTile& tile = foregroundTiles[i];
    // A train level's pick-ups float over the track between these tiles.
    if (train && i == 3) {
      PlacePickups(*this);
      AdvanceLoadingBar(stage);
    }
    iSpriteTextureSet(tile.sprite, iTextureCreate(front.images[i]));
    iSpritePrioritySet(tile.sprite, kLayerPriority);
    core::SetSpriteScale(tile.sprite, front.scaleW, front.scaleH);
    tile.x = kTileSpacing * static_cast<float>(i);
    tile.y = front.y;
    core::SetSpriteLocation(tile.sprite, tile.x, tile.y);
    iSpriteTextureModeSet(tile.sprite, kPlainTextureMode);
    if (i != 1) AdvanceLoadingBar(stage);
  }
}

void TGame::RebuildHud(int& stage) {
  if (panelSprite != 0) iSpriteDestroy(panelSprite);
  panelSprite = NewHudSprite(kPanel);
  iSpriteTextureSet(panelSprite, panelTexture);
  iSpriteTextureModeSet(panelSprite, kPlainTextureMode);
  AdvanceLoadingBar(stage);

  DropHudSprite(energySprite, EnergyTexture(Energy()));
  energySprite = NewHudSprite(kEnergyBar);
  iSpriteTextureSet(energySprite, EnergyTexture(Energy()));

  EHandle& sign = sharedImages[kWeaponSignSprite];
  DropHudSprite(sign, WeaponTexture(currentWeapon));
  sign = NewHudSprite(kWeaponSign);
  iSpriteTextureSet(sign, WeaponTexture(kFirstWeapon));
  iSpriteTextureModeSet(sign, kPlainTextureMode);

  EHandle& lives = sharedImages[kLivesSprite];
  if (lives != 0) iSpriteHide(lives);
  DropHudSprite(lives, LivesTexture(Lives()));
  lives = NewHudSprite(kLivesCounter);
  iSpriteTextureSet(lives, LivesTexture(Lives()));
  iSpriteTextureModeSet(lives, kPlainTextureMode);

  EHandle& gauge = sharedImages[kGaugeSprite];
  DropHudSprite(gauge, GaugeTexture(hero->GrenadeCharge));
  gauge = NewHudSprite(kGrenadeGauge);
  iSpriteTextureSet(gauge, GaugeTexture(0));
  iSpriteTextureModeSet(gauge, kPlainTextureMode);

  currentWeapon = kFirstWeapon;
  hero->GrenadeCharge = 0;
}

}  // namespace world
