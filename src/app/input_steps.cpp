#include "app/input_steps.h"

#include <initializer_list>

#include "core/game_context.h"
#include "app/input_areas.h"
#include "app/main_form.h"
#include "menus/front_end.h"
#include "menus/key_names.h"
#include "menus/menu_common.h"
#include "menus/typing.h"
#include "menus/world_access.h"

namespace app {
namespace {

using menus::TFrontEnd;
using namespace areas;

bool Clicked(int32_t code) { return core::TakeKeyPress(code); }
bool Held(int32_t code) { return core::KeyHeld(code); }
bool AnyClicked(std::initializer_list<int32_t> codes) {
  bool any = false;
  for (int32_t code : codes) any = Clicked(code) || any;  // every click is taken
  return any;
}

// The lowest scan code pressed this frame, or 0.
int32_t LowestPressedKey() {
  for (int32_t code = keys::kLowestCode; code <= keys::kHighestCode; ++code) {
    if (Clicked(code)) return code;
  }
  return 0;
}

// ---- keyboard ----

void GlobalKeys(TMainForm& form, uint8_t modifiers, bool& endStep) {
  core::GameContext& ctx = core::Ctx();
  const core::TSettings& active = ctx.ActiveSettings;
  const uint8_t required = (active.BossKeyAlt ? kAltHeld : 0) | (active.BossKeyShift ? kShiftHeld : 0) |
                           (active.BossKeyCtrl ? kCtrlHeld : 0);
  const auto hideAllowed = [] { return !core::TraitsOf(core::GameState()).ignoresHideKey; };
  // The modifiers first: a key that is not the hot key's chord stays for the key capture.
  if (modifiers == required && Clicked(active.BossKey)) {
    if (hideAllowed()) form.HideGame();
    if (core::GameState() == core::gsOptionsKeyCapture) core::SetGameState(core::gsOptions);
  }
  // The two Alt chords act once per press, not on every frame they are held.
  const bool alt = (modifiers & kAltHeld) != 0;
  const bool altTab = alt && Held(keys::kTab);
  if (altTab && !ctx.input.altTabHeld && hideAllowed()) form.HideGame();
  ctx.input.altTabHeld = altTab;
  const bool altEnter = alt && Held(keys::kEnter);
  const bool switchNow = altEnter && !ctx.input.altEnterHeld;
  ctx.input.altEnterHeld = altEnter;
  if (switchNow) {
    form.SwitchWindowMode();
    endStep = true;
  }
}

void PlayingKeys() {
  if (Clicked(keys::kEscape)) {
    core::SetGameState(core::gsGameExitConfirm);
    iSpriteShow(core::Ctx().res.cursorSprite);
    menus::world_access::LowerActors();
    menus::Menus().exitMenu.Show();
  }
  if (core::GameState() == core::gsPlaying && Clicked(keys::kPause)) core::SetGameState(core::gsPaused);
}

void MainMenuKeys() {
  menus::TMainMenu& menu = menus::Menus().mainMenu;
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    menu.Select(up);
    menu.Hide();
    menu.Show();
  }
  if (Clicked(keys::kEnter)) {
    menu.RunAction(menu.item());
  } else if (core::GameState() == core::gsMainMenu && Clicked(keys::kEscape)) {
    menu.Exit();
  }
}

void OptionsKeys() {
  menus::TOptMenu& options = menus::Menus().optMenu;
  if (Clicked(keys::kEscape)) {
    options.Leave();
    return;
  }
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    options.MoveSelection(up);
    menus::PlayClick();
  }
  const bool side = AnyClicked({keys::kLeft, keys::kRight});
  const bool enter = Clicked(keys::kEnter);
  if (!side && !enter) return;
  switch (options.item()) {
    case menus::TOptMenu::kWindow: options.ToggleWindowed(); break;
    case menus::TOptMenu::kMusic: options.ToggleMusic(); break;
    case menus::TOptMenu::kSound: options.ToggleSound(); break;
    default: break;
  }
  if (side) {
    // The arrows put a change in force at once; Enter leaves it pending.
    if (options.item() <= menus::TOptMenu::kSound) options.Apply();
    return;
  }
  if (options.item() == menus::TOptMenu::kAddText) core::SetGameState(core::gsOptionsTextEdit);
  if (options.item() == menus::TOptMenu::kHotKey) core::SetGameState(core::gsOptionsKeyCapture);
}

// Up or Down ends typing (or waiting for a key) one item up; Enter in place.
void EndOptionsEntry(int32_t code) {
  menus::TOptMenu& options = menus::Menus().optMenu;
  if (code == keys::kUp || code == keys::kDown) {
    core::SetGameState(core::gsOptions);
    options.set_item(options.item() - 1);
    options.Apply();
  } else if (code == keys::kEnter) {
    core::SetGameState(core::gsOptions);
    options.Apply();
  }
}

void OptionsTextKeys(uint8_t modifiers) {
  core::GameContext& ctx = core::Ctx();
  if (Clicked(keys::kEscape)) menus::Menus().optMenu.Leave();
  if (core::GameState() != core::gsOptionsTextEdit) return;
  const int32_t code = LowestPressedKey();
  if (code == 0) return;
  std::string text = menus::AddTextOf(ctx.PendingSettings);
  if (menus::TypeKey(text, code, (modifiers & kShiftHeld) != 0)) menus::SetAddText(ctx.PendingSettings, text);
  EndOptionsEntry(code);
}

void KeyCaptureKeys(uint8_t modifiers) {
  core::GameContext& ctx = core::Ctx();
  const int32_t code = LowestPressedKey();
  if (code == 0) return;
  if (menus::IsHotKeyCandidate(code)) {
    core::TSettings& pending = ctx.PendingSettings;
    pending.BossKey = static_cast<uint16_t>(code);
    pending.BossKeyAlt = (modifiers & kAltHeld) ? 1 : 0;
    pending.BossKeyShift = (modifiers & kShiftHeld) ? 1 : 0;
    pending.BossKeyCtrl = (modifiers & kCtrlHeld) ? 1 : 0;
    core::SetGameState(core::gsOptions);
    menus::Menus().optMenu.Apply();
  }
  EndOptionsEntry(code);
}

void HelpKeys() {
  menus::THelpMenu& help = menus::Menus().helpMenu;
  if (AnyClicked({keys::kRight, keys::kLeft})) help.Select();
  if (Clicked(keys::kEnter)) help.Press();
  if (core::GameState() == core::gsHelp && Clicked(keys::kEscape)) help.Back();
}

void DialogKeys() {
  menus::TExitMenu& dialog = menus::Menus().exitMenu;
  if (AnyClicked({keys::kUp, keys::kDown, keys::kLeft, keys::kRight})) dialog.Switch();
  const uint8_t state = core::GameState();
  if (Clicked(keys::kEnter)) {
    dialog.Press();
  } else if (core::GameState() == state && Clicked(keys::kEscape)) {
    dialog.No();
  }
}

void RecordsKeys() {
  menus::TRecordsMenu& records = menus::Menus().recordsMenu;
  // Up and Down walk the rows that kept a replay; without any, every arrow
  // switches the buttons, as Left and Right always do.
  const bool up = Clicked(keys::kUp), down = Clicked(keys::kDown);
  const bool sideways = AnyClicked({keys::kRight, keys::kLeft});
  if ((up || down) && !records.MoveRow(up)) {
    records.ToggleItem();
  } else if (sideways) {
    records.DropRow();
    records.ToggleItem();
  }
  if (Clicked(keys::kEnter)) {
    if (records.row() != 0) {
      records.WatchRow();
    } else if (records.item() == menus::TRecordsMenu::kClear) {
      records.AskClear();
    } else {
      records.ViewOnline();
    }
  } else if (core::GameState() == core::gsRecords && Clicked(keys::kEscape)) {
    records.Leave();
  }
}

void EntryKeys(uint8_t modifiers) {
  menus::TRecordInputMenu& entry = menus::Menus().recordInput;
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    entry.MoveSelection(up);
    menus::PlayClick();
  }
  if (Clicked(keys::kEscape)) {
    entry.CancelRecord();
    return;
  }
  const uint8_t state = core::GameState();
  if (state == core::gsRecordButtons) {
    if (!Clicked(keys::kEnter)) return;
    switch (entry.item()) {
      case menus::TRecordInputMenu::kName: core::SetGameState(core::gsRecordName); break;
      case menus::TRecordInputMenu::kAddText: core::SetGameState(core::gsRecordAdd); break;
      case menus::TRecordInputMenu::kSave: entry.SaveRecord(); break;
      case menus::TRecordInputMenu::kCancel: entry.CancelRecord(); break;
      default: break;
    }
    return;
  }
  if (state != core::gsRecordName && state != core::gsRecordAdd) return;
  const int32_t code = LowestPressedKey();
  if (code == 0) return;
  std::string& field = state == core::gsRecordName ? entry.name() : entry.addText();
  menus::TypeKey(field, code, (modifiers & kShiftHeld) != 0);
  if (code == keys::kEnter) core::SetGameState(core::gsRecordButtons);
}

// ---- mouse ----

// The main menu's hover beside another screen: no sound.
void HoverMainMenuQuietly(core::CursorPoint p) {
  if (uint8_t item = HitItem(kMainMenuAreas, p)) menus::Menus().mainMenu.SetItem(item);
}

// The mouse works a screen as a whole: typing the options' add text or
// capturing their hot key, the options still take the pointer.
core::StateInput MouseInput(uint8_t state) {
  const core::StateInput input = core::TraitsOf(state).input;
  return input == core::StateInput::kOptionsText || input == core::StateInput::kOptionsKey ? core::StateInput::kOptions : input;
}

void HoverTests(core::CursorPoint p) {
  TFrontEnd& menus = menus::Menus();
  const core::StateInput input = MouseInput(core::GameState());
  if (input == core::StateInput::kMainMenu) {
    if (uint8_t item = HitItem(kMainMenuAreas, p); item && menus.mainMenu.SetItem(item)) menus::PlayClick();
    menus.mainMenu.Hide();
    menus.mainMenu.Show();
  } else if (input == core::StateInput::kOptions) {
    if (uint8_t item = HitItem(kOptionsAreas, p); item && menus.optMenu.HoverItem(item)) menus::PlayClick();
    HoverMainMenuQuietly(p);
  } else if (input == core::StateInput::kHelp) {
    if (uint8_t item = HitItem(kHelpAreas, p); item && menus.helpMenu.SetButton(item)) menus::PlayClick();
    HoverMainMenuQuietly(p);
  } else if (input == core::StateInput::kRecords) {
    if (uint8_t item = HitItem(kRecordsAreas, p); item && menus.recordsMenu.SetItem(item)) menus::PlayClick();
    if (menus.recordsMenu.HoverRow(p)) menus::PlayClick();
    HoverMainMenuQuietly(p);
  } else if (input == core::StateInput::kDialog) {
    if (uint8_t item = HitItem(kDialogAreas, p)) menus.exitMenu.SetItem(item);
  } else if (input == core::StateInput::kRecordEntry) {
    if (uint8_t item = HitItem(kEntryAreas, p); item && menus.recordInput.HoverItem(item)) menus::PlayClick();
  }
}

// Main menu items clicked beside another screen; `skip` is the item of the screen shown.
void ClickMainMenu(core::CursorPoint p, uint8_t skip, bool applyOptionsFirst) {
  const uint8_t item = HitItem(kMainMenuAreas, p);
  if (item == 0 || item == skip) return;
  if (applyOptionsFirst) menus::Menus().optMenu.Apply();
  menus::Menus().mainMenu.RunAction(item);
}

void OptionsClick(core::CursorPoint p) {
  core::GameContext& ctx = core::Ctx();
  menus::TOptMenu& options = menus::Menus().optMenu;
  auto setAndApply = [&](uint8_t& field, uint8_t value) {
    field = value;
    core::SetGameState(core::gsOptions);
    options.Apply();
  };
  if (kWindowOn.Holds(p) || kWindowOff.Holds(p)) {
    options.SetWindowed(kWindowOn.Holds(p) ? 1 : 0);
    core::SetGameState(core::gsOptions);
    options.Apply();
  } else if (kMusicOn.Holds(p) || kMusicOff.Holds(p)) {
    setAndApply(ctx.PendingSettings.MusicOn, kMusicOn.Holds(p) ? 1 : 0);
  } else if (kSoundOn.Holds(p) || kSoundOff.Holds(p)) {
    setAndApply(ctx.PendingSettings.SoundOn, kSoundOn.Holds(p) ? 1 : 0);
  } else if (HitItem(kOptionsAreas, p) == menus::TOptMenu::kAddText) {
    core::SetGameState(core::gsOptionsTextEdit);
  } else if (HitItem(kOptionsAreas, p) == menus::TOptMenu::kHotKey) {
    core::SetGameState(core::gsOptionsKeyCapture);
  } else {
    ClickMainMenu(p, menus::TMainMenu::kOptions, true);
  }
}

void EntryClick(core::CursorPoint p) {
  menus::TRecordInputMenu& entry = menus::Menus().recordInput;
  switch (HitItem(kEntryClickAreas, p)) {
    case menus::TRecordInputMenu::kName: core::SetGameState(core::gsRecordName); break;
    case menus::TRecordInputMenu::kAddText: core::SetGameState(core::gsRecordAdd); break;
    case menus::TRecordInputMenu::kSave: entry.SaveRecord(); break;
    case menus::TRecordInputMenu::kCancel: entry.CancelRecord(); break;
    default: break;
  }
}

void DialogClick(core::CursorPoint p, uint8_t state) {
  menus::TExitMenu& dialog = menus::Menus().exitMenu;
  const uint8_t item = state == core::gsRecordsResetConfirm ? HitItem(kResetDialogClickAreas, p) : HitItem(kDialogAreas, p);
  if (item == menus::TExitMenu::kYes) dialog.Yes();
  if (item == menus::TExitMenu::kNo) dialog.No();
}

}  // namespace

uint8_t HeldModifiers() {
  uint8_t held = 0;
  if (Held(keys::kLeftShift) || Held(keys::kRightShift)) held |= kShiftHeld;
  if (Held(keys::kLeftAlt) || Held(keys::kRightAlt)) held |= kAltHeld;
  if (Held(keys::kLeftCtrl) || Held(keys::kRightCtrl)) held |= kCtrlHeld;
  return held;
}


void KeyboardStep(TMainForm& form) {
  const uint8_t modifiers = HeldModifiers();
  bool endStep = false;
  GlobalKeys(form, modifiers, endStep);
  if (endStep) return;

  switch (core::TraitsOf(core::GameState()).input) {
    case core::StateInput::kPlaying: PlayingKeys(); break;
    case core::StateInput::kPaused:
      if (Clicked(keys::kPause)) core::SetGameState(core::gsPlaying);
      break;
    case core::StateInput::kMainMenu: MainMenuKeys(); break;
    case core::StateInput::kOptions: OptionsKeys(); break;
    case core::StateInput::kOptionsText: OptionsTextKeys(modifiers); break;
    case core::StateInput::kOptionsKey: KeyCaptureKeys(modifiers); break;
    case core::StateInput::kHelp: HelpKeys(); break;
    case core::StateInput::kDialog: DialogKeys(); break;
    case core::StateInput::kRecords: RecordsKeys(); break;
    case core::StateInput::kRecordEntry: EntryKeys(modifiers); break;
    case core::StateInput::kNone: break;
  }
}

void MouseMoveStep() {
  const auto at = core::CursorPosition();
  if (!at) return;
  core::PlaceCursor(*at);
  core::InputMemory& memory = core::Ctx().input;
  if (at->x == memory.previousX && at->y == memory.previousY) return;
  HoverTests(*at);
  memory.previousX = at->x;
  memory.previousY = at->y;
}

void MouseClickStep() {
  const auto at = core::CursorPosition();
  // A click is always taken, so one made outside the window is not kept for later.
  const bool clicked = core::TakeClick();
  if (!at) return;
  core::PlaceCursor(*at);
  if (!clicked) return;
  const core::CursorPoint p = *at;
  TFrontEnd& menus = menus::Menus();
  const uint8_t state = core::GameState();
  const core::StateInput input = MouseInput(state);
  if (input == core::StateInput::kMainMenu) {
    ClickMainMenu(p, 0, false);
  } else if (input == core::StateInput::kOptions) {
    OptionsClick(p);
  } else if (input == core::StateInput::kHelp) {
    const uint8_t button = HitItem(kHelpAreas, p);
    if (button == menus::THelpMenu::kPrevious) {
      menus.helpMenu.TurnPage(false);
    } else if (button == menus::THelpMenu::kNext) {
      menus.helpMenu.TurnPage(true);
    } else {
      ClickMainMenu(p, menus::TMainMenu::kHelp, false);
    }
  } else if (input == core::StateInput::kRecords) {
    const uint8_t item = HitItem(kRecordsAreas, p);
    if (item == menus::TRecordsMenu::kClear) {
      menus.recordsMenu.AskClear();
    } else if (item == menus::TRecordsMenu::kView) {
      menus.recordsMenu.ViewOnline();
    } else if (const int row = menus::TRecordsMenu::RowAt(p); row != 0 && menus.recordsMenu.RowHasReplay(row)) {
      menus.recordsMenu.HoverRow(p);
      menus.recordsMenu.WatchRow();
    } else {
      ClickMainMenu(p, 0, false);
    }
  } else if (input == core::StateInput::kDialog) {
    DialogClick(p, state);
  } else if (input == core::StateInput::kRecordEntry) {
    EntryClick(p);
  }
}

}  // namespace app
