#include "world/world_snapshot.h"

#include <algorithm>
#include <cmath>

#include "actors/fire.h"
#include "actors/hero.h"
#include "core/game_context.h"
#include "platform/file_io.h"
#include "platform/player_path.h"
#include "world/combat_hooks.h"
#include "world/game.h"
#include "world/level_generation.h"
#include "world/level_limits.h"

namespace world {
namespace {

using namespace snapshot;

constexpr int32_t kMaxEnergy = 5;
constexpr int32_t kMaxLivesShown = 9;
constexpr int32_t kLowestRank = 10;
constexpr int32_t kLastHeroDeathFrame = 4;
constexpr int32_t kTopJumpCounter = 19;
constexpr int32_t kMaxCrawlSteps = 20;

// Class codes of the foreground objects, in the order of the code table.
int32_t CodeOf(actors::ThingKind kind) {
  switch (kind) {
    case actors::ThingKind::kBox: return kCodeBox;
    case actors::ThingKind::kBlackCar: return kCodeBlackCar;
    case actors::ThingKind::kYellowCar: return kCodeYellowCar;
    case actors::ThingKind::kTruck: return kCodeTruck;
    case actors::ThingKind::kLowBeam: return kCodeLowBeam;
    case actors::ThingKind::kVagonRectangle: return kCodeVagonRectangle;
    case actors::ThingKind::kWindowFire: return kCodeWindowFire;
    case actors::ThingKind::kRoundFire: return kCodeRoundFire;
  }
  return 0;
}

std::unique_ptr<actors::TFirstPlaneThing> MakeThing(int32_t code) {
  switch (code) {
    case kCodeBox: return std::make_unique<actors::TBox>();
    case kCodeBlackCar: return std::make_unique<actors::TBlackCar>();
    case kCodeYellowCar: return std::make_unique<actors::TYellowCar>();
    case kCodeTruck: return std::make_unique<actors::TTruck>();
    case kCodeLowBeam: return std::make_unique<actors::TLowBeam>();
    case kCodeVagonRectangle: return std::make_unique<actors::TVagonRectangle>();
    case kCodeWindowFire: return std::make_unique<actors::TWindowFire>();
    case kCodeRoundFire: return std::make_unique<actors::TRoundFire>();
    default: return nullptr;
  }
}

HeroRecord CaptureHero(const TGame& game) {
  HeroRecord r;
  const actors::THero& h = *game.hero;
  r.x = h.X;
  r.y = h.Y;
  r.halfHeight = h.HalfHeight;
  r.halfWidth = h.HalfWidth;
  r.legFrame = h.LegFrame;
  r.aim = h.Aim;
  r.deathFrame = h.DeathFrame;
  r.weaponPose = h.WeaponPose;
  r.crawlFrame = h.CrawlFrame;
  r.crawlSteps = h.CrawlSteps;
  r.jumpCounter = h.JumpCounter;
  r.standCooldown = h.StandCooldown;
  r.facingRight = h.FacingRight;
  r.animTick = static_cast<int32_t>(h.AnimTick);
  r.deathTick = static_cast<int32_t>(h.DeathTick);
  r.fireTick = static_cast<int32_t>(h.FireTick);
  r.upPressTick = static_cast<int32_t>(h.UpPressTick);
  r.scrollPos = h.ScrollPos;
  r.lineOffset = h.LineOffset;
  r.walking = h.Walking;
  r.dead = h.Dead;
  r.crawling = h.Crawling;
  r.falling = h.Falling;
  r.rising = h.Rising;
  r.prone = h.Prone;
  r.canCrawl = h.CanCrawl;
  r.jumpPending = h.JumpPending;
  r.landing = h.Landing;
  r.groundY = h.GroundY;
  r.surfaceHeight = h.SurfaceHeight;
  if (game.combat) game.combat->CaptureHeroShots(r);
  return r;
}

// The hero's saved fields; his legs, aim, crawl frame and facing start afresh.
void RestoreHero(TGame& game, const HeroRecord& r) {
  actors::THero& h = *game.hero;
  h.X = r.x;
  h.Y = r.y;
  h.HalfHeight = r.halfHeight;
  h.HalfWidth = r.halfWidth;
  h.DeathFrame = std::clamp(r.deathFrame, 1, kLastHeroDeathFrame);  // an index into his death pictures
  h.CrawlSteps = std::clamp(r.crawlSteps, 0, kMaxCrawlSteps);
  h.JumpCounter = std::clamp(r.jumpCounter, 0, kTopJumpCounter + 1);
  h.StandCooldown = std::clamp(r.standCooldown, 0, actors::kStandReady);
  h.AnimTick = static_cast<uint32_t>(r.animTick);
  h.DeathTick = static_cast<uint32_t>(r.deathTick);
  h.FireTick = static_cast<uint32_t>(r.fireTick);
  h.UpPressTick = static_cast<uint32_t>(r.upPressTick);
  h.ScrollPos = r.scrollPos;
  h.LineOffset = r.lineOffset;
  h.Dead = r.dead != 0;
  h.Falling = r.falling != 0;
  h.Rising = r.rising != 0;
  h.Prone = r.prone != 0;
  h.CanCrawl = r.canCrawl != 0;
  h.JumpPending = r.jumpPending != 0;
  h.Landing = r.landing != 0;
  h.GroundY = r.groundY;
  h.SurfaceHeight = r.surfaceHeight;

  if (game.combat) game.combat->RestoreHeroShots(r);

  // The pose the flags describe (the hero faces right after a restore).
  iSpriteTextureSet(h.DyingSprite, h.DyingTex[h.FacingRight][h.DeathFrame]);
  h.ShowOnPlayScreen();
  h.PlaceSprites();
}

// The file's path where the player's files are kept.
std::string PathOf(const char* file) { return platform::PlayerFilePath(file); }

bool SnapshotFileExists(const char* file) {
  return platform::FileExists(PathOf(file));
}

bool WriteFile(const char* file, const std::vector<uint8_t>& bytes) {
  const std::string path = PathOf(file);
  int error = 0;
  if (platform::WriteFileAtomic(path, bytes, &error)) return true;
  core::Ctx().saveNotices.Tell(core::SavedFile::kSnapshot, path, error);
  return false;
}

// A list file written when it has records; else an older one is removed.
bool WriteOptional(const char* file, const std::vector<PlacedRecord>& records) {
  if (!records.empty()) return WriteFile(file, EncodePlaced(records));
  const std::string path = PathOf(file);
  if (SnapshotFileExists(file)) platform::RemoveFile(path);
  return true;
}

std::optional<std::vector<uint8_t>> ReadFile(const char* file, size_t maxBytes, std::string& why) {
  auto bytes = platform::ReadWholeFile(PathOf(file), maxBytes);
  if (!bytes) why = std::string(file) + ": missing, unreadable or too large";
  return bytes;
}

// Parses one file; on a refusal `why` names it.
template <typename Parse>
auto ParseFile(const char* file, size_t maxBytes, Parse parse, std::string& why)
    -> decltype(parse(std::span<const uint8_t>{})) {
  auto bytes = ReadFile(file, maxBytes, why);
  if (!bytes) return std::nullopt;
  auto parsed = parse(*bytes);
  if (!parsed) why = std::string(file) + ": short or corrupt";
  return parsed;
}

}  // namespace

WorldSnapshot CaptureWorld(const TGame& game, const SnapshotExtras& extras) {
  WorldSnapshot s;
  SnapshotHeader& h = s.header;
  h.level = game.Level();
  h.levelKind = game.levelKind;
  h.score = game.Score();
  h.pendingRecordRank = extras.pendingRecordRank;
  h.energy = game.Energy();
  h.lives = game.Lives();
  h.currentWeapon = game.currentWeapon;
  h.nameLength = static_cast<uint8_t>(std::min<size_t>(extras.name.size(), kNameBytes));
  std::copy_n(extras.name.begin(), h.nameLength, h.name.begin());

  for (int i = 0; i < kLayerTiles; ++i) {
    s.background[i] = {game.backgroundTiles[i].x, game.backgroundTiles[i].y};
    s.foreground[i] = {game.foregroundTiles[i].x, game.foregroundTiles[i].y};
  }
  for (const PlacedSprite& b : game.buildings) s.buildings.push_back({b.kind, b.x, b.y});
  for (const PlacedSprite& w : game.wagons) s.wagons.push_back({w.kind, w.x, w.y});
  for (const auto& t : game.foregroundObjects) {
    s.things.push_back({CodeOf(t->Kind()), t->X, t->Y, t->HalfHeight, t->HalfWidth});
  }
  if (game.combat) game.combat->CaptureEnemies(s.enemies);
  if (game.hero) s.hero = CaptureHero(game);
  return s;
}

std::vector<uint8_t> EncodeWorld(const WorldSnapshot& s) {
  std::vector<uint8_t> bytes;
  const auto add = [&bytes](const std::vector<uint8_t>& part) {
    const uint32_t size = static_cast<uint32_t>(part.size());
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(size >> shift));
    bytes.insert(bytes.end(), part.begin(), part.end());
  };
  add(EncodeHeader(s.header));
  add(EncodeLayers(s.background));
  add(EncodeLayers(s.foreground));
  add(EncodePlaced(s.buildings));
  add(EncodePlaced(s.wagons));
  add(EncodeForeground(s.things));
  add(EncodeEnemies(s.enemies));
  add(EncodeHero(s.hero));
  return bytes;
}

bool WriteWorldSnapshot(const WorldSnapshot& s) {
  return WriteFile(kSnapshotHeaderFile, EncodeHeader(s.header)) &&
         WriteFile(kSnapshotBackgroundFile, EncodeLayers(s.background)) &&
         WriteFile(kSnapshotForegroundTilesFile, EncodeLayers(s.foreground)) &&
         WriteOptional(kSnapshotBuildingsFile, s.buildings) && WriteOptional(kSnapshotWagonsFile, s.wagons) &&
         WriteFile(kSnapshotThingsFile, EncodeForeground(s.things)) &&
         WriteFile(kSnapshotEnemiesFile, EncodeEnemies(s.enemies)) &&
         WriteFile(kSnapshotHeroFile, EncodeHero(s.hero));
}

bool SaveWorldSnapshot(const TGame& game, const SnapshotExtras& extras) {
  return WriteWorldSnapshot(CaptureWorld(game, extras));
}

std::optional<WorldSnapshot> ReadWorldSnapshot(std::string& why) {
  WorldSnapshot s;
  auto header = ParseFile(kSnapshotHeaderFile, kHeaderSize, ParseHeader, why);
  if (!header) return std::nullopt;
  s.header = *header;
  for (auto [file, tiles] : {std::pair{kSnapshotBackgroundFile, &s.background},
                             std::pair{kSnapshotForegroundTilesFile, &s.foreground}}) {
    auto layers = ParseFile(file, kLayerRecords * kLayerPositionSize, ParseLayers, why);
    if (!layers) return std::nullopt;
    *tiles = *layers;
  }
  const struct {
    const char* file;
    std::vector<PlacedRecord>* list;
    size_t most;
  } placedLists[] = {{kSnapshotBuildingsFile, &s.buildings, kMaxLevelBuildings},
                     {kSnapshotWagonsFile, &s.wagons, kMaxLevelWagons}};
  for (const auto& placedList : placedLists) {
    if (!SnapshotFileExists(placedList.file)) continue;  // none of them on this level
    const size_t most = placedList.most;
    auto placed = ParseFile(
        placedList.file, most * kPlacedSize,
        [most](std::span<const uint8_t> bytes) { return ParsePlaced(bytes, most); }, why);
    if (!placed) return std::nullopt;
    *placedList.list = std::move(*placed);
  }
  auto things = ParseFile(kSnapshotThingsFile, kMaxLevelThings * kForegroundSize, ParseForeground, why);
  if (!things) return std::nullopt;
  s.things = std::move(*things);
  auto enemies = ParseFile(kSnapshotEnemiesFile, kMaxLevelEnemies * kEnemySize, ParseEnemies, why);
  if (!enemies) return std::nullopt;
  s.enemies = std::move(*enemies);
  auto hero = ParseFile(kSnapshotHeroFile, kHeroSize, ParseHero, why);
  if (!hero) return std::nullopt;
  s.hero = *hero;

  for (const char* file : {kSnapshotBuildingsFile, kSnapshotWagonsFile}) {
    if (SnapshotFileExists(file)) platform::RemoveFile(PathOf(file));
  }
  return s;
}

void RestoreCounters(TGame& game, const SnapshotHeader& header) {
  game.SetLevel(std::max(header.level, 0));
  game.levelKind = header.levelKind != 0 ? kTrainLevel : kCityLevel;
  game.SetScore(header.score);
  game.SetEnergy(std::clamp(header.energy, 0, kMaxEnergy));
  game.SetLives(std::clamp(header.lives, 0, kMaxLivesShown));
}

SnapshotExtras ExtrasOf(const SnapshotHeader& header) {
  SnapshotExtras extras;
  extras.pendingRecordRank = std::clamp(header.pendingRecordRank, 0, kLowestRank);
  extras.name.assign(header.name.begin(), header.name.begin() + std::min<int>(header.nameLength, kNameBytes));
  return extras;
}

void RestoreWorld(TGame& game, const WorldSnapshot& s) {
  RestoreCounters(game, s.header);
  game.StartRestoredLevel(s.background, s.foreground);
  RestoreHero(game, s.hero);
  game.PlaceCameraForScroll(game.hero->ScrollPos);
  for (const PlacedRecord& b : s.buildings) {
    if (b.kind >= 1 && b.kind <= kBuildingKinds) {
      AppendBuildingSprite(game, b.kind, static_cast<float>(b.x), static_cast<float>(b.y));
    }
  }
  // The roof boxes come back with the foreground objects (see the header).
  for (const PlacedRecord& w : s.wagons) {
    if (w.kind >= 1 && w.kind <= kWagonKinds) {
      AppendWagonSprite(game, w.kind, static_cast<float>(w.x), static_cast<float>(w.y));
    }
  }
  for (const ForegroundRecord& r : s.things) {
    auto thing = MakeThing(r.classCode);
    if (!thing) continue;
    actors::TFirstPlaneThing& t = *thing;
    game.foregroundObjects.push_back(std::move(thing));
    t.Init();
    t.X = r.x;
    t.Y = r.y;
    t.HalfHeight = r.halfHeight;
    t.HalfWidth = r.halfWidth;
    t.Place();
  }
  if (game.combat) game.combat->RestoreEnemies(s.enemies);
}

}  // namespace world
