#include "menus/record_input_menu.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "core/game_context.h"
#include "core/music.h"
#include "core/record_replays.h"
#include "core/shell.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "menus/typing.h"
#include "menus/world_access.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kTextX = -5.5f;
constexpr float kSmallText = 0.3f, kButtonText = 0.5f;
constexpr float kScoreY = 4.2f, kNameCaptionY = 1.2f, kNameY = 0.2f, kAddCaptionY = -0.8f, kAddY = -1.8f;
constexpr float kSaveY = -5.3f, kCancelY = -6.8f;
constexpr const char* kFieldUnderline = "____________________";
// Under the buttons while the entry could not be written to the table's file.
constexpr const char* kNotSavedText = "THE TABLE COULD NOT BE SAVED";
constexpr float kNoticeY = -8.3f;

}  // namespace

void TRecordInputMenu::Build() {
  frame_ = CreatePicture("data\\Frame.png", 12, 12, 0, 0);
  item_ = kName;
  cursor_ = TextCursor{};
}

void TRecordInputMenu::Open() {
  saveFailed_ = false;
  iSpriteShow(frame_);
  world_access::LowerActors();
  core::SetGameState(core::gsRecordName);
}

void TRecordInputMenu::HideSprites() { iSpriteHide(frame_); }

void TRecordInputMenu::MoveSelection(bool up) {
  item_ = WrapItem(item_, up, kCancel);
  FollowItemWithState();
}

bool TRecordInputMenu::HoverItem(uint8_t item) {
  const bool changed = item != item_;
  item_ = item;
  // Pointing at a field starts typing it; the buttons leave the state alone.
  if (item_ == kName) core::SetGameState(core::gsRecordName);
  if (item_ == kAddText) core::SetGameState(core::gsRecordAdd);
  return changed;
}

void TRecordInputMenu::FollowItemWithState() {
  switch (item_) {
    case kName: core::SetGameState(core::gsRecordName); break;
    case kAddText: core::SetGameState(core::gsRecordAdd); break;
    default: core::SetGameState(core::gsRecordButtons); break;
  }
}

void TRecordInputMenu::Draw() {
  iPrintsHide();
  const uint8_t state = core::GameState();
  const bool typingName = state == core::gsRecordName;
  const bool typingAdd = state == core::gsRecordAdd;
  const bool cursorShown = (typingName || typingAdd) && cursor_.Tick(iSystemTimer());

  SetTextSelected(false);
  PrintText("YOUR SCORE: " + std::to_string(world_access::Score()), kTextX, kScoreY, kSmallText);
  PrintText("YOUR NAME:", kTextX, kNameCaptionY, kSmallText);
  SetTextSelected(item_ == kName || typingName);
  PrintText(typingName && cursorShown ? name_ + "I" : name_, kTextX, kNameY, kSmallText);
  if (item_ == kName) PrintText(kFieldUnderline, kTextX, kNameY, kSmallText);
  SetTextSelected(false);
  PrintText("ADD TEXT:", kTextX, kAddCaptionY, kSmallText);
  SetTextSelected(item_ == kAddText || typingAdd);
  PrintText(typingAdd && cursorShown ? addText_ + "I" : addText_, kTextX, kAddY, kSmallText);
  if (item_ == kAddText) PrintText(kFieldUnderline, kTextX, kAddY, kSmallText);
  SetTextSelected(item_ == kSave);
  PrintText("OK", kTextX, kSaveY, kButtonText);
  SetTextSelected(item_ == kCancel);
  PrintText("CANCEL", kTextX, kCancelY, kButtonText);
  if (saveFailed_) {
    SetPrintColor(1, 0, 0);
    PrintText(kNotSavedText, kTextX, kNoticeY, kSmallText);
  }
}

void TRecordInputMenu::SaveRecord() {
  core::GameContext& ctx = core::Ctx();
  const int rank = ctx.pendingRecordRank;
  // A rank outside the table (never set by this run) enters nothing.
  if (rank >= 1 && rank <= core::kRecordCount) {
    core::TRecordsTable table = ctx.records;
    for (int r = core::kRecordCount - 1; r >= rank; --r) table[r] = table[r - 1];
    core::TRecordEntry& entry = table[rank - 1];
    entry = core::TRecordEntry{};
    const size_t length = std::min<size_t>(name_.size(), core::kMaxTextLength);
    entry.NameLength = static_cast<uint8_t>(length);
    std::memcpy(entry.Name, name_.data(), length);
    entry.Score = world_access::Score();
    if (!core::SaveRecords(table)) {
      // Nothing is taken as saved: the table stays as its file has it, and
      // the entry stays open to try again (once there is room) or to cancel.
      saveFailed_ = true;
      item_ = kSave;
      core::SetGameState(core::gsRecordButtons);
      return;
    }
    ctx.records = table;
    // The run's replay stays with its entry; the table is saved either way.
    const auto replay = core::TheShell().FinishedRunReplay(entry.Score);
    core::KeepRecordReplay(table, rank - 1, replay ? std::span<const uint8_t>(*replay) : std::span<const uint8_t>());
  }
  saveFailed_ = false;
  SetAddText(ctx.ActiveSettings, addText_);
  core::SetGameState(core::gsSubmitConfirm);
  HideSprites();
  Menus().exitMenu.Show();
}

void TRecordInputMenu::CancelRecord() {
  core::GameContext& ctx = core::Ctx();
  world_access::HidePlayScreen();
  HideSprites();
  world_access::ResetForNewGame();
  core::SetGameState(core::gsMainMenu);
  Menus().mainMenu.Show();
  ctx.musicChoice = 1;
  if (ctx.ActiveSettings.MusicOn) core::PlayMusic("1");
}


void TRecordInputMenu::Keys(uint8_t modifiers) {
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    MoveSelection(up);
    PlayClick();
  }
  if (Clicked(keys::kEscape)) {
    CancelRecord();
    return;
  }
  const uint8_t state = core::GameState();
  if (state == core::gsRecordButtons) {
    if (Clicked(keys::kEnter)) Choose(item());
    return;
  }
  if (state != core::gsRecordName && state != core::gsRecordAdd) return;
  const int32_t code = LowestPressedKey();
  if (code == 0) return;
  std::string& field = state == core::gsRecordName ? name() : addText();
  TypeKey(field, code, (modifiers & kShiftHeld) != 0);
  if (code == keys::kEnter) core::SetGameState(core::gsRecordButtons);
}

void TRecordInputMenu::Choose(uint8_t chosen) {
  switch (chosen) {
    case kName: core::SetGameState(core::gsRecordName); break;
    case kAddText: core::SetGameState(core::gsRecordAdd); break;
    case kSave: SaveRecord(); break;
    case kCancel: CancelRecord(); break;
    default: break;
  }
}

void TRecordInputMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = areas::HitItem(areas::kEntryAreas, p); hit && HoverItem(hit)) PlayClick();
}

void TRecordInputMenu::Click(core::CursorPoint p) { Choose(areas::HitItem(areas::kEntryClickAreas, p)); }

}  // namespace menus
