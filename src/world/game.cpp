#include "world/game.h"

#include <cstdio>

#include "actors/hero.h"
#include "core/game_context.h"
#include "core/music.h"
#include "core/sprites.h"
#include "world/play_screen.h"
#include "platform/file_io.h"
#include "platform/game_path.h"
#include "world/combat_hooks.h"

namespace world {
namespace {

constexpr int32_t kNewRunLives = 3;
constexpr int32_t kFullEnergy = 5;
constexpr int32_t kFirstRunWeapon = 2;
constexpr int32_t kLayerPriority = 2;
// Building pictures are a few hundred kilobytes; anything far bigger is not ours.
constexpr size_t kMaxWallPictureBytes = 64u << 20;

std::vector<uint8_t> ReadPicture(const char* pattern, int n) {
  char name[32];
  std::snprintf(name, sizeof name, pattern, n);
  auto bytes = platform::ReadWholeFile(platform::GamePath(name), kMaxWallPictureBytes);
  return bytes ? std::move(*bytes) : std::vector<uint8_t>{};
}

EHandle TextureOf(const char* pattern, int n) {
  char name[32];
  std::snprintf(name, sizeof name, pattern, n);
  return iTextureCreate(name);
}

}  // namespace

TGame::TGame() = default;

TGame::~TGame() = default;

void TGame::CreateWorldResources() {
  SetLevel(0);
  SetScore(0);
  SetEnergy(kFullEnergy);
  SetLives(kNewRunLives);
  currentWeapon = kFirstRunWeapon;
  CreateTileSprites();
  hero = std::make_unique<actors::THero>(*this);
  hero->HeroInit();
  worldActive = 1;
  ReadWallPictures();
  CreateSharedTextures();
}

void TGame::CreateTileSprites() {
  for (auto* layer : {&backgroundTiles, &foregroundTiles}) {
    for (ParallaxTile& tile : *layer) tile.sprite = core::MakeSprite({.priority = kLayerPriority});
  }
}

void TGame::ReadWallPictures() {
  // Read once per process so that a level build never touches the disk for them.
  for (int k = 1; k <= kBuildingKinds; ++k) buildingImages[k] = ReadPicture("data\\Bld%d.png", k);
  for (int k = 1; k <= kWagonKinds; ++k) wagonImages[k] = ReadPicture("data\\vagon%d.png", k);
}

void TGame::CreateSharedTextures() {
  panelTexture = iTextureCreate("data\\Panel.png");
  for (int n = 0; n <= 5; ++n) sharedImages[kEnergyImage + n] = TextureOf("data\\energy%d.png", n);
  for (int n = 0; n <= 10; ++n) sharedImages[kGaugeImage + n] = TextureOf("data\\sw%d.png", n);
  for (int n = 1; n <= 9; ++n) sharedImages[kLivesImage + n] = TextureOf("data\\LF%d.png", n);
  static constexpr const char* kWeaponSigns[] = {"data\\Awep_sign.png", "data\\Bwep_sign.png", "data\\Cwep_sign.png",
                                                 "data\\Dwep_sign.png", "data\\Ewep_sign.png"};
  for (int n = 1; n <= 5; ++n) sharedImages[kWeaponSignImage + n] = iTextureCreate(kWeaponSigns[n - 1]);
  for (int n = 1; n <= 7; ++n) sharedImages[kShotImage + n - 1] = TextureOf("data\\terr%dm.png", n);
  static constexpr const char* kPopups[] = {
      "data\\100fly.png",  "data\\100down.png", "data\\energy+fly.png", "data\\energy+down.png",
      "data\\armor+fly.png", "data\\armor+down.png", "data\\wAfly.png", "data\\wAdown.png",
      "data\\wBfly.png",   "data\\wBdown.png",  "data\\wCfly.png",      "data\\wCdown.png",
      "data\\wDfly.png",   "data\\wDdown.png",  "data\\wEfly.png",      "data\\wEdown.png"};
  for (int n = 0; n < 16; ++n) sharedImages[kPopupImage + n] = iTextureCreate(kPopups[n]);
}

void TGame::ResetForNewGame() {
  if (runClearing) runClearing();
  ClearLevel();
  if (energySprite != 0) {
    iSpriteDestroy(energySprite);
    energySprite = 0;
  }
  if (sharedImages[kLivesSprite] != 0) {
    iSpriteDestroy(sharedImages[kLivesSprite]);
    sharedImages[kLivesSprite] = 0;
  }
  SetLives(kNewRunLives);
  SetEnergy(kFullEnergy);
  SetLevel(0);
  SetScore(0);
  // The rest of what the run left: ClearLevel keeps it from one level of a
  // run to the next, but a new run starts as the process's first did.
  SetArmor(0);
  levelKind = kCityLevel;
  currentWeapon = kFirstRunWeapon;
  if (hero) hero->ResetForNewGame();
  if (combat) combat->ResetForNewGame();
}

void TGame::ClearLevel() {
  world::HidePlayScreen();
  for (auto* placed : {&buildings, &wagons}) {
    for (const PlacedSprite& p : *placed) iSpriteDestroy(p.sprite);
    placed->clear();
  }
  // Building textures are remade per level (only the kinds that occur);
  // wagon textures are few and stay for the process.
  for (EHandle& texture : buildingTextures) {
    if (texture != 0) iTextureDestroy(texture);
    texture = 0;
  }
  foregroundObjects.clear();
  if (combat) combat->ClearActors();
  if (hero) hero->ResetForLevel();
  cameraLocation = kCameraStart;
  iCameraLocationSet(core::Ctx().res.mainCamera, &cameraLocation);
  core::StopMusic("2");
}

void TGame::ShowEnergy(int32_t energy) { iSpriteTextureSet(energySprite, EnergyTexture(energy)); }

void TGame::ShowWeapon(int32_t weapon) { iSpriteTextureSet(sharedImages[kWeaponSignSprite], WeaponTexture(weapon)); }

}  // namespace world
