// TShareScreen: the promotion screen shown when the player confirms quitting:
// a full-screen picture, link buttons and an exit button that becomes usable
// when the printed countdown has run out. A description that is missing or
// not valid ends the engine on the first frame instead, and the window closes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine_link/engine_calls.h"
#include "menus/button.h"
#include "menus/share_config.h"
#include "menus/screen.h"

namespace menus {

inline constexpr long double kCountdownStep = 0.013L;  // per frame: one unit every ~77 frames

class TShareScreen final : public TScreen {
 public:
  // Reads "wdata\config.ini" and builds the screen.
  void Load();
  // Builds the screen from a description already read.
  void Build(const ShareConfig& config);

  // Per frame, before Draw: quits when not valid, else the buttons' hover tests.
  void HoverStep();
  // Per frame: a click on hovered buttons, the picture and buttons, the countdown.
  void Draw();
  // Each frame on the promotion screen: the pointer's hover, then the drawing.
  void Frame() override {
    HoverStep();
    Draw();
  }

  bool valid() const { return valid_; }
  long double countdown() const { return countdown_; }
  const std::vector<menus::TButton>& buttons() const { return buttons_; }
  std::vector<menus::TButton>& buttons() { return buttons_; }
  EHandle background() const { return background_; }

 private:
  void Quit();
  void ExitGame();

  bool valid_ = false;                 // false: the first frame quits the game
  std::vector<menus::TButton> buttons_;  // in file order; the last is the exit button
  long double countdown_ = 0;          // runs down to 0, then the exit button works
  int32_t countdownSize_ = 0;          // size of the printed digits
  int32_t countdownX_ = 0, countdownY_ = 0;  // screen pixels of the digits
  float red_ = 1, green_ = 1, blue_ = 1;     // colour of the digits
  EHandle background_ = 0;
  bool quitting_ = false;              // the engine has been asked to end
};

}  // namespace menus
