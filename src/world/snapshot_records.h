// The records of the world snapshot files that carry a running game across a
// self-restart, as plain values, with their byte layouts. Every file is a
// flat sequence of fixed-size little-endian records with no header, count or
// checksum; positions are x87 80-bit reals (10 bytes). Gap bytes are written
// as zeros and ignored on reading.
//
// Encoding is explicit, field by field at the file's offsets, never a dump of
// a struct. The parsers take untrusted bytes: a file too short for its
// mandatory records, a list file that ends in a part record or holds more
// records than a level can make (level_limits.h), or a real that is not a
// finite number of sane size, is refused (nullopt); integer and flag fields
// are kept as read (the restore bounds what it uses).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace world::snapshot {

// Record sizes in bytes.
inline constexpr size_t kHeaderSize = 40;
inline constexpr size_t kLayerPositionSize = 8;
inline constexpr size_t kPlacedSize = 32;       // building and wagon records
inline constexpr size_t kForegroundSize = 56;
inline constexpr size_t kShotSize = 40;
inline constexpr size_t kEnemySize = 480;
inline constexpr size_t kHeroSize = 3952;

inline constexpr int kLayerRecords = 4;
inline constexpr int kNameBytes = 10;
inline constexpr int kEnemyShots = 10;
inline constexpr int kHeroShotsA = 15, kHeroShotsB = 45, kHeroShotsC = 15, kHeroShotsE = 15, kHeroGrenades = 5;

// A real read from a file is refused beyond this size: the game's positions
// stay within a few thousand units.
inline constexpr long double kLargestReal = 1e7L;

// Foreground class codes.
enum ForegroundCode : int32_t {
  kCodeBox = 1,
  kCodeBlackCar = 2,
  kCodeYellowCar = 3,
  kCodeTruck = 4,
  kCodeLowBeam = 5,
  kCodeVagonRectangle = 6,
  kCodeWindowFire = 7,
  kCodeRoundFire = 8,
};

// "data\game.dat": the run's counters and the name typed so far.
struct SnapshotHeader {
  int32_t level = 0;
  uint8_t levelKind = 0;             // 0 city, 1 train
  int32_t score = 0;
  int32_t pendingRecordRank = 0;     // 1..10 in the name-entry states
  int32_t energy = 0;
  int32_t lives = 0;
  int32_t currentWeapon = 1;
  uint8_t nameLength = 0;            // 0..10 (more is read as 10)
  std::array<uint8_t, kNameBytes> name{};
};

// "data\bp.dat", "data\fp.dat": one parallax tile.
struct LayerPosition {
  float x = 0, y = 0;
};
using LayerPositions = std::array<LayerPosition, kLayerRecords>;

// "data\bld.dat", "data\vgn.dat": a building (kind 1..8) or wagon (1..4).
struct PlacedRecord {
  int32_t kind = 0;
  long double x = 0, y = 0;
};

// "data\FPT.dat": one foreground object.
struct ForegroundRecord {
  int32_t classCode = 0;
  long double x = 0, y = 0, halfHeight = 0, halfWidth = 0;
};

// One projectile of a pool.
struct ShotRecord {
  long double x = 0, y = 0;
  int32_t age = 0;
  long double direction = 0;  // radians
  uint8_t free = 1;           // 1 idle in the pool

  bool operator==(const ShotRecord&) const = default;
};

// "data\E.dat": one enemy with its shots.
struct EnemyRecord {
  int32_t classCode = 0;                // 1..7
  int32_t reserved = 0;                 // written as 0, ignored
  uint8_t facingRight = 1;              // written, ignored on reading
  int32_t animTick = 0;                 // written, ignored on reading
  int32_t frame = 1;                    // written, ignored on reading
  long double x = 0, y = 0, halfHeight = 0, halfWidth = 0;
  int32_t hitPoints = 0;
  uint8_t dead = 0;
  uint8_t walks = 1;
  int32_t fireTick = 0;                 // written, ignored on reading
  std::array<ShotRecord, kEnemyShots> shots{};
};

// "data\hero.dat": the hero with his five saved pools.
struct HeroRecord {
  long double x = 0, y = 0, halfHeight = 0, halfWidth = 0;
  int32_t legFrame = 1, aim = 1, deathFrame = 1, weaponPose = 1, crawlFrame = 1;
  int32_t crawlSteps = 0, jumpCounter = 0, standCooldown = 0;
  uint8_t facingRight = 1;
  int32_t animTick = 0, deathTick = 0, fireTick = 0, upPressTick = 0;
  int32_t scrollPos = 0, lineOffset = 0;
  uint8_t walking = 0, dead = 0, crawling = 0, falling = 0, rising = 0, prone = 0;
  uint8_t canCrawl = 0, jumpPending = 0, landing = 0;
  long double groundY = 0, surfaceHeight = 0;
  std::array<ShotRecord, kHeroShotsA> shotsA{};
  std::array<ShotRecord, kHeroShotsB> shotsB{};
  std::array<ShotRecord, kHeroShotsC> shotsC{};
  std::array<ShotRecord, kHeroShotsE> shotsE{};
  std::array<ShotRecord, kHeroGrenades> grenades{};
};

// Whole files, encoded.
std::vector<uint8_t> EncodeHeader(const SnapshotHeader& header);
std::vector<uint8_t> EncodeLayers(const LayerPositions& tiles);
std::vector<uint8_t> EncodePlaced(std::span<const PlacedRecord> records);
std::vector<uint8_t> EncodeForeground(std::span<const ForegroundRecord> records);
std::vector<uint8_t> EncodeEnemies(std::span<const EnemyRecord> records);
std::vector<uint8_t> EncodeHero(const HeroRecord& hero);

// Whole files, parsed from untrusted bytes (see the top of this file).
std::optional<SnapshotHeader> ParseHeader(std::span<const uint8_t> bytes);
std::optional<LayerPositions> ParseLayers(std::span<const uint8_t> bytes);
// Buildings or wagons: at most `maxRecords` (kMaxLevelBuildings or kMaxLevelWagons).
std::optional<std::vector<PlacedRecord>> ParsePlaced(std::span<const uint8_t> bytes, size_t maxRecords);
std::optional<std::vector<ForegroundRecord>> ParseForeground(std::span<const uint8_t> bytes);
std::optional<std::vector<EnemyRecord>> ParseEnemies(std::span<const uint8_t> bytes);
std::optional<HeroRecord> ParseHero(std::span<const uint8_t> bytes);

}  // namespace world::snapshot
