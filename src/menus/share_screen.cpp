#include "menus/share_screen.h"

#include <cmath>
#include <string>

#include "core/game_context.h"
#include "core/screen_units.h"
#include "core/sprites.h"

namespace menus {
namespace {

using core::kUnitsPerPixel;
constexpr float kLeftEdge = -core::kHalfWidthUnits, kDigitsTop = 12.2f;
constexpr float kSizeToScale = 0.06f;
constexpr float kColourDivisor = 256;
constexpr float kDigitSpacing = 0.1f;

}  // namespace

void TShareScreen::Load() { Build(LoadShareConfig()); }

void TShareScreen::Build(const ShareConfig& config) {
  valid_ = config.valid;
  if (!valid_) return;
  background_ = core::MakeSprite({.textureFile = config.background.c_str(),
                                 .scale = {core::kFullScreenScaleW, core::kFullScreenScaleH},
                                 .location = {0, 0}});

  buttons_.resize(config.buttons.size());
  for (size_t i = 0; i < config.buttons.size(); ++i) {
    const ShareButtonSpec& button = config.buttons[i];
    buttons_[i].Create(button.hoverRect, button.normalRect, button.disabledRect, button.hoverImage, button.normalImage,
                       button.action == menus::kExitAction ? button.disabledImage : std::string(), button.action);
  }
  countdown_ = config.countdownStart;
  countdownSize_ = config.countdownSize;
  countdownX_ = config.countdownX;
  countdownY_ = config.countdownY;
  red_ = static_cast<float>(config.red) / kColourDivisor;
  green_ = static_cast<float>(config.green) / kColourDivisor;
  blue_ = static_cast<float>(config.blue) / kColourDivisor;
}

void TShareScreen::HoverStep() {
  if (!valid_) {
    Quit();
    return;
  }
  for (menus::TButton& button : buttons_) button.Hover();
}

void TShareScreen::Draw() {
  if (!valid_) return;
  if (core::TakeClick()) {
    for (menus::TButton& button : buttons_) {
      if (!button.hovered()) continue;
      if (!button.IsExit()) {
        button.Click();
      } else if (countdown_ <= 0) {
        ExitGame();
        return;
      }
    }
  }

  iSpriteShow(background_);
  for (menus::TButton& button : buttons_) button.Draw();

  if (countdown_ > 0) countdown_ -= kCountdownStep;
  // The digits are drawn afresh each frame; printed texts otherwise stay.
  iPrintsHide();
  if (countdown_ <= 0) {
    for (menus::TButton& button : buttons_) {
      if (button.IsExit()) button.set_enabled(true);
    }
    return;
  }
  const std::string digits = std::to_string(std::llround(countdown_ + 1));
  iPrintColorSet(red_, green_, blue_, 1);
  const EngineVec location{static_cast<float>(countdownX_) * kUnitsPerPixel + kLeftEdge,
                           kDigitsTop - static_cast<float>(countdownY_) * kUnitsPerPixel, 0};
  const float scale = static_cast<float>(countdownSize_) * kSizeToScale;
  const EngineVec size{scale, scale, 0};
  iPrint(digits.c_str(), &location, &size, kDigitSpacing, core::Ctx().res.secondFont);
}

void TShareScreen::Quit() {
  if (quitting_) return;
  quitting_ = true;
  // As the exit button does, but without opening the play link.
  core::TheShell().Exit();
}

void TShareScreen::ExitGame() {
  if (quitting_) return;
  quitting_ = true;
  core::TheShell().ExitAndOpenPlayLink();
}

}  // namespace menus
