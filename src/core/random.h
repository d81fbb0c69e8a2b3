// R(n): the one random generator of the process, seeded once from the clock
// (tests seed it). A linear congruential generator whose draw takes the high
// bits, so R(n) is uniform enough for level layouts and cheap to reproduce.
// Tests may also script the next draws to lay out a level they know.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace core {

class RandomGenerator {
 public:
  void Seed(uint32_t seed) { seed_ = seed; }
  void SeedFromClock();
  // Seeds from a decimal number 0..4294967295 (a fixed seed gives a
  // benchmark or a bug report the same levels every run); false, and the
  // seed left alone, for anything else.
  bool SeedFromText(const char* text);
  uint32_t seed() const { return seed_; }
  // A uniform integer 0..n-1; 0 when n <= 0.
  int32_t R(int32_t n);
  // The next draws answer these values in order (each taken modulo n, so a
  // draw always stays in 0..n-1), then the generator takes over again.
  void Script(const std::vector<int32_t>& values) { script_.assign(values.begin(), values.end()); }
  size_t ScriptedLeft() const { return script_.size(); }

 private:
  uint32_t seed_ = 0;
  std::deque<int32_t> script_;
};

}  // namespace core
