#include "world/masked_counter.h"

#include <atomic>
#include <chrono>

namespace world {

uint32_t MaskedCounter::NextKey() {
  static std::atomic<uint64_t> sequence{static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count())};
  // splitmix64 step: neighbouring sequence numbers give unrelated keys.
  uint64_t z = sequence.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>(z ^ (z >> 31));
}

}  // namespace world
