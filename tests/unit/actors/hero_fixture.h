// A hero on a level in play, with the level's scenery removed so that each
// test sets up only what it needs.
#pragma once

#include <gtest/gtest.h>

#include "actors/foreground_object.h"
#include "actors/hero.h"
#include "game_harness.h"
#include "world/game.h"

struct HeroOnLevel : ::testing::Test {
  void SetUp() override {
    game.StartPlaying();
    ASSERT_EQ(core::GameState(), core::gsPlaying);
    w().foregroundObjects.clear();
  }
  world::TGame& w() { return *game.context().game; }
  actors::THero& hero() { return *w().hero; }
  fake::FakeEngine& engine() { return game.engine(); }

  // A scenery object of kind T at (x, y), appended to the level.
  template <typename T>
  T& Add(long double x, long double y) {
    auto thing = std::make_unique<T>();
    T& t = *thing;
    t.Init();
    t.X = x;
    t.Y = y;
    w().foregroundObjects.push_back(std::move(thing));
    return t;
  }

  // Frames with the keys held, released afterwards.
  void HoldFor(std::initializer_list<int32_t> keys, int frames) {
    for (int32_t k : keys) game.Hold(k);
    game.Frame(frames);
    for (int32_t k : keys) game.Release(k);
  }

  testing_support::GameHarness game;
};
