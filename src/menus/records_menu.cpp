#include "menus/records_menu.h"

#include <algorithm>
#include <cstdio>

#include "core/game_context.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "online/score_server.h"

namespace menus {
namespace {

constexpr float kButtonW = 5, kButtonH = 2.5f, kButtonY = -8;
constexpr float kClearX = -11, kViewX = -4;
constexpr float kLineX = -10, kFirstLineY = 5, kLineStep = 1.05f, kLineScale = 0.4f;
constexpr char kUnprintableMark = '?';

}  // namespace

void TRecordsMenu::Build() {
  panel_ = CreatePicture("data\\Table.png", 12.5f, 8.75f, -7, -0.5f);
  title_ = CreatePicture("data\\HighScore.png", 11.25f, 5, 6, 8);
  clear_ = CreatePicture("data\\PRMClear.png", kButtonW, kButtonH, kClearX, kButtonY);
  view_ = CreatePicture("data\\PRMView.png", kButtonW, kButtonH, kViewX, kButtonY);
  clearLit_ = CreatePicture("data\\ARMClear.png", kButtonW, kButtonH, kClearX, kButtonY);
  viewLit_ = CreatePicture("data\\ARMView.png", kButtonW, kButtonH, kViewX, kButtonY);
  item_ = kClear;
  clearLevel_ = 1;
  viewLevel_ = 0;
  SetHighlight(clearLit_, clearLevel_);
  SetHighlight(viewLit_, viewLevel_);
}

void TRecordsMenu::ShowSprites() { menus::ShowSprites({panel_, title_, clear_, view_, clearLit_, viewLit_}); }

void TRecordsMenu::HideSprites() { menus::HideSprites({panel_, title_, clear_, view_, clearLit_, viewLit_}); }

void TRecordsMenu::ToggleItem() {
  item_ = item_ == kClear ? kView : kClear;
  PlayClick(false);
}

bool TRecordsMenu::SetItem(uint8_t item) {
  if (item == item_) return false;
  item_ = item;
  return true;
}

std::string TRecordsMenu::Line(const TRecordEntry& entry) {
  const size_t length = std::min<size_t>(entry.NameLength, kMaxTextLength);
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
  const TRecordsTable& records = app::Ctx().records;
  for (int i = 1; i <= kRecordCount; ++i) {
    PrintText(Line(records[i - 1]), kLineX, kFirstLineY - kLineStep * static_cast<float>(i), kLineScale);
  }
  FadeHighlight(clearLit_, clearLevel_, item_ == kClear);
  FadeHighlight(viewLit_, viewLevel_, item_ == kView);
}

void TRecordsMenu::AskClear() {
  iPrintsHide();
  app::SetGameState(app::gsRecordsResetConfirm);
  Menus().exitMenu.Show();
}

void TRecordsMenu::ViewOnline() {
  OpenOutsideTheGame(services::OnlineTableUrl(), [](app::RestartRecord& record) {
    record.gameState = app::GameState();
    record.musicChoice = app::Ctx().musicChoice;
    record.openScoreTable = 1;
  });
}

void TRecordsMenu::Leave() {
  iPrintsHide();
  HideSprites();
  Menus().mainMenu.Show();
  app::SetGameState(app::gsMainMenu);
}

}  // namespace menus
