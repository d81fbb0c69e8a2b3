// Small helpers for driving the menus through the harness: pointing and
// clicking at engine coordinates, and reading the printed texts.
#pragma once

#include <algorithm>
#include <string>

#include "menus/menu_keys.h"
#include "game_harness.h"
#include "menus/front_end.h"
#include "menus/typing.h"

namespace menus_test {

inline constexpr int32_t kF12 = 0x58;

// Moves the pointer to (x, y) in engine units and runs a frame (the hover test).
inline void PointAt(testing_support::GameHarness& game, float x, float y) {
  game.MoveMouse((x + 16) / 32, (12 - y) / 24);
  game.Frame();
}

// Points at (x, y), then clicks there in the next frame.
inline void ClickAt(testing_support::GameHarness& game, float x, float y) {
  PointAt(game, x, y);
  game.Click();
  game.Frame();
}

inline void Press(testing_support::GameHarness& game, int32_t code) {
  game.Tap(code);
  game.Frame();
}

// Holds the modifiers while `code` is tapped for one frame.
inline void Chord(testing_support::GameHarness& game, std::initializer_list<int32_t> modifiers, int32_t code) {
  for (int32_t m : modifiers) game.Hold(m);
  game.Tap(code);
  game.Frame();
  for (int32_t m : modifiers) game.Release(m);
}

inline bool Printed(testing_support::GameHarness& game, const std::string& text) {
  const auto& prints = game.engine().prints;
  return std::any_of(prints.begin(), prints.end(), [&](const fake::Print& p) { return p.text == text; });
}

inline const fake::Print* FindPrint(testing_support::GameHarness& game, const std::string& text) {
  for (const fake::Print& p : game.engine().prints) {
    if (p.text == text) return &p;
  }
  return nullptr;
}

inline void WriteText(testing_support::GameHarness& game, const std::string& file, const std::string& text) {
  game.folder().Write(file, std::vector<uint8_t>(text.begin(), text.end()));
}

inline menus::TFrontEnd& Menus() { return menus::Menus(); }

inline bool Shown(testing_support::GameHarness& game, const std::string& texture) {
  for (EHandle sprite : game.engine().SpritesShowing(texture)) {
    if (game.engine().sprites[sprite].shown) return true;
  }
  return false;
}

}  // namespace menus_test
