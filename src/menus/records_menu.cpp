#include "menus/records_menu.h"

#include <algorithm>
#include <cstdio>

#include "core/game_context.h"
#include "core/record_replays.h"
#include "core/shell.h"
#include "core/sprites.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "online/score_server.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kButtonW = 5, kButtonH = 2.5f, kButtonY = -8;
constexpr float kClearX = -11, kViewX = -4;
constexpr float kLineX = -10, kFirstLineY = 5, kLineStep = 1.05f, kLineScale = 0.4f;
constexpr char kUnprintableMark = '?';
// A row's place on the screen: the table picture's stripe, its line printed
// across the middle.
constexpr float kRowLeft = -15.16f, kRowRight = 1.16f, kRowHalfHeight = kLineStep / 2;
constexpr float kRowLitScaleW = 10.2f, kRowLitScaleH = 0.65f;  // "data\RecordRow.png", 408 x 26 pixels
constexpr float kNoteX = -10, kNoteY = -6.2f, kNoteScale = 0.3f;
constexpr const char* kNoReplayNote = "THIS RUN KEPT NO REPLAY";

float RowLineY(int row) { return kFirstLineY - kLineStep * static_cast<float>(row); }

}  // namespace

void TRecordsMenu::Build() {
  panel_ = CreatePicture("data\\Table.png", 12.5f, 8.75f, -7, -0.5f);
  title_ = CreatePicture("data\\HighScore.png", 11.25f, 5, 6, 8);
  clear_ = CreatePicture("data\\PRMClear.png", kButtonW, kButtonH, kClearX, kButtonY);
  view_ = CreatePicture("data\\PRMView.png", kButtonW, kButtonH, kViewX, kButtonY);
  clearLit_ = CreatePicture("data\\ARMClear.png", kButtonW, kButtonH, kClearX, kButtonY);
  viewLit_ = CreatePicture("data\\ARMView.png", kButtonW, kButtonH, kViewX, kButtonY);
  rowLit_ = CreatePicture("data\\RecordRow.png", kRowLitScaleW, kRowLitScaleH, (kRowLeft + kRowRight) / 2, 0);
  item_ = kClear;
  row_ = 0;
  clearLevel_ = 1;
  viewLevel_ = 0;
  SetHighlight(clearLit_, clearLevel_);
  SetHighlight(viewLit_, viewLevel_);
}

void TRecordsMenu::ShowSprites() {
  menus::ShowSprites({panel_, title_, clear_, view_, clearLit_, viewLit_});
  const core::TRecordsTable& records = core::Ctx().records;
  const core::RecordReplayIndex index = core::LoadRecordReplayIndex();
  for (int slot = 0; slot < core::kRecordCount; ++slot) replays_[slot] = core::RecordReplayPath(records, index, slot);
  if (row_ != 0 && !RowHasReplay(row_)) row_ = 0;
  note_.clear();
  PlaceRowHighlight();
}

void TRecordsMenu::HideSprites() {
  menus::HideSprites({panel_, title_, clear_, view_, clearLit_, viewLit_, rowLit_});
}

bool TRecordsMenu::RowHasReplay(int row) const { return row >= 1 && row <= core::kRecordCount && replays_[row - 1]; }

void TRecordsMenu::PlaceRowHighlight() {
  if (row_ == 0) {
    iSpriteHide(rowLit_);
    return;
  }
  core::SetSpriteLocation(rowLit_, (kRowLeft + kRowRight) / 2, RowLineY(row_));
  iSpriteShow(rowLit_);
}

bool TRecordsMenu::MoveRow(bool up) {
  bool any = false;
  for (int row = 1; row <= core::kRecordCount; ++row) any = any || RowHasReplay(row);
  if (!any) return false;
  int row = row_ == 0 ? (up ? core::kRecordCount + 1 : 0) : row_;
  do {
    row += up ? -1 : 1;
  } while (row >= 1 && row <= core::kRecordCount && !RowHasReplay(row));
  row_ = row >= 1 && row <= core::kRecordCount ? row : 0;
  note_.clear();
  PlaceRowHighlight();
  PlayClick(false);
  return true;
}

int TRecordsMenu::RowAt(core::CursorPoint p) {
  if (p.x <= kRowLeft || p.x >= kRowRight) return 0;
  for (int row = 1; row <= core::kRecordCount; ++row) {
    if (p.y < RowLineY(row) + kRowHalfHeight && p.y > RowLineY(row) - kRowHalfHeight) return row;
  }
  return 0;
}

bool TRecordsMenu::HoverRow(core::CursorPoint p) {
  const int row = RowAt(p);
  if (row == 0) return false;
  if (!RowHasReplay(row)) {
    note_ = kNoReplayNote;
    return false;
  }
  note_.clear();
  if (row == row_) return false;
  row_ = row;
  PlaceRowHighlight();
  return true;
}

void TRecordsMenu::DropRow() {
  row_ = 0;
  note_.clear();
  PlaceRowHighlight();
}

void TRecordsMenu::WatchRow() {
  if (!RowHasReplay(row_)) return;
  const core::TRecordEntry& entry = core::Ctx().records[row_ - 1];
  const std::string name(reinterpret_cast<const char*>(entry.Name), std::min<size_t>(entry.NameLength, core::kMaxTextLength));
  iSpriteHide(rowLit_);
  note_ = core::TheShell().WatchReplay(*replays_[row_ - 1], name);
  // It did not play: the table stays, and says why.
  if (!note_.empty()) PlaceRowHighlight();
}

void TRecordsMenu::ToggleItem() {
  item_ = item_ == kClear ? kView : kClear;
  PlayClick(false);
}

bool TRecordsMenu::SetItem(uint8_t item) {
  if (item == item_) return false;
  item_ = item;
  return true;
}

std::string TRecordsMenu::Line(const core::TRecordEntry& entry) {
  const size_t length = std::min<size_t>(entry.NameLength, core::kMaxTextLength);
  std::string name(reinterpret_cast<const char*>(entry.Name), length);
  // A name from an old or edited file may hold any byte. Two of them cannot
  // be printed in place (a zero ends the text, a line feed breaks it), so
  // they show as the mark the font draws for bytes it lacks, in their room.
  std::replace_if(name.begin(), name.end(), [](char c) { return c == '\0' || c == '\n'; }, kUnprintableMark);
  char line[64];
  std::snprintf(line, sizeof line, "%10s       %6d", name.c_str(), static_cast<int>(entry.Score));
  return line;
}

void TRecordsMenu::Draw() {
  iPrintsHide();
  SetPrintColor(1, 1, 1);
  const core::TRecordsTable& records = core::Ctx().records;
  for (int i = 1; i <= core::kRecordCount; ++i) {
    PrintText(Line(records[i - 1]), kLineX, RowLineY(i), kLineScale);
  }
  if (!note_.empty()) {
    SetPrintColor(1, 0.8f, 0.2f);
    PrintText(note_, kNoteX, kNoteY, kNoteScale);
    SetPrintColor(1, 1, 1);
  }
  FadeHighlight(clearLit_, clearLevel_, item_ == kClear);
  FadeHighlight(viewLit_, viewLevel_, item_ == kView);
}

void TRecordsMenu::AskClear() {
  iPrintsHide();
  core::SetGameState(core::gsRecordsResetConfirm);
  Menus().exitMenu.Show();
}

void TRecordsMenu::ViewOnline() {
  OpenOutsideTheGame(online::OnlineTableUrl(), [](core::RestartRecord& record) {
    record.gameState = core::GameState();
    record.musicChoice = core::Ctx().musicChoice;
    record.openScoreTable = 1;
  });
}

void TRecordsMenu::Leave() {
  iPrintsHide();
  HideSprites();
  Menus().mainMenu.Show();
  core::SetGameState(core::gsMainMenu);
}


void TRecordsMenu::Keys(uint8_t) {
  // Up and Down walk the rows that kept a replay; without any, every arrow
  // switches the buttons, as Left and Right always do.
  const bool up = Clicked(keys::kUp), down = Clicked(keys::kDown);
  const bool sideways = AnyClicked({keys::kRight, keys::kLeft});
  if ((up || down) && !MoveRow(up)) {
    ToggleItem();
  } else if (sideways) {
    DropRow();
    ToggleItem();
  }
  if (Clicked(keys::kEnter)) {
    if (row() != 0) {
      WatchRow();
    } else if (item() == kClear) {
      AskClear();
    } else {
      ViewOnline();
    }
  } else if (core::GameState() == core::gsRecords && Clicked(keys::kEscape)) {
    Leave();
  }
}

void TRecordsMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = areas::HitItem(areas::kRecordsAreas, p); hit && SetItem(hit)) PlayClick();
  if (HoverRow(p)) PlayClick();
  Menus().mainMenu.HoverBeside(p);
}

void TRecordsMenu::Click(core::CursorPoint p) {
  const uint8_t hit = areas::HitItem(areas::kRecordsAreas, p);
  if (hit == kClear) {
    AskClear();
  } else if (hit == kView) {
    ViewOnline();
  } else if (RowHasReplay(RowAt(p))) {
    HoverRow(p);
    WatchRow();
  } else {
    Menus().mainMenu.ClickBeside(p, 0);
  }
}

}  // namespace menus
