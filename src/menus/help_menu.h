// THelpMenu: eight help pages in a frame beside the main menu, turned with a
// "next" and a "previous" button whose highlights fade with the selection,
// and under them the player's controls where they are not the game's own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/controls.h"

#include "engine_link/engine_calls.h"
#include "menus/screen.h"

namespace menus {

class THelpMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Button : uint8_t { kNext = 1, kPrevious = 2 };
  static constexpr int kPages = 8;

  void Build();
  // Frame, label, buttons and page 1.
  void Show();
  void Hide();
  // Left and Right both switch between the two buttons.
  void Select();
  // Hover: true when the button changed.
  bool SetButton(uint8_t button);
  // Wraps: forward from the last page gives the first, backward from the first the last.
  void TurnPage(bool forward);
  // Enter: the selected button turns the page its way.
  void Press() { TurnPage(button_ == kNext); }
  // Esc: back to the main menu.
  void Back();
  // Each frame in the help state: the buttons' highlights.
  void Update();
  void Frame() override { Update(); }

  // The lines under the page that name the player's controls where they
  // differ from the game's own (none when they do not).
  static std::vector<std::string> OwnControlsLines(const core::Controls& controls);

  uint8_t button() const { return button_; }
  uint8_t page() const { return page_; }
  EHandle PageSprite(int page) const { return pages_[page - 1]; }

 private:
  void ShowPage(uint8_t page);
  void PrintOwnControls();
  static constexpr size_t kOwnControlsLineChars = 44;

  uint8_t button_ = kNext;                 // 1 next, 2 previous
  uint8_t page_ = 1;                       // 1..8
  EHandle frame_ = 0, label_ = 0;
  EHandle next_ = 0, previous_ = 0;        // plain buttons
  EHandle nextLit_ = 0, previousLit_ = 0;  // their highlights
  std::array<EHandle, kPages> pages_{};
  double nextOpacity_ = 1, previousOpacity_ = 1;
};

}  // namespace menus
