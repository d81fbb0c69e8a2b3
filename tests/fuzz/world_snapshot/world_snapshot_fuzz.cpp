// Fuzzes one reader of the world snapshot files, chosen at build time: any
// bytes give a refusal or whole records, no more than a level can make, whose
// reals are finite and within bounds.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "world/level_limits.h"
#include "world/snapshot_records.h"

namespace {

using namespace world::snapshot;

void CheckReal(long double v) {
  if (!std::isfinite(v) || std::fabs(v) > kLargestReal) std::abort();
}

template <size_t N>
void CheckShots(const std::array<ShotRecord, N>& shots) {
  for (const ShotRecord& s : shots) {
    CheckReal(s.x);
    CheckReal(s.y);
    CheckReal(s.direction);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
#if defined(FUZZ_HEADER)
  if (auto h = ParseHeader(bytes); h && h->nameLength > kNameBytes) std::abort();
#elif defined(FUZZ_LAYERS)
  if (auto tiles = ParseLayers(bytes)) {
    for (const LayerPosition& t : *tiles) CheckReal(t.x), CheckReal(t.y);
  }
#elif defined(FUZZ_PLACED)
  if (auto list = ParsePlaced(bytes, world::kMaxLevelBuildings)) {
    if (size % kPlacedSize != 0 || list->size() != size / kPlacedSize) std::abort();
    if (list->size() > world::kMaxLevelBuildings) std::abort();
    for (const PlacedRecord& p : *list) CheckReal(p.x), CheckReal(p.y);
  }
#elif defined(FUZZ_FOREGROUND)
  if (auto list = ParseForeground(bytes)) {
    if (size % kForegroundSize != 0 || list->size() != size / kForegroundSize) std::abort();
    if (list->size() > world::kMaxLevelThings) std::abort();
    for (const ForegroundRecord& f : *list) CheckReal(f.x), CheckReal(f.halfWidth);
  }
#elif defined(FUZZ_ENEMIES)
  if (auto list = ParseEnemies(bytes)) {
    if (size % kEnemySize != 0 || list->size() != size / kEnemySize) std::abort();
    if (list->size() > world::kMaxLevelEnemies) std::abort();
    for (const EnemyRecord& e : *list) CheckReal(e.y), CheckShots(e.shots);
  }
#elif defined(FUZZ_HERO)
  if (auto h = ParseHero(bytes)) {
    CheckReal(h->groundY);
    CheckShots(h->shotsB);
    CheckShots(h->grenades);
  }
#else
#error "choose the reader to fuzz"
#endif
  return 0;
}
