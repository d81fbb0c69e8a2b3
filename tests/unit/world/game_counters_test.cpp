#include <gtest/gtest.h>

#include <cstring>

#include "world/game.h"

namespace {

TEST(GameCounters, NewWorldReadsZeroFromEveryCounter) {
  world::TGame game;
  EXPECT_EQ(game.Score(), 0);
  EXPECT_EQ(game.Level(), 0);
  EXPECT_EQ(game.Energy(), 0);
  EXPECT_EQ(game.Lives(), 0);
  EXPECT_EQ(game.Armor(), 0);
}

TEST(GameCounters, EachCounterKeepsItsOwnValue) {
  world::TGame game;
  game.SetScore(123450);
  game.SetLevel(7);
  game.SetEnergy(-3);
  game.SetLives(2);
  game.SetArmor(INT32_MIN);
  EXPECT_EQ(game.Score(), 123450);
  EXPECT_EQ(game.Level(), 7);
  EXPECT_EQ(game.Energy(), -3);
  EXPECT_EQ(game.Lives(), 2);
  EXPECT_EQ(game.Armor(), INT32_MIN);
}

bool BytesContain(const void* object, size_t size, int32_t value) {
  const auto* bytes = static_cast<const unsigned char*>(object);
  for (size_t i = 0; i + sizeof value <= size; ++i) {
    if (std::memcmp(bytes + i, &value, sizeof value) == 0) return true;
  }
  return false;
}

TEST(GameCounters, ClearValuesNeverStandInTheWorldsMemory) {
  world::TGame game;
  constexpr int32_t kScore = 987654321;
  game.SetScore(kScore);
  game.SetLives(kScore - 1);
  EXPECT_FALSE(BytesContain(&game, sizeof game, kScore));
  EXPECT_FALSE(BytesContain(&game, sizeof game, kScore - 1));
}

}  // namespace
