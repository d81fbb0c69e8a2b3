#include "menus/help_menu.h"

#include <cstdio>

#include "core/game_context.h"
#include "menus/controls_menu.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kButtonW = 5, kButtonH = 2.5f, kButtonY = -7.8f;
constexpr float kNextX = -5, kPreviousX = -10;
constexpr float kOwnControlsScale = 0.28f, kOwnControlsCharWidth = 1.2f * kOwnControlsScale;
constexpr float kOwnControlsX = -7, kOwnControlsY = -5.1f, kOwnControlsStep = 0.5f;
constexpr size_t kOwnControlsLines = 3;

}  // namespace

void THelpMenu::Build() {
  frame_ = CreatePicture("data\\Frame.png", 12.5f, 10, -7, -2);
  label_ = CreatePicture("data\\HelpLabel.png", 11.25f, 5, 8, 8);
  next_ = CreatePicture("data\\PHMNext.png", kButtonW, kButtonH, kNextX, kButtonY);
  previous_ = CreatePicture("data\\PHMPrevious.png", kButtonW, kButtonH, kPreviousX, kButtonY);
  nextLit_ = CreatePicture("data\\AHMNext.png", kButtonW, kButtonH, kNextX, kButtonY);
  previousLit_ = CreatePicture("data\\AHMPrevious.png", kButtonW, kButtonH, kPreviousX, kButtonY);
  for (int page = 1; page <= kPages; ++page) {
    char file[32];
    std::snprintf(file, sizeof file, "data\\over%d.png", page);
    pages_[page - 1] = CreatePicture(file, 10, 7, -7, -1);
  }
  button_ = kNext;
  page_ = 1;
  nextOpacity_ = previousOpacity_ = 1;
  SetHighlight(nextLit_, nextOpacity_);
  SetHighlight(previousLit_, previousOpacity_);
}

void THelpMenu::Show() {
  iSpriteShow(frame_);
  ShowPage(1);
  ShowSprites({label_, next_, previous_, nextLit_, previousLit_});
}

void THelpMenu::Hide() {
  HideSprites({frame_, label_, next_, previous_, nextLit_, previousLit_});
  for (EHandle page : pages_) iSpriteHide(page);
}

void THelpMenu::Select() {
  button_ = button_ == kNext ? kPrevious : kNext;
  PlayClick();
}

bool THelpMenu::SetButton(uint8_t button) {
  if (button == button_) return false;
  button_ = button;
  return true;
}

void THelpMenu::TurnPage(bool forward) {
  uint8_t page = page_;
  if (forward) {
    page = page >= kPages ? 1 : page + 1;
  } else {
    page = page <= 1 ? kPages : page - 1;
  }
  ShowPage(page);
}

void THelpMenu::ShowPage(uint8_t page) {
  page_ = page;
  for (EHandle sprite : pages_) iSpriteHide(sprite);
  iSpriteShow(pages_[page - 1]);
}

void THelpMenu::Back() {
  Hide();
  Menus().mainMenu.Show();
  core::SetGameState(core::gsMainMenu);
}

void THelpMenu::Update() {
  FadeHighlight(nextLit_, nextOpacity_, button_ == kNext);
  FadeHighlight(previousLit_, previousOpacity_, button_ == kPrevious);
  PrintOwnControls();
}

std::vector<std::string> THelpMenu::OwnControlsLines(const core::Controls& controls) {
  // The pages show the game's own keys: a player who moved some reads theirs here.
  const core::Controls defaults = core::DefaultControls();
  std::vector<std::string> lines;
  std::string line = "YOUR CONTROLS:";
  for (int a = 0; a < core::kActionCount; ++a) {
    const auto action = static_cast<core::Action>(a);
    if (controls[action] == defaults[action]) continue;
    std::string item = " " + ActionName(action) + " ";
    for (int column = 0; column < TControlsMenu::kColumns; ++column) {
      const std::string cell = TControlsMenu::CellText(controls, action, column);
      if (cell != "-") item += (item.back() == ' ' ? "" : "/") + cell;
    }
    if (line.size() + item.size() > kOwnControlsLineChars) {
      lines.push_back(line);
      line = item.substr(1);
    } else {
      line += item;
    }
  }
  if (lines.empty() && line.back() == ':') return {};
  lines.push_back(line);
  return lines;
}

void THelpMenu::PrintOwnControls() {
  const std::vector<std::string> lines = OwnControlsLines(core::Ctx().controls);
  if (lines.empty()) return;
  iPrintsHide();
  SetPrintColor(1, 0.8f, 0.3f);
  for (size_t i = 0; i < lines.size() && i < kOwnControlsLines; ++i) {
    PrintText(lines[i], kOwnControlsX - kOwnControlsCharWidth * 0.5f * static_cast<float>(lines[i].size()),
              kOwnControlsY - kOwnControlsStep * static_cast<float>(i), kOwnControlsScale);
  }
}


void THelpMenu::Keys(uint8_t) {
  if (AnyClicked({keys::kRight, keys::kLeft})) Select();
  if (Clicked(keys::kEnter)) Press();
  if (core::GameState() == core::gsHelp && Clicked(keys::kEscape)) Back();
}

void THelpMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = areas::HitItem(areas::kHelpAreas, p); hit && SetButton(hit)) PlayClick();
  Menus().mainMenu.HoverBeside(p);
}

void THelpMenu::Click(core::CursorPoint p) {
  const uint8_t button = areas::HitItem(areas::kHelpAreas, p);
  if (button == kPrevious) {
    TurnPage(false);
  } else if (button == kNext) {
    TurnPage(true);
  } else {
    Menus().mainMenu.ClickBeside(p, TMainMenu::kHelp);
  }
}

}  // namespace menus
