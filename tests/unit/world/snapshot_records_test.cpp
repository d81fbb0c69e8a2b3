// The snapshot records against their layouts, read from a golden file
// written by hand from the file tables: every field at its offset with its
// type, every other byte zero; and the readers' handling of untrusted bytes.
#include "world/snapshot_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "world/level_limits.h"

namespace world::snapshot {
namespace {

struct GoldenField {
  std::string name;
  size_t offset;
  std::string type;
  int count = 1;
};
struct GoldenRecord {
  size_t size = 0;
  std::vector<GoldenField> fields;
};

std::map<std::string, GoldenRecord> ReadGolden() {
  std::ifstream in(VARNOK_SNAPSHOT_GOLDEN);
  std::map<std::string, GoldenRecord> records;
  GoldenRecord* current = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first == "record") {
      std::string name;
      words >> name;
      current = &records[name];
      words >> current->size;
      continue;
    }
    GoldenField field{first, 0, "", 1};
    words >> field.offset >> field.type;
    if (!(words >> field.count)) field.count = 1;
    current->fields.push_back(field);
  }
  return records;
}

const std::map<std::string, GoldenRecord>& Golden() {
  static const auto golden = ReadGolden();
  return golden;
}

// Test values by field number k: distinct, non-zero in every byte position that matters.
int32_t IntValue(int k) { return 0x10203000 + k; }
uint8_t ByteValue(int k) { return static_cast<uint8_t>(k); }
float FloatValue(int k) { return 0.25f + static_cast<float>(k); }
long double RealValue(int k) { return 100.5L + k; }
ShotRecord ShotValue(int k, int j) {
  return ShotRecord{1000.0L + 100 * k + j, -3.25L - j, 7 * k + j, 0.5L + j, static_cast<uint8_t>(j % 2)};
}

// An x87 80-bit real decoded by hand: sign, biased exponent, explicit integer bit.
long double DecodeReal(const uint8_t* p) {
  uint64_t significand = 0;
  for (int i = 7; i >= 0; --i) significand = (significand << 8) | p[i];
  const int word = p[8] | (p[9] << 8);
  const int exponent = word & 0x7FFF;
  if (exponent == 0 && significand == 0) return 0;
  const long double magnitude = std::ldexp(static_cast<long double>(significand), exponent - 16383 - 63);
  return (word & 0x8000) ? -magnitude : magnitude;
}
int32_t DecodeInt(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}
float DecodeFloat(const uint8_t* p) {
  const int32_t bits = DecodeInt(p);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

template <typename Record>
using Setters = std::map<std::string, std::function<void(Record&, int k)>>;

template <size_t N>
void SetShots(std::array<ShotRecord, N>& shots, int k) {
  for (size_t j = 0; j < N; ++j) shots[j] = ShotValue(k, static_cast<int>(j));
}

// Fills every field the golden file names through `set`, encodes with
// `encode`, and checks each field's bytes and that the rest are zero.
template <typename Record>
void CheckLayout(const std::string& name, const Setters<Record>& set,
                 const std::function<std::vector<uint8_t>(const Record&)>& encode) {
  SCOPED_TRACE(name);
  const GoldenRecord& golden = Golden().at(name);
  const GoldenRecord& shotLayout = Golden().at("ShotRecord");
  Record record{};
  int k = 1;
  for (const GoldenField& f : golden.fields) {
    ASSERT_TRUE(set.count(f.name)) << "no setter for " << f.name;
    set.at(f.name)(record, k++);
  }
  const std::vector<uint8_t> bytes = encode(record);
  ASSERT_EQ(bytes.size(), golden.size);
  std::vector<bool> covered(bytes.size(), false);
  auto cover = [&](size_t at, size_t n) {
    ASSERT_LE(at + n, bytes.size());
    for (size_t i = 0; i < n; ++i) covered[at + i] = true;
  };
  k = 1;
  for (const GoldenField& f : golden.fields) {
    SCOPED_TRACE(f.name);
    const uint8_t* p = bytes.data() + f.offset;
    if (f.type == "int32") {
      EXPECT_EQ(DecodeInt(p), IntValue(k));
      cover(f.offset, 4);
    } else if (f.type == "byte") {
      for (int i = 0; i < f.count; ++i) EXPECT_EQ(p[i], static_cast<uint8_t>(ByteValue(k) + i));
      cover(f.offset, f.count);
    } else if (f.type == "float32") {
      EXPECT_EQ(DecodeFloat(p), FloatValue(k));
      cover(f.offset, 4);
    } else if (f.type == "real80") {
      EXPECT_EQ(DecodeReal(p), RealValue(k));
      cover(f.offset, 10);
    } else if (f.type == "shot") {
      for (int j = 0; j < f.count; ++j) {
        const ShotRecord expected = ShotValue(k, j);
        const size_t base = f.offset + j * shotLayout.size;
        for (const GoldenField& s : shotLayout.fields) {
          const uint8_t* q = bytes.data() + base + s.offset;
          if (s.name == "x") {
            EXPECT_EQ(DecodeReal(q), expected.x);
          }
          if (s.name == "y") {
            EXPECT_EQ(DecodeReal(q), expected.y);
          }
          if (s.name == "age") {
            EXPECT_EQ(DecodeInt(q), expected.age);
          }
          if (s.name == "direction") {
            EXPECT_EQ(DecodeReal(q), expected.direction);
          }
          if (s.name == "free") {
            EXPECT_EQ(q[0], expected.free);
          }
          cover(base + s.offset, s.type == "real80" ? 10 : s.type == "int32" ? 4 : 1);
        }
      }
    } else {
      ADD_FAILURE() << "unknown type " << f.type;
    }
    ++k;
  }
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (!covered[i]) {
      EXPECT_EQ(bytes[i], 0) << "gap byte " << i << " is not zero";
    }
  }
}

#define SET(field, value) {#field, [](auto& r, int k) { r.field = value; }}
#define SET_SHOTS(field) {#field, [](auto& r, int k) { SetShots(r.field, k); }}

TEST(SnapshotLayout, HeaderFieldsSitAtTheirOffsets) {
  Setters<SnapshotHeader> set{
      SET(level, IntValue(k)), SET(levelKind, ByteValue(k)), SET(score, IntValue(k)),
      SET(pendingRecordRank, IntValue(k)), SET(energy, IntValue(k)), SET(lives, IntValue(k)),
      SET(currentWeapon, IntValue(k)), SET(nameLength, ByteValue(k)),
      {"name", [](SnapshotHeader& r, int k) {
         for (int i = 0; i < kNameBytes; ++i) r.name[i] = static_cast<uint8_t>(ByteValue(k) + i);
       }}};
  CheckLayout<SnapshotHeader>("SnapshotHeader", set, EncodeHeader);
}

TEST(SnapshotLayout, LayerPositionFieldsSitAtTheirOffsets) {
  Setters<LayerPosition> set{SET(x, FloatValue(k)), SET(y, FloatValue(k))};
  CheckLayout<LayerPosition>("LayerPosition", set, [](const LayerPosition& p) {
    LayerPositions tiles{};
    tiles[0] = p;
    std::vector<uint8_t> bytes = EncodeLayers(tiles);
    bytes.resize(kLayerPositionSize);
    return bytes;
  });
}

TEST(SnapshotLayout, BuildingAndWagonFieldsSitAtTheirOffsets) {
  Setters<PlacedRecord> set{SET(kind, IntValue(k)), SET(x, RealValue(k)), SET(y, RealValue(k))};
  CheckLayout<PlacedRecord>("PlacedRecord", set, [](const PlacedRecord& p) { return EncodePlaced({&p, 1}); });
}

TEST(SnapshotLayout, ForegroundFieldsSitAtTheirOffsets) {
  Setters<ForegroundRecord> set{SET(classCode, IntValue(k)), SET(x, RealValue(k)), SET(y, RealValue(k)),
                                SET(halfHeight, RealValue(k)), SET(halfWidth, RealValue(k))};
  CheckLayout<ForegroundRecord>("ForegroundRecord", set,
                                [](const ForegroundRecord& f) { return EncodeForeground({&f, 1}); });
}

TEST(SnapshotLayout, EnemyFieldsAndItsTenShotsSitAtTheirOffsets) {
  Setters<EnemyRecord> set{
      SET(classCode, IntValue(k)), SET(reserved, IntValue(k)), SET(facingRight, ByteValue(k)),
      SET(animTick, IntValue(k)),  SET(frame, IntValue(k)),    SET(x, RealValue(k)),
      SET(y, RealValue(k)),        SET(halfHeight, RealValue(k)), SET(halfWidth, RealValue(k)),
      SET(hitPoints, IntValue(k)), SET(dead, ByteValue(k)),    SET(walks, ByteValue(k)),
      SET(fireTick, IntValue(k)),  SET_SHOTS(shots)};
  CheckLayout<EnemyRecord>("EnemyRecord", set, [](const EnemyRecord& e) { return EncodeEnemies({&e, 1}); });
}

TEST(SnapshotLayout, HeroFieldsAndHisFivePoolsSitAtTheirOffsets) {
  Setters<HeroRecord> set{
      SET(x, RealValue(k)),          SET(y, RealValue(k)),           SET(halfHeight, RealValue(k)),
      SET(halfWidth, RealValue(k)),  SET(legFrame, IntValue(k)),     SET(aim, IntValue(k)),
      SET(deathFrame, IntValue(k)),  SET(weaponPose, IntValue(k)),   SET(crawlFrame, IntValue(k)),
      SET(crawlSteps, IntValue(k)),  SET(jumpCounter, IntValue(k)),  SET(standCooldown, IntValue(k)),
      SET(facingRight, ByteValue(k)), SET(animTick, IntValue(k)),    SET(deathTick, IntValue(k)),
      SET(fireTick, IntValue(k)),    SET(upPressTick, IntValue(k)),  SET(scrollPos, IntValue(k)),
      SET(lineOffset, IntValue(k)),  SET(walking, ByteValue(k)),     SET(dead, ByteValue(k)),
      SET(crawling, ByteValue(k)),   SET(falling, ByteValue(k)),     SET(rising, ByteValue(k)),
      SET(prone, ByteValue(k)),      SET(canCrawl, ByteValue(k)),    SET(jumpPending, ByteValue(k)),
      SET(landing, ByteValue(k)),    SET(groundY, RealValue(k)),     SET(surfaceHeight, RealValue(k)),
      SET_SHOTS(shotsA),             SET_SHOTS(shotsB),              SET_SHOTS(shotsC),
      SET_SHOTS(shotsE),             SET_SHOTS(grenades)};
  CheckLayout<HeroRecord>("HeroRecord", set, EncodeHero);
}

#undef SET
#undef SET_SHOTS

std::vector<uint8_t> WithReal(std::vector<uint8_t> bytes, size_t at, uint64_t significand, uint16_t word) {
  std::memcpy(bytes.data() + at, &significand, 8);
  std::memcpy(bytes.data() + at + 8, &word, 2);
  return bytes;
}

TEST(SnapshotReaders, ShortMandatoryFilesAreRefused) {
  const std::vector<uint8_t> header = EncodeHeader({});
  EXPECT_FALSE(ParseHeader(std::span(header).first(kHeaderSize - 1)));
  EXPECT_TRUE(ParseHeader(header));
  const std::vector<uint8_t> layers = EncodeLayers({});
  EXPECT_FALSE(ParseLayers(std::span(layers).first(3 * kLayerPositionSize + 7)));
  const std::vector<uint8_t> hero = EncodeHero({});
  EXPECT_FALSE(ParseHero(std::span(hero).first(kHeroSize - 1)));
  EXPECT_FALSE(ParseHero({}));
}

TEST(SnapshotReaders, ListFilesHoldWholeRecordsAndNoMoreThanALevelCanMake) {
  std::vector<ForegroundRecord> things(3);
  for (int i = 0; i < 3; ++i) things[i] = {i + 1, 1.0L * i, -8, 1.5L, 2.5L};
  std::vector<uint8_t> bytes = EncodeForeground(things);
  const auto parsed = ParseForeground(bytes);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->size(), 3u);
  EXPECT_EQ((*parsed)[2].classCode, 3);
  EXPECT_EQ((*parsed)[2].halfWidth, 2.5L);
  EXPECT_TRUE(ParseEnemies({})->empty()) << "an empty file is an empty list";
  bytes.resize(bytes.size() + kForegroundSize - 1, 0xAB);
  EXPECT_FALSE(ParseForeground(bytes)) << "a part record at the end is damage";

  const struct {
    const char* file;
    size_t most, size;
    std::function<bool(std::span<const uint8_t>)> parses;
  } lists[] = {
      {"buildings", world::kMaxLevelBuildings, kPlacedSize, [](auto b) { return ParsePlaced(b, world::kMaxLevelBuildings).has_value(); }},
      {"foreground", world::kMaxLevelThings, kForegroundSize, [](auto b) { return ParseForeground(b).has_value(); }},
      {"enemies", world::kMaxLevelEnemies, kEnemySize, [](auto b) { return ParseEnemies(b).has_value(); }},
  };
  for (const auto& list : lists) {
    EXPECT_TRUE(list.parses(std::vector<uint8_t>(list.most * list.size, 0))) << list.file;
    EXPECT_FALSE(list.parses(std::vector<uint8_t>((list.most + 1) * list.size, 0))) << list.file;
    EXPECT_FALSE(list.parses(std::vector<uint8_t>(list.size + 1, 0))) << list.file;
  }
}

TEST(SnapshotReaders, RealsThatAreNotUsablePositionsRefuseTheFile) {
  const auto Wagons = [](std::span<const uint8_t> bytes) { return ParsePlaced(bytes, world::kMaxLevelWagons); };
  const PlacedRecord wagon{2, 12.4L, -6.1L};
  const std::vector<uint8_t> good = EncodePlaced({&wagon, 1});
  ASSERT_TRUE(Wagons(good));
  EXPECT_EQ(Wagons(good)->front().y, -6.1L);
  const uint64_t integerBit = uint64_t{1} << 63;
  EXPECT_FALSE(Wagons(WithReal(good, 8, integerBit | 1, 0x7FFF))) << "NaN";
  EXPECT_FALSE(Wagons(WithReal(good, 8, integerBit, 0xFFFF))) << "minus infinity";
  EXPECT_FALSE(Wagons(WithReal(good, 8, 1, 0x3FFF))) << "unnormal: exponent without the integer bit";
  EXPECT_FALSE(Wagons(WithReal(good, 18, integerBit, 0x3FFF + 40))) << "far beyond any level";
  EXPECT_TRUE(Wagons(WithReal(good, 18, 0, 0))) << "zero";
}

TEST(SnapshotReaders, EveryRecordReadsBackAsWritten) {
  EnemyRecord enemy;
  enemy.classCode = 5;
  enemy.x = 123.456789L;
  enemy.y = -7.9L;
  enemy.hitPoints = -12;
  enemy.dead = 1;
  enemy.walks = 0;
  enemy.shots[9] = {3.3L, 4.4L, 17, 3.14159L, 0};
  const auto enemies = ParseEnemies(EncodeEnemies({&enemy, 1}));
  ASSERT_TRUE(enemies);
  EXPECT_EQ((*enemies)[0].x, enemy.x) << "80-bit reals keep every bit";
  EXPECT_EQ((*enemies)[0].hitPoints, -12);
  EXPECT_EQ((*enemies)[0].walks, 0);
  EXPECT_EQ((*enemies)[0].shots[9], enemy.shots[9]);

  SnapshotHeader header;
  header.nameLength = 200;  // never written by the game
  const auto parsed = ParseHeader(EncodeHeader(header));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->nameLength, kNameBytes) << "a length beyond the field is held to it";
}

}  // namespace
}  // namespace world::snapshot
