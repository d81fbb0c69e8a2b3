// TGame: the one game world of the process. It owns the run's counters, the
// two parallax layers, the buildings or wagons of the level, the foreground
// objects, the hero, the in-memory building and wagon pictures and the HUD.
// Created with the main window; CreateWorldResources makes its engine
// resources once; StartNextLevel builds each level behind the loading screen;
// WorldStep runs one frame of play; ClearLevel tears a level down.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "actors/foreground_object.h"
#include "engine_link/engine_calls.h"
#include "world/masked_counter.h"
#include "world/play_session.h"
#include "world/snapshot_records.h"

namespace actors {
class THero;
}

namespace world {

class CombatHooks;

inline constexpr int kLayerTiles = 4;
inline constexpr int kBuildingKinds = 8;
inline constexpr int kWagonKinds = 4;
inline constexpr int kSharedImages = 57;
inline constexpr uint8_t kCityLevel = 0;
inline constexpr uint8_t kTrainLevel = 1;
inline constexpr int32_t kTrainLevelEvery = 3;  // levels 3, 6, 9 ... run on the train
inline constexpr long double kCityGroundY = -8.0L;
inline constexpr long double kTrainGroundY = -6.0L;
inline constexpr EngineVec kCameraStart{0, 0, -10};  // the main camera at a level's start

// sharedImages indexes.
inline constexpr int kEnergyImage = 0;        // + energy 0..5
inline constexpr int kWeaponSignSprite = 6;
inline constexpr int kWeaponSignImage = 6;    // + currentWeapon 1..5
inline constexpr int kLivesSprite = 12;
inline constexpr int kLivesImage = 12;        // + lives 1..9
inline constexpr int kGaugeSprite = 22;
inline constexpr int kGaugeImage = 23;        // + grenade charge 0..10
inline constexpr int kShotImage = 34;         // 34..40: shots of the seven terrorist kinds
inline constexpr int kPopupImage = 41;        // 41..56: pop-up and pick-up pictures

struct ParallaxTile {
  EHandle sprite = 0;
  float x = 0, y = 0;
};

// A building (kind 1..8) or wagon (kind 1..4) of the level.
struct PlacedSprite {
  EHandle sprite = 0;
  float x = 0, y = 0;
  uint8_t kind = 0;
};

class TGame {
 public:
  TGame();
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // The five counters, in clear form; they are stored masked.
  int32_t Score() const { return score_.Get(); }
  void SetScore(int32_t v) { score_.Set(v); }
  int32_t Level() const { return level_.Get(); }
  void SetLevel(int32_t v) { level_.Set(v); }
  int32_t Energy() const { return energy_.Get(); }
  void SetEnergy(int32_t v) { energy_.Set(v); }
  int32_t Lives() const { return lives_.Get(); }
  void SetLives(int32_t v) { lives_.Set(v); }
  int32_t Armor() const { return armor_.Get(); }
  void SetArmor(int32_t v) { armor_.Set(v); }

  // Once per process, before the first level: tile sprites, the hero, the
  // building and wagon pictures read into memory, the HUD textures.
  void CreateWorldResources();
  // When a run ends: ClearLevel, then the counters of a new run (3 lives,
  // full energy, level 0, no score or armour), and the level kind, the weapon,
  // the hero and the fight's pools as CreateWorldResources left them, so that
  // the next run depends on nothing the runs before it did.
  void ResetForNewGame();
  // Removes the level's contents, resets the hero and the camera, stops the game music.
  void ClearLevel();
  // Builds level Level()+1 behind the loading screen and shows the play screen.
  void StartNextLevel();
  // A level coming back from a snapshot, Level() and levelKind already set:
  // the layers of the level kind (and a train level's fresh pick-ups) as the
  // level start makes them, the tiles moved to the saved places, the HUD
  // rebuilt showing weapon A, no armour. Its contents are restored after.
  void StartRestoredLevel(const snapshot::LayerPositions& back, const snapshot::LayerPositions& front);
  // One frame of play: the hero, the combatants, then every sprite placed.
  void WorldStep();
  // Puts every world sprite where its owner says; drifts and wraps the layers.
  void PlaceWorldSprites();
  // One scroll step to the right: the world moves left, the camera right.
  void ScrollWorld();
  // The camera where the scroll steps of a level scrolled to `scrollPos` (the
  // hero's count) left it: a level restored in the middle draws its particles
  // (the flamethrower's streams) at the hero as the scrolled level did.
  void PlaceCameraForScroll(int32_t scrollPos);

  // HUD textures by the value they show; 0 for a value outside their range.
  EHandle EnergyTexture(int32_t energy) const { return Pick(kEnergyImage, energy, 0, 5); }
  EHandle WeaponTexture(int32_t weapon) const { return Pick(kWeaponSignImage, weapon, 1, 5); }
  EHandle LivesTexture(int32_t lives) const { return Pick(kLivesImage, lives, 1, 9); }
  EHandle GaugeTexture(int32_t charge) const { return Pick(kGaugeImage, charge, 0, 10); }

  // HUD: the energy bar and the weapon sign follow a changed value.
  void ShowEnergy(int32_t energy);
  void ShowWeapon(int32_t weapon);

  std::array<ParallaxTile, kLayerTiles> backgroundTiles{};
  std::array<ParallaxTile, kLayerTiles> foregroundTiles{};
  std::vector<PlacedSprite> buildings;              // buildings of a city level
  std::vector<PlacedSprite> wagons;                 // wagons of a train level
  actors::ThingList foregroundObjects;              // solid scenery and fires, in order
  uint8_t worldActive = 0;                          // 1 once CreateWorldResources has run
  uint8_t levelKind = kCityLevel;                   // kCityLevel or kTrainLevel
  std::unique_ptr<actors::THero> hero;
  std::array<EHandle, kBuildingKinds + 1> buildingTextures{};        // [1..8], 0 until first use
  std::array<std::vector<uint8_t>, kBuildingKinds + 1> buildingImages;  // [1..8] "data\Bld%d.png"
  std::array<EHandle, kWagonKinds + 1> wagonTextures{};              // [1..4], 0 until first use
  std::array<std::vector<uint8_t>, kWagonKinds + 1> wagonImages;     // [1..4] "data\vagon%d.png"
  std::array<EHandle, actors::kTexturedThingKinds> classTextures{};  // shared by each scenery kind
  EHandle panelTexture = 0;
  EHandle panelSprite = 0;                          // HUD panel
  EHandle energySprite = 0;                         // HUD energy bar
  std::array<EHandle, kSharedImages> sharedImages{};  // HUD sprites and textures, see the indexes above
  int32_t currentWeapon = 0;                        // 1..5, the weapon whose sign the HUD shows
  EngineVec cameraLocation{0, 0, -10};              // the main camera, moved by the scroll

  // Combatants' hooks (enemies, pick-ups, shots); none installed: scenery only.
  CombatHooks* combat = nullptr;
  // The run between its levels: the pauses after a level, a lost life and a lost game.
  PlaySession session{*this};
  // The run's world is about to be cleared for the next one (a quit, or the
  // end of a lost game): what it came to can still be read. Set by the main window.
  std::function<void()> runClearing;

 private:
  void CreateTileSprites();
  // The hero's ground and the eight tiles of levelKind at their start places
  // (a train level's pick-ups placed on the way), stepping the loading bar.
  void SetUpLayers(int& stage);
  void ReadWallPictures();
  void CreateSharedTextures();
  void RebuildHud(int& stage);
  void AdvanceLoadingBar(int& stage);
  void MoveLayers();
  EHandle Pick(int base, int32_t value, int32_t low, int32_t high) const {
    return value >= low && value <= high ? sharedImages[base + value] : 0;
  }

  MaskedCounter score_;   // points of the current run
  MaskedCounter level_;   // current level; 0 before the first level of a run
  MaskedCounter energy_;  // hero energy 0..5 (5 = full)
  MaskedCounter lives_;   // lives left
  MaskedCounter armor_;   // armour points, 0 at every level start
};

}  // namespace world
