// R(n): the one random generator of the process, seeded once from the clock
// (tests seed it). A linear congruential generator whose draw takes the high
// bits, so R(n) is uniform enough for level layouts and cheap to reproduce.
#pragma once

#include <cstdint>

namespace app {

class RandomGenerator {
 public:
  void Seed(uint32_t seed) { seed_ = seed; }
  void SeedFromClock();
  uint32_t seed() const { return seed_; }
  // A uniform integer 0..n-1; 0 when n <= 0.
  int32_t R(int32_t n);

 private:
  uint32_t seed_ = 0;
};

}  // namespace app
