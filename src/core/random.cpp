#include "core/random.h"

#include <chrono>

namespace core {

void RandomGenerator::SeedFromClock() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  seed_ = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

bool RandomGenerator::SeedFromText(const char* text) {
  if (!text || !*text) return false;
  uint64_t value = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9' || c - text >= 10) return false;
    value = value * 10 + static_cast<uint64_t>(*c - '0');
  }
  if (value > UINT32_MAX) return false;
  seed_ = static_cast<uint32_t>(value);
  return true;
}

int32_t RandomGenerator::R(int32_t n) {
  if (!script_.empty()) {
    const int32_t v = script_.front();
    script_.pop_front();
    if (n <= 0) return 0;
    const int32_t r = v % n;
    return r < 0 ? r + n : r;
  }
  seed_ = seed_ * 134775813u + 1u;
  if (n <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(seed_) * static_cast<uint32_t>(n)) >> 32);
}

}  // namespace core
