#include "menus/controls_menu.h"

#include <array>

#include "core/game_context.h"
#include "engine_link/pad_reports.h"
#include "menus/front_end.h"
#include "menus/key_names.h"
#include "menus/menu_common.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kTextScale = 0.32f;
constexpr float kCharWidth = 1.2f * kTextScale;  // a character's advance at the text scale
constexpr float kNameX = -14.3f;
constexpr std::array<float, TControlsMenu::kColumns> kCellX = {-8.6f, -5.75f, -2.9f, -0.05f};  // centres
constexpr float kCellHalfW = 1.4f, kRowHalfH = 0.55f;
constexpr float kHeadingY = 4.4f, kFirstRowY = 3.25f, kRowStep = 1.15f, kPromptY = -6.0f;
constexpr float kButtonW = 5, kButtonH = 2.5f, kButtonY = -7.8f;
constexpr float kDefaultsX = -10, kBackX = -5;
// Where the pointer hits the buttons (as the help's buttons in the same frame).
constexpr float kButtonHalfW = 2.6f, kButtonBottom = -9, kButtonTop = -6.7f;
constexpr size_t kCellChars = 7;  // what fits a cell

float RowY(int row) { return kFirstRowY - kRowStep * static_cast<float>(row); }

void PrintCentred(const std::string& text, float centreX, float y) {
  PrintText(text, centreX - 0.5f * kCharWidth * static_cast<float>(text.size()), y, kTextScale);
}

bool InButton(core::CursorPoint p, float centreX) {
  return p.x > centreX - kButtonHalfW && p.x < centreX + kButtonHalfW && p.y > kButtonBottom && p.y < kButtonTop;
}

// The cell under the pointer: row * kColumns + column, or -1.
int CellAt(core::CursorPoint p) {
  for (int row = 0; row < core::kActionCount; ++row) {
    if (p.y <= RowY(row) - kRowHalfH || p.y >= RowY(row) + kRowHalfH) continue;
    for (int column = 0; column < TControlsMenu::kColumns; ++column) {
      const float x = kCellX[static_cast<size_t>(column)];
      if (p.x > x - kCellHalfW && p.x < x + kCellHalfW) return row * TControlsMenu::kColumns + column;
    }
  }
  return -1;
}

}  // namespace

std::string ControlKeyName(int32_t scanCode) {
  struct Named {
    int32_t code;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {0x0E, "BACKSP"}, {0x1C, "ENTER"},  {0x1D, "LCTRL"},  {0x2A, "LSHIFT"}, {0x36, "RSHIFT"},  {0x37, "NUM *"},
      {0x38, "LALT"},   {0x39, "SPACE"},  {0x3A, "CAPS"},   {0x45, "NUMLOCK"}, {0x46, "SCROLL"}, {0x47, "NUM 7"},
      {0x48, "NUM 8"},  {0x49, "NUM 9"},  {0x4A, "NUM -"},  {0x4B, "NUM 4"},  {0x4C, "NUM 5"},   {0x4D, "NUM 6"},
      {0x4E, "NUM +"},  {0x4F, "NUM 1"},  {0x50, "NUM 2"},  {0x51, "NUM 3"},  {0x52, "NUM 0"},   {0x53, "NUM ."},
      {0x9C, "NUM ENT"}, {0x9D, "RCTRL"}, {0xB5, "NUM /"},  {0xB8, "RALT"},   {0xC5, "PAUSE"},   {0xC7, "HOME"},
      {0xC8, "UP"},     {0xC9, "PG UP"},  {0xCB, "LEFT"},   {0xCD, "RIGHT"},  {0xCF, "END"},     {0xD0, "DOWN"},
      {0xD1, "PG DN"},  {0xD2, "INSERT"}, {0xD3, "DELETE"},
  };
  if (scanCode == 0) return "-";
  for (const Named& n : kNames)
    if (n.code == scanCode) return n.name;
  const std::string name = KeyName(scanCode);
  return name.empty() ? "KEY " + std::to_string(scanCode) : name;
}

std::string PadButtonName(int button) {
  static constexpr std::array<const char*, engine_link::kPadButtons> kNames = {
      "A",      "B",  "X",  "Y",      "BACK",    "GUIDE",  "START", "LSTICK",
      "RSTICK", "LB", "RB", "D-UP", "D-DOWN", "D-LEFT", "D-RIGHT"};
  return button >= 0 && button < engine_link::kPadButtons ? kNames[static_cast<size_t>(button)] : "-";
}

std::string ActionName(core::Action action) {
  static constexpr std::array<const char*, core::kActionCount> kNames = {
      "LEFT", "RIGHT", "JUMP / UP", "LIE DOWN", "AIM STILL", "FIRE", "GRENADE", "PAUSE"};
  return kNames[static_cast<size_t>(action)];
}

std::string TControlsMenu::CellText(const core::Controls& controls, core::Action action, int column) {
  const core::ActionBinding& b = controls[action];
  if (column < core::kSlotsPerAction) return ControlKeyName(b.keys[static_cast<size_t>(column)]);
  return PadButtonName(b.pad[static_cast<size_t>(column - core::kSlotsPerAction)]);
}

void TControlsMenu::Build() {
  frame_ = CreatePicture("data\\Frame.png", 12.5f, 10, -7, -2);
  label_ = CreatePicture("data\\ControlsLabel.png", 11.25f, 5, 8, 8);
  defaults_ = CreatePicture("data\\PCMDefaults.png", kButtonW, kButtonH, kDefaultsX, kButtonY);
  back_ = CreatePicture("data\\PCMBack.png", kButtonW, kButtonH, kBackX, kButtonY);
  defaultsLit_ = CreatePicture("data\\ACMDefaults.png", kButtonW, kButtonH, kDefaultsX, kButtonY);
  backLit_ = CreatePicture("data\\ACMBack.png", kButtonW, kButtonH, kBackX, kButtonY);
  row_ = column_ = 0;
  offer_.reset();
  defaultsOpacity_ = backOpacity_ = 0;
  SetHighlight(defaultsLit_, 0);
  SetHighlight(backLit_, 0);
}

void TControlsMenu::Open() {
  TFrontEnd& menus = Menus();
  menus.optMenu.HideSprites();
  iPrintsHide();
  row_ = column_ = 0;
  offer_.reset();
  Show();
  core::SetGameState(core::gsControls);
}

void TControlsMenu::Show() { ShowSprites({frame_, label_, defaults_, back_, defaultsLit_, backLit_}); }

void TControlsMenu::Hide() {
  HideSprites({frame_, label_, defaults_, back_, defaultsLit_, backLit_});
  iPrintsHide();
}

void TControlsMenu::Back() {
  Hide();
  offer_.reset();
  TFrontEnd& menus = Menus();
  menus.mainMenu.Options();
  menus.optMenu.HoverItem(TOptMenu::kControls);
}

void TControlsMenu::RestoreDefaults() {
  core::Ctx().controls = core::DefaultControls();
  Saved(core::SaveControls(core::Ctx().controls));
}

core::BindingSlot TControlsMenu::SelectedSlot() const {
  return {static_cast<core::Action>(row_), column_ % core::kSlotsPerAction};
}

void TControlsMenu::Select(int row, int column) {
  if (row == row_ && column == column_) return;
  row_ = row;
  column_ = column;
  PlayClick();
}

void TControlsMenu::Activate() {
  if (row_ == kDefaultsRow) {
    RestoreDefaults();
  } else if (row_ == kBackRow) {
    Back();
  } else {
    StartCapture();
  }
}

void TControlsMenu::StartCapture() {
  offer_.reset();
  core::SetGameState(core::gsControlsCapture);
}

void TControlsMenu::EndCapture() {
  offer_.reset();
  core::SetGameState(core::gsControls);
}

void TControlsMenu::Take(int code, bool pad) {
  const core::Controls& controls = core::Ctx().controls;
  const auto bound = pad ? core::FindPadButton(controls, code) : core::FindKey(controls, code);
  if (bound && *bound != SelectedSlot()) {
    offer_ = Offer{code, pad};  // never taken from another action without a yes
    return;
  }
  Bind(code, pad);
}

void TControlsMenu::Bind(int code, bool pad) {
  core::Controls& controls = core::Ctx().controls;
  if (pad) {
    core::BindPadButton(controls, SelectedSlot(), code);
  } else {
    core::BindKey(controls, SelectedSlot(), code);
  }
  Saved(core::SaveControls(controls));
  PlayClick();
  EndCapture();
}

void TControlsMenu::Draw() {
  const core::GameContext& ctx = core::Ctx();
  const bool capturing = core::GameState() == core::gsControlsCapture;
  FadeHighlight(defaultsLit_, defaultsOpacity_, row_ == kDefaultsRow);
  FadeHighlight(backLit_, backOpacity_, row_ == kBackRow);
  iPrintsHide();
  SetTextSelected(false);
  PrintCentred("KEYS", 0.5f * (kCellX[0] + kCellX[1]), kHeadingY);
  PrintCentred("PAD", 0.5f * (kCellX[2] + kCellX[3]), kHeadingY);
  for (int row = 0; row < core::kActionCount; ++row) {
    const auto action = static_cast<core::Action>(row);
    SetTextSelected(row == row_);
    PrintText(ActionName(action), kNameX, RowY(row), kTextScale);
    for (int column = 0; column < kColumns; ++column) {
      const bool selected = row == row_ && column == column_;
      std::string text = selected && capturing && !offer_ ? "..." : CellText(ctx.controls, action, column);
      if (text.size() > kCellChars) text.resize(kCellChars);
      if (selected) {
        SetPrintColor(1, 0.8f, 0.3f);
      } else {
        SetTextSelected(false);
      }
      PrintCentred(text, kCellX[static_cast<size_t>(column)], RowY(row));
    }
  }
  std::string prompt;
  if (offer_) {
    const auto owner = offer_->pad ? core::FindPadButton(ctx.controls, offer_->code)
                                   : core::FindKey(ctx.controls, offer_->code);
    const std::string name = offer_->pad ? PadButtonName(offer_->code) : ControlKeyName(offer_->code);
    prompt = name + " IS " + (owner ? ActionName(owner->action) : std::string("BOUND")) + ": ENTER SWAPS, ESC KEEPS";
  } else if (capturing) {
    prompt = PadColumn() ? "PRESS A PAD BUTTON, ESC CANCELS" : "PRESS A KEY, ESC CANCELS";
  } else if (saveFailed_) {
    prompt = "CONTROLS NOT SAVED";
  }
  if (!prompt.empty()) {
    if (saveFailed_ && !capturing) {
      SetPrintColor(1, 0, 0);
    } else {
      SetTextSelected(true);
    }
    PrintCentred(prompt, 0.5f * (kNameX + kCellX[3] + kCellHalfW), kPromptY);
  }
}

void TControlsMenu::Keys(uint8_t) {
  if (core::GameState() == core::gsControlsCapture) {
    if (offer_) {
      if (Clicked(keys::kEnter)) {
        Bind(offer_->code, offer_->pad);
      } else if (Clicked(keys::kEscape)) {
        EndCapture();
      }
      return;
    }
    // A pad's press is this frame's only answer (its A also reads as Enter).
    const auto& buttons = core::Ctx().padButtonsPressed;
    if (buttons.any()) {
      int button = 0;
      while (!buttons.test(static_cast<size_t>(button))) ++button;
      if (PadColumn() && core::BindablePadButton(button)) {
        Take(button, true);
      } else {
        EndCapture();
      }
      return;
    }
    const int32_t code = LowestPressedKey();
    if (code == keys::kEscape) {
      EndCapture();
    } else if (code != 0 && !PadColumn() && core::BindableKey(code)) {
      Take(code, false);
    }
    return;
  }
  if (Clicked(keys::kEscape)) {
    Back();
    return;
  }
  const bool up = Clicked(keys::kUp), down = Clicked(keys::kDown);
  if (up || down) Select((row_ + (up ? kRows - 1 : 1)) % kRows, column_);
  const bool left = Clicked(keys::kLeft), right = Clicked(keys::kRight);
  if ((left || right) && row_ < core::kActionCount) Select(row_, (column_ + (left ? kColumns - 1 : 1)) % kColumns);
  if ((left || right) && row_ >= core::kActionCount) Select(row_ == kDefaultsRow ? kBackRow : kDefaultsRow, column_);
  if (Clicked(keys::kEnter)) Activate();
}

void TControlsMenu::Hover(core::CursorPoint p) {
  if (core::GameState() == core::gsControls) {
    if (const int cell = CellAt(p); cell >= 0) Select(cell / kColumns, cell % kColumns);
    if (InButton(p, kDefaultsX)) Select(kDefaultsRow, column_);
    if (InButton(p, kBackX)) Select(kBackRow, column_);
  }
  Menus().mainMenu.HoverBeside(p);
}

void TControlsMenu::Click(core::CursorPoint p) {
  const int cell = CellAt(p);
  if (core::GameState() == core::gsControlsCapture) {
    const bool onSelected = cell == row_ * kColumns + column_;
    if (offer_ && onSelected) {
      Bind(offer_->code, offer_->pad);
    } else if (!onSelected) {
      EndCapture();
    }
    return;
  }
  if (cell >= 0) {
    row_ = cell / kColumns;
    column_ = cell % kColumns;
    StartCapture();
  } else if (InButton(p, kDefaultsX)) {
    row_ = kDefaultsRow;
    RestoreDefaults();
  } else if (InButton(p, kBackX)) {
    Back();
  } else {
    Menus().mainMenu.ClickBeside(p, 0);
  }
}

}  // namespace menus
