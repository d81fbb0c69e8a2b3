// MaskedCounter: an int32 kept in memory only in a masked form, so that the
// clear value of a world counter (score, lives ...) never stands in memory
// where a memory editor could find and change it. A new counter reads 0.
#pragma once

#include <bit>
#include <cstdint>

namespace world {

class MaskedCounter {
 public:
  MaskedCounter() : key_(NextKey()), stored_(Mask(0)) {}
  int32_t Get() const { return static_cast<int32_t>(std::rotr(stored_ ^ key_, kRotation)); }
  void Set(int32_t value) { stored_ = Mask(value); }

 private:
  static constexpr int kRotation = 11;
  uint32_t Mask(int32_t value) const { return std::rotl(static_cast<uint32_t>(value), kRotation) ^ key_; }
  // A different key for every counter of the process; never drawn from the
  // level generator, whose sequence must stay untouched.
  static uint32_t NextKey();

  uint32_t key_;     // this counter's mask
  uint32_t stored_;  // rotated value xor key
};

}  // namespace world
