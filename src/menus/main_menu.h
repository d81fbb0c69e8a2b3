// TMainMenu: the column of six items on the right half of the screen. It stays
// beside the help pages, the options and the high-score table, so its items can
// be chosen from those screens too. The selected item's highlight fades in and
// the others fade out.
#pragma once

#include <array>
#include <cstdint>

#include "engine_link/engine_calls.h"
#include "menus/screen.h"

namespace menus {

class TMainMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Item : uint8_t { kStart = 1, kHelp = 2, kOptions = 3, kHighScores = 4, kWeb = 5, kExit = 6 };
  static constexpr int kItems = 6;

  // Engine start: the twelve pictures; start selected, the options highlight lit.
  void Build();
  // Shows the column; a built world's tiles are hidden behind it.
  void Show();
  void Hide();
  // Key selection: wraps at both ends, clicks, and closes the side screens
  // when the new item is start, web or exit.
  void Select(bool up);
  // Hover selection (no sound); true when the item changed.
  bool SetItem(uint8_t item);
  uint8_t item() const { return item_; }
  // One frame of the highlights' fade.
  void HighlightFade();
  double Opacity(uint8_t item) const { return opacity_[item - 1]; }

  // The item's action (Enter or a click).
  void RunAction(uint8_t item);
  void Start();
  void Help();
  void Options();
  void HighScores();
  void Web();
  void Exit();
  // The item under the pointer, or 0.
  static uint8_t ItemAt(core::CursorPoint p);
  // Beside another screen: the pointer picks an item without the click sound.
  void HoverBeside(core::CursorPoint p);
  // An item clicked beside another screen; `shown` is that screen's own item, which does nothing.
  void ClickBeside(core::CursorPoint p, uint8_t shown);

 private:
  uint8_t item_ = kStart;                          // selected item 1..6
  std::array<EHandle, kItems> plain_{};            // by item - 1
  std::array<EHandle, kItems> lit_{};              // by item - 1
  std::array<double, kItems> opacity_{};           // of each highlight, by item - 1
};

}  // namespace menus
