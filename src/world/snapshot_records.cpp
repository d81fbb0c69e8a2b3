#include "world/snapshot_records.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "world/level_limits.h"

namespace world::snapshot {
namespace {

static_assert(std::endian::native == std::endian::little, "the files are little-endian and copied as such");
static_assert(std::numeric_limits<long double>::digits == 64 && std::numeric_limits<long double>::max_exponent == 16384,
              "positions are x87 80-bit reals; long double must be that format");

constexpr size_t kRealSize = 10;
constexpr uint16_t kExponentMask = 0x7FFF;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;

// Writes fields at fixed offsets of one record; untouched bytes stay zero.
class RecordWriter {
 public:
  RecordWriter(std::vector<uint8_t>& out, size_t size) : out_(out), base_(out.size()) { out.resize(base_ + size, 0); }
  void Int(size_t at, int32_t v) { Raw(at, &v, sizeof v); }
  void Byte(size_t at, uint8_t v) { out_[base_ + at] = v; }
  void Float(size_t at, float v) { Raw(at, &v, sizeof v); }
  void Real(size_t at, long double v) { Raw(at, &v, kRealSize); }  // the 10 bytes of the x87 value
  void Shots(size_t at, std::span<const ShotRecord> shots);

 private:
  void Raw(size_t at, const void* v, size_t n) { std::memcpy(out_.data() + base_ + at, v, n); }
  std::vector<uint8_t>& out_;
  size_t base_;
};

// Reads fields of one record; a real that is not a usable number marks the record bad.
class RecordReader {
 public:
  explicit RecordReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  int32_t Int(size_t at) const { return Load<int32_t>(at); }
  uint8_t Byte(size_t at) const { return bytes_[at]; }
  float Float(size_t at) {
    const float v = Load<float>(at);
    if (!std::isfinite(v) || std::fabs(v) > kLargestReal) ok_ = false;
    return v;
  }
  long double Real(size_t at);
  void Shots(size_t at, std::span<ShotRecord> shots);
  bool ok() const { return ok_; }

 private:
  template <typename T>
  T Load(size_t at) const {
    T v;
    std::memcpy(&v, bytes_.data() + at, sizeof v);
    return v;
  }
  std::span<const uint8_t> bytes_;
  bool ok_ = true;
};

long double RecordReader::Real(size_t at) {
  const uint64_t significand = Load<uint64_t>(at);
  const uint16_t exponent = Load<uint16_t>(at + 8) & kExponentMask;
  // Infinities, NaNs and the encodings the x87 itself refuses (an integer bit
  // that disagrees with the exponent) are not positions.
  const bool integerBit = (significand & kIntegerBit) != 0;
  if (exponent == kExponentMask || (exponent != 0 && !integerBit) || (exponent == 0 && integerBit)) {
    ok_ = false;
    return 0;
  }
  long double v = 0;
  std::memcpy(&v, bytes_.data() + at, kRealSize);
  if (std::fabs(v) > kLargestReal) {
    ok_ = false;
    return 0;
  }
  return v;
}

// ShotRecord: X 0, Y 10, Age 20, Direction 24, Free 34, gap 35..39.
void RecordWriter::Shots(size_t at, std::span<const ShotRecord> shots) {
  for (const ShotRecord& shot : shots) {
    Real(at + 0, shot.x);
    Real(at + 10, shot.y);
    Int(at + 20, shot.age);
    Real(at + 24, shot.direction);
    Byte(at + 34, shot.free);
    at += kShotSize;
  }
}

void RecordReader::Shots(size_t at, std::span<ShotRecord> shots) {
  for (ShotRecord& shot : shots) {
    shot.x = Real(at + 0);
    shot.y = Real(at + 10);
    shot.age = Int(at + 20);
    shot.direction = Real(at + 24);
    shot.free = Byte(at + 34);
    at += kShotSize;
  }
}

// A file of whole records, at most `maxRecords`, every one parsed; nullopt for
// a part record at the end (a damaged file), too many records or a bad one.
template <typename Record, typename ParseOne>
std::optional<std::vector<Record>> ParseList(std::span<const uint8_t> bytes, size_t size, size_t maxRecords,
                                             ParseOne parseOne) {
  if (bytes.size() % size != 0 || bytes.size() / size > maxRecords) return std::nullopt;
  std::vector<Record> records;
  records.reserve(bytes.size() / size);
  for (size_t at = 0; at + size <= bytes.size(); at += size) {
    RecordReader reader(bytes.subspan(at, size));
    records.push_back(parseOne(reader));
    if (!reader.ok()) return std::nullopt;
  }
  return records;
}

template <typename Record, typename EncodeOne>
std::vector<uint8_t> EncodeList(std::span<const Record> records, size_t size, EncodeOne encodeOne) {
  std::vector<uint8_t> out;
  out.reserve(records.size() * size);
  for (const Record& record : records) {
    RecordWriter writer(out, size);
    encodeOne(writer, record);
  }
  return out;
}

}  // namespace

// SnapshotHeader: level 0, kind 4, score 8, rank 12, energy 16, lives 20,
// weapon 24, name length 28, name 29..38, gap 5..7 and 39.
std::vector<uint8_t> EncodeHeader(const SnapshotHeader& header) {
  std::vector<uint8_t> out;
  RecordWriter w(out, kHeaderSize);
  w.Int(0, header.level);
  w.Byte(4, header.levelKind);
  w.Int(8, header.score);
  w.Int(12, header.pendingRecordRank);
  w.Int(16, header.energy);
  w.Int(20, header.lives);
  w.Int(24, header.currentWeapon);
  w.Byte(28, header.nameLength);
  for (int i = 0; i < kNameBytes; ++i) w.Byte(29 + i, header.name[i]);
  return out;
}

std::optional<SnapshotHeader> ParseHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const RecordReader r(bytes);
  SnapshotHeader header;
  header.level = r.Int(0);
  header.levelKind = r.Byte(4);
  header.score = r.Int(8);
  header.pendingRecordRank = r.Int(12);
  header.energy = r.Int(16);
  header.lives = r.Int(20);
  header.currentWeapon = r.Int(24);
  header.nameLength = static_cast<uint8_t>(std::min<int>(r.Byte(28), kNameBytes));
  for (int i = 0; i < kNameBytes; ++i) header.name[i] = r.Byte(29 + i);
  return header;
}

// LayerPosition: x 0, y 4 (32-bit floats).
std::vector<uint8_t> EncodeLayers(const LayerPositions& tiles) {
  return EncodeList<LayerPosition>(tiles, kLayerPositionSize, [](RecordWriter& w, const LayerPosition& tile) {
    w.Float(0, tile.x);
    w.Float(4, tile.y);
  });
}

std::optional<LayerPositions> ParseLayers(std::span<const uint8_t> bytes) {
  if (bytes.size() < kLayerRecords * kLayerPositionSize) return std::nullopt;
  const auto list =
      ParseList<LayerPosition>(bytes.first(kLayerRecords * kLayerPositionSize), kLayerPositionSize, kLayerRecords,
                               [](RecordReader& r) { return LayerPosition{r.Float(0), r.Float(4)}; });
  if (!list) return std::nullopt;
  LayerPositions tiles;
  for (int i = 0; i < kLayerRecords; ++i) tiles[i] = (*list)[i];
  return tiles;
}

// BuildingRecord / WagonRecord: kind 0, gap 4, x 8, y 18, gap 28.
std::vector<uint8_t> EncodePlaced(std::span<const PlacedRecord> records) {
  return EncodeList(records, kPlacedSize, [](RecordWriter& w, const PlacedRecord& p) {
    w.Int(0, p.kind);
    w.Real(8, p.x);
    w.Real(18, p.y);
  });
}

std::optional<std::vector<PlacedRecord>> ParsePlaced(std::span<const uint8_t> bytes, size_t maxRecords) {
  return ParseList<PlacedRecord>(bytes, kPlacedSize, maxRecords, [](RecordReader& r) {
    PlacedRecord p;
    p.kind = r.Int(0);
    p.x = r.Real(8);
    p.y = r.Real(18);
    return p;
  });
}

// ForegroundRecord: code 0, gap 4, X 8, Y 18, gap 28, HalfHeight 32, HalfWidth 42, gap 52.
std::vector<uint8_t> EncodeForeground(std::span<const ForegroundRecord> records) {
  return EncodeList(records, kForegroundSize, [](RecordWriter& w, const ForegroundRecord& f) {
    w.Int(0, f.classCode);
    w.Real(8, f.x);
    w.Real(18, f.y);
    w.Real(32, f.halfHeight);
    w.Real(42, f.halfWidth);
  });
}

std::optional<std::vector<ForegroundRecord>> ParseForeground(std::span<const uint8_t> bytes) {
  return ParseList<ForegroundRecord>(bytes, kForegroundSize, kMaxLevelThings, [](RecordReader& r) {
    ForegroundRecord f;
    f.classCode = r.Int(0);
    f.x = r.Real(8);
    f.y = r.Real(18);
    f.halfHeight = r.Real(32);
    f.halfWidth = r.Real(42);
    return f;
  });
}

// EnemyRecord: code 0, reserved 4, facing 8, anim tick 12, frame 16, gap 20,
// X 24, Y 34, gap 44, HalfHeight 48, HalfWidth 58, hit points 68, Dead 72,
// Walks 73, gap 74, fire tick 76, ten shots from 80.
std::vector<uint8_t> EncodeEnemies(std::span<const EnemyRecord> records) {
  return EncodeList(records, kEnemySize, [](RecordWriter& w, const EnemyRecord& e) {
    w.Int(0, e.classCode);
    w.Int(4, e.reserved);
    w.Byte(8, e.facingRight);
    w.Int(12, e.animTick);
    w.Int(16, e.frame);
    w.Real(24, e.x);
    w.Real(34, e.y);
    w.Real(48, e.halfHeight);
    w.Real(58, e.halfWidth);
    w.Int(68, e.hitPoints);
    w.Byte(72, e.dead);
    w.Byte(73, e.walks);
    w.Int(76, e.fireTick);
    w.Shots(80, e.shots);
  });
}

std::optional<std::vector<EnemyRecord>> ParseEnemies(std::span<const uint8_t> bytes) {
  return ParseList<EnemyRecord>(bytes, kEnemySize, kMaxLevelEnemies, [](RecordReader& r) {
    EnemyRecord e;
    e.classCode = r.Int(0);
    e.reserved = r.Int(4);
    e.facingRight = r.Byte(8);
    e.animTick = r.Int(12);
    e.frame = r.Int(16);
    e.x = r.Real(24);
    e.y = r.Real(34);
    e.halfHeight = r.Real(48);
    e.halfWidth = r.Real(58);
    e.hitPoints = r.Int(68);
    e.dead = r.Byte(72);
    e.walks = r.Byte(73);
    e.fireTick = r.Int(76);
    r.Shots(80, e.shots);
    return e;
  });
}

namespace {

// HeroRecord offsets.
constexpr size_t kHeroShotsAAt = 152, kHeroShotsBAt = 752, kHeroShotsCAt = 2552, kHeroShotsEAt = 3152,
                 kHeroGrenadesAt = 3752;
constexpr size_t kHeroFlagsAt = 104;  // Walking .. Landing, one byte each

}  // namespace

std::vector<uint8_t> EncodeHero(const HeroRecord& h) {
  std::vector<uint8_t> out;
  RecordWriter w(out, kHeroSize);
  w.Real(0, h.x);
  w.Real(10, h.y);
  w.Real(24, h.halfHeight);
  w.Real(34, h.halfWidth);
  w.Int(44, h.legFrame);
  w.Int(48, h.aim);
  w.Int(52, h.deathFrame);
  w.Int(56, h.weaponPose);
  w.Int(60, h.crawlFrame);
  w.Int(64, h.crawlSteps);
  w.Int(68, h.jumpCounter);
  w.Int(72, h.standCooldown);
  w.Byte(76, h.facingRight);
  w.Int(80, h.animTick);
  w.Int(84, h.deathTick);
  w.Int(88, h.fireTick);
  w.Int(92, h.upPressTick);
  w.Int(96, h.scrollPos);
  w.Int(100, h.lineOffset);
  const uint8_t flags[] = {h.walking, h.dead, h.crawling, h.falling, h.rising,
                           h.prone,   h.canCrawl, h.jumpPending, h.landing};
  for (size_t i = 0; i < std::size(flags); ++i) w.Byte(kHeroFlagsAt + i, flags[i]);
  w.Real(120, h.groundY);
  w.Real(136, h.surfaceHeight);
  w.Shots(kHeroShotsAAt, h.shotsA);
  w.Shots(kHeroShotsBAt, h.shotsB);
  w.Shots(kHeroShotsCAt, h.shotsC);
  w.Shots(kHeroShotsEAt, h.shotsE);
  w.Shots(kHeroGrenadesAt, h.grenades);
  return out;
}

std::optional<HeroRecord> ParseHero(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeroSize) return std::nullopt;
  RecordReader r(bytes.first(kHeroSize));
  HeroRecord h;
  h.x = r.Real(0);
  h.y = r.Real(10);
  h.halfHeight = r.Real(24);
  h.halfWidth = r.Real(34);
  h.legFrame = r.Int(44);
  h.aim = r.Int(48);
  h.deathFrame = r.Int(52);
  h.weaponPose = r.Int(56);
  h.crawlFrame = r.Int(60);
  h.crawlSteps = r.Int(64);
  h.jumpCounter = r.Int(68);
  h.standCooldown = r.Int(72);
  h.facingRight = r.Byte(76);
  h.animTick = r.Int(80);
  h.deathTick = r.Int(84);
  h.fireTick = r.Int(88);
  h.upPressTick = r.Int(92);
  h.scrollPos = r.Int(96);
  h.lineOffset = r.Int(100);
  uint8_t* flags[] = {&h.walking, &h.dead, &h.crawling, &h.falling, &h.rising,
                      &h.prone,   &h.canCrawl, &h.jumpPending, &h.landing};
  for (size_t i = 0; i < std::size(flags); ++i) *flags[i] = r.Byte(kHeroFlagsAt + i);
  h.groundY = r.Real(120);
  h.surfaceHeight = r.Real(136);
  r.Shots(kHeroShotsAAt, h.shotsA);
  r.Shots(kHeroShotsBAt, h.shotsB);
  r.Shots(kHeroShotsCAt, h.shotsC);
  r.Shots(kHeroShotsEAt, h.shotsE);
  r.Shots(kHeroGrenadesAt, h.grenades);
  if (!r.ok()) return std::nullopt;
  return h;
}

}  // namespace world::snapshot
