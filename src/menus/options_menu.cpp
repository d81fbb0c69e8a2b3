#include "menus/options_menu.h"

#include <algorithm>
#include <string_view>

#include "core/game_context.h"
#include "core/music.h"
#include "menus/front_end.h"
#include "menus/key_names.h"
#include "menus/menu_common.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"
#include "menus/typing.h"

namespace menus {
namespace {

constexpr float kOnOffW = 2.5f, kModeW = 5, kChoiceH = 1.25f;
constexpr float kOnX = -7.12f, kOffX = -4.4f;
constexpr float kTextScale = 0.5f;
constexpr float kCharOffset = 0.3f;          // half a character's advance at the text scale
constexpr float kTextX = -7;                 // texts are centred on this x
constexpr float kAddTextY = -3.3f, kHotKeyY = -6.9f;
// The line under the hot key while the settings file keeps older values than those in force.
constexpr std::string_view kNotSavedText = "SETTINGS NOT SAVED";
constexpr float kNoticeScale = 0.4f, kNoticeCharOffset = 0.24f, kNoticeY = -5.3f;
constexpr float kControlsX = -7.1f, kControlsY = -8.35f;

struct Point {
  float x, y;
};
constexpr Point kUnderline[TOptMenu::kItems] = {{-7.8f, 3.1f},  {-7.8f, 1.2f},  {-7.8f, -0.7f},
                                                {-7.1f, -3.9f}, {-7.2f, -7.5f}, {-7.2f, -8.95f}};

void PrintCentred(const std::string& text, size_t centreLength, float y) {
  PrintText(text, kTextX - kCharOffset * static_cast<float>(centreLength), y, kTextScale);
}

}  // namespace

void TOptMenu::Build() {
  panel_ = CreatePicture("data\\Options.png", 12.5f, 10, -7, -2);
  title_ = CreatePicture("data\\OptionsLabel.png", 11.25f, 5, 8, 8);
  musicOn_ = CreatePicture("data\\POn.png", kOnOffW, kChoiceH, kOnX, 1.75f);
  musicOff_ = CreatePicture("data\\POff.png", kOnOffW, kChoiceH, kOffX, 1.7f);
  musicOnLit_ = CreatePicture("data\\AOn.png", kOnOffW, kChoiceH, kOnX, 1.75f);
  musicOffLit_ = CreatePicture("data\\AOff.png", kOnOffW, kChoiceH, kOffX, 1.7f);
  soundOn_ = CreatePicture("data\\POn.png", kOnOffW, kChoiceH, kOnX, 0);
  soundOff_ = CreatePicture("data\\POff.png", kOnOffW, kChoiceH, kOffX, -0.05f);
  soundOnLit_ = CreatePicture("data\\AOn.png", kOnOffW, kChoiceH, kOnX, 0);
  soundOffLit_ = CreatePicture("data\\AOff.png", kOnOffW, kChoiceH, kOffX, -0.05f);
  window_ = CreatePicture("data\\PWindow.png", kModeW, kChoiceH, -8.12f, 3.59f);
  full_ = CreatePicture("data\\PFull.png", kModeW, kChoiceH, -3.2f, 3.6f);
  windowLit_ = CreatePicture("data\\AWindow.png", kModeW, kChoiceH, -8.12f, 3.59f);
  fullLit_ = CreatePicture("data\\AFull.png", kModeW, kChoiceH, -3.2f, 3.6f);
  underline_ = CreatePicture("data\\Underline.png", 7, 0.05f, kUnderline[0].x, kUnderline[0].y);
  controls_ = CreatePicture("data\\PControls.png", kModeW, kChoiceH, kControlsX, kControlsY);
  controlsLit_ = CreatePicture("data\\AControls.png", kModeW, kChoiceH, kControlsX, kControlsY);
  controlsLevel_ = 0;
  SetHighlight(controlsLit_, controlsLevel_);

  item_ = kWindow;
  windowModeChanged_ = 0;
  cursor_ = TextCursor{};
  const core::TSettings& active = core::Ctx().ActiveSettings;
  musicOnLevel_ = active.MusicOn ? 1 : 0;
  musicOffLevel_ = 1 - musicOnLevel_;
  soundOnLevel_ = active.SoundOn ? 1 : 0;
  soundOffLevel_ = 1 - soundOnLevel_;
  windowLevel_ = active.Windowed ? 1 : 0;
  fullLevel_ = 1 - windowLevel_;
  SetHighlight(musicOnLit_, musicOnLevel_);
  SetHighlight(musicOffLit_, musicOffLevel_);
  SetHighlight(soundOnLit_, soundOnLevel_);
  SetHighlight(soundOffLit_, soundOffLevel_);
  SetHighlight(windowLit_, windowLevel_);
  SetHighlight(fullLit_, fullLevel_);
}

void TOptMenu::ShowSprites() {
  menus::ShowSprites({panel_, title_, musicOn_, musicOff_, musicOnLit_, musicOffLit_, soundOn_, soundOff_, soundOnLit_,
                      soundOffLit_, window_, full_, windowLit_, fullLit_, underline_, controls_, controlsLit_});
}

void TOptMenu::HideSprites() {
  menus::HideSprites({panel_, title_, musicOn_, musicOff_, musicOnLit_, musicOffLit_, soundOn_, soundOff_, soundOnLit_,
                      soundOffLit_, window_, full_, windowLit_, fullLit_, underline_, controls_, controlsLit_});
}

void TOptMenu::MoveSelection(bool up) {
  item_ = WrapItem(item_, up, kItems);
  PlaceUnderline();
}

bool TOptMenu::HoverItem(uint8_t item) {
  const bool changed = item != item_;
  item_ = item;
  // Up then down lands on the same item and redraws its underline.
  MoveSelection(true);
  MoveSelection(false);
  return changed;
}

void TOptMenu::PlaceUnderline() {
  iSpriteShow(underline_);
  const Point& at = kUnderline[item_ - 1];
  const EngineVec location{at.x, at.y, 0};
  iSpriteLocationSet(underline_, &location);
}

void TOptMenu::ToggleWindowed() {
  core::TSettings& pending = core::Ctx().PendingSettings;
  pending.Windowed = pending.Windowed ? 0 : 1;
  windowModeChanged_ = windowModeChanged_ ? 0 : 1;
}

void TOptMenu::SetWindowed(uint8_t windowed) {
  core::GameContext& ctx = core::Ctx();
  ctx.PendingSettings.Windowed = windowed;
  windowModeChanged_ = windowed != ctx.ActiveSettings.Windowed ? 1 : 0;
}

void TOptMenu::ToggleMusic() {
  core::TSettings& pending = core::Ctx().PendingSettings;
  pending.MusicOn = pending.MusicOn ? 0 : 1;
}

void TOptMenu::ToggleSound() {
  core::TSettings& pending = core::Ctx().PendingSettings;
  pending.SoundOn = pending.SoundOn ? 0 : 1;
}

void TOptMenu::Apply() {
  core::GameContext& ctx = core::Ctx();
  saveFailed_ = !core::SaveSettings(ctx.PendingSettings);
  if (saveFailed_ && windowModeChanged_) {
    // The new process would read its mode from the file that kept the old
    // one: restarting would only lose time, so the running mode stays.
    ctx.PendingSettings.Windowed = ctx.ActiveSettings.Windowed;
    windowModeChanged_ = 0;
  }
  if (ctx.PendingSettings.MusicOn == 0) {
    core::StopMusic("1");
  } else if (ctx.ActiveSettings.MusicOn == 0) {
    ctx.ActiveSettings.MusicOn = 1;
    core::PlayMusic("1");
  }
  ctx.ActiveSettings = ctx.PendingSettings;
  if (windowModeChanged_) core::TheShell().RestartIntoNewMode();
  iPrintsHide();
}

void TOptMenu::Close() {
  HideSprites();
  Apply();
}

void TOptMenu::OpenControls() {
  // Leaving the options by any road keeps what was chosen.
  Apply();
  Menus().controlsMenu.Open();
}

void TOptMenu::Leave() {
  iPrintsHide();
  Close();
  core::SetGameState(core::gsMainMenu);
  Menus().mainMenu.Show();
}

std::string TOptMenu::HotKeyText(const core::TSettings& settings) {
  std::string text = KeyName(settings.BossKey);
  if (settings.BossKeyShift) text += "+SHIFT";
  if (settings.BossKeyAlt) text += "+ALT";
  if (settings.BossKeyCtrl) text += "+CTRL";
  return text;
}

void TOptMenu::Draw() {
  core::GameContext& ctx = core::Ctx();
  iPrintsHide();

  // The lit choices follow the values in force, not the pending edits.
  const core::TSettings& active = ctx.ActiveSettings;
  FadeHighlight(musicOnLit_, musicOnLevel_, active.MusicOn == 1);
  FadeHighlight(musicOffLit_, musicOffLevel_, active.MusicOn == 0);
  FadeHighlight(soundOnLit_, soundOnLevel_, active.SoundOn == 1);
  FadeHighlight(soundOffLit_, soundOffLevel_, active.SoundOn == 0);
  FadeHighlight(controlsLit_, controlsLevel_, item_ == kControls);

  const uint8_t state = core::GameState();
  const core::TSettings& pending = ctx.PendingSettings;
  const std::string addText(reinterpret_cast<const char*>(pending.AddText),
                            std::min<size_t>(pending.AddTextLength, core::kMaxTextLength));
  if (state == core::gsOptionsTextEdit) {
    SetPrintColor(1, 1, 1);
    const bool cursor = cursor_.Tick(iSystemTimer());
    PrintCentred(cursor ? addText + "I" : addText, addText.size(), kAddTextY);
  } else {
    SetTextSelected(item_ == kAddText);
    PrintCentred(addText, addText.size(), kAddTextY);
  }

  const std::string hotKey = state == core::gsOptionsKeyCapture ? "..." : HotKeyText(pending);
  SetTextSelected(item_ == kHotKey);
  PrintCentred(hotKey, hotKey.size(), kHotKeyY);

  if (saveFailed_) {
    SetPrintColor(1, 0, 0);
    PrintText(kNotSavedText, kTextX - kNoticeCharOffset * static_cast<float>(kNotSavedText.size()), kNoticeY, kNoticeScale);
  }
}


namespace {

// Up or Down ends typing (or waiting for a key) one item up; Enter in place.
void EndOptionsEntry(TOptMenu& options, int32_t code) {
  if (code == keys::kUp || code == keys::kDown) {
    core::SetGameState(core::gsOptions);
    options.set_item(options.item() - 1);
    options.Apply();
  } else if (code == keys::kEnter) {
    core::SetGameState(core::gsOptions);
    options.Apply();
  }
}

}  // namespace

void TOptMenu::Keys(uint8_t modifiers) {
  core::GameContext& ctx = core::Ctx();
  const uint8_t state = core::GameState();
  if (state == core::gsOptionsTextEdit) {
    if (Clicked(keys::kEscape)) Leave();
    if (core::GameState() != core::gsOptionsTextEdit) return;
    const int32_t code = LowestPressedKey();
    if (code == 0) return;
    std::string text = AddTextOf(ctx.PendingSettings);
    if (TypeKey(text, code, (modifiers & kShiftHeld) != 0)) SetAddText(ctx.PendingSettings, text);
    EndOptionsEntry(*this, code);
    return;
  }
  if (state == core::gsOptionsKeyCapture) {
    const int32_t code = LowestPressedKey();
    if (code == 0) return;
    if (IsHotKeyCandidate(code)) {
      core::TSettings& pending = ctx.PendingSettings;
      pending.BossKey = static_cast<uint16_t>(code);
      pending.BossKeyAlt = (modifiers & kAltHeld) ? 1 : 0;
      pending.BossKeyShift = (modifiers & kShiftHeld) ? 1 : 0;
      pending.BossKeyCtrl = (modifiers & kCtrlHeld) ? 1 : 0;
      core::SetGameState(core::gsOptions);
      Apply();
    }
    EndOptionsEntry(*this, code);
    return;
  }
  if (Clicked(keys::kEscape)) {
    Leave();
    return;
  }
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    MoveSelection(up);
    PlayClick();
  }
  const bool side = AnyClicked({keys::kLeft, keys::kRight});
  const bool enter = Clicked(keys::kEnter);
  if (!side && !enter) return;
  switch (item()) {
    case kWindow: ToggleWindowed(); break;
    case kMusic: ToggleMusic(); break;
    case kSound: ToggleSound(); break;
    default: break;
  }
  if (side) {
    // The arrows put a change in force at once; Enter leaves it pending.
    if (item() <= kSound) Apply();
    return;
  }
  if (item() == kAddText) core::SetGameState(core::gsOptionsTextEdit);
  if (item() == kHotKey) core::SetGameState(core::gsOptionsKeyCapture);
  if (item() == kControls) OpenControls();
}

void TOptMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = areas::HitItem(areas::kOptionsAreas, p); hit && HoverItem(hit)) PlayClick();
  Menus().mainMenu.HoverBeside(p);
}

void TOptMenu::Click(core::CursorPoint p) {
  using namespace areas;
  core::GameContext& ctx = core::Ctx();
  auto setAndApply = [&](uint8_t& field, uint8_t value) {
    field = value;
    core::SetGameState(core::gsOptions);
    Apply();
  };
  if (kWindowOn.Holds(p) || kWindowOff.Holds(p)) {
    SetWindowed(kWindowOn.Holds(p) ? 1 : 0);
    core::SetGameState(core::gsOptions);
    Apply();
  } else if (kMusicOn.Holds(p) || kMusicOff.Holds(p)) {
    setAndApply(ctx.PendingSettings.MusicOn, kMusicOn.Holds(p) ? 1 : 0);
  } else if (kSoundOn.Holds(p) || kSoundOff.Holds(p)) {
    setAndApply(ctx.PendingSettings.SoundOn, kSoundOn.Holds(p) ? 1 : 0);
  } else if (HitItem(kOptionsAreas, p) == kAddText) {
    core::SetGameState(core::gsOptionsTextEdit);
  } else if (HitItem(kOptionsAreas, p) == kHotKey) {
    core::SetGameState(core::gsOptionsKeyCapture);
  } else if (HitItem(kOptionsAreas, p) == kControls) {
    OpenControls();
  } else if (const uint8_t item = TMainMenu::ItemAt(p); item != 0 && item != TMainMenu::kOptions) {
    // Leaving the options by the menu column keeps what was chosen.
    Apply();
    Menus().mainMenu.RunAction(item);
  }
}

}  // namespace menus
