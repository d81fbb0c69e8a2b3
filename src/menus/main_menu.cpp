#include "menus/main_menu.h"

#include "core/game_context.h"
#include "core/game_files.h"
#include "core/music.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "menus/world_access.h"
#include "platform/game_path.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kItemW = 8.75f, kItemH = 2;

struct ItemPictures {
  TMainMenu::Item item;
  const char* plain;
  const char* lit;
  float x, y;
};
// In the order the pictures are made (and faded): start, options, high scores, help, web, exit.
constexpr ItemPictures kPictures[] = {
    {TMainMenu::kStart, "data\\PMMStart.png", "data\\AMMStart.png", 9, 3},
    {TMainMenu::kOptions, "data\\PMMOptions.png", "data\\AMMOptions.png", 9.4f, -2},
    {TMainMenu::kHighScores, "data\\PMMHigh.png", "data\\AMMHigh.png", 9.4f, -4.5f},
    {TMainMenu::kHelp, "data\\PMMHelp.png", "data\\AMMHelp.png", 9.25f, 0.5f},
    {TMainMenu::kWeb, "data\\PMMWeb.png", "data\\AMMWeb.png", 9.25f, -7},
    {TMainMenu::kExit, "data\\PMMExit.png", "data\\AMMExit.png", 9, -9.5f},
};

}  // namespace

void TMainMenu::Build() {
  for (const ItemPictures& p : kPictures) plain_[p.item - 1] = CreatePicture(p.plain, kItemW, kItemH, p.x, p.y);
  for (const ItemPictures& p : kPictures) lit_[p.item - 1] = CreatePicture(p.lit, kItemW, kItemH, p.x, p.y);
  item_ = kStart;
  // The options highlight starts lit and fades out over the first frames.
  for (int i = 0; i < kItems; ++i) opacity_[i] = i + 1 == kOptions ? 1.0 : 0.0;
  for (int i = 0; i < kItems; ++i) SetHighlight(lit_[i], opacity_[i]);
}

void TMainMenu::Show() {
  for (int i = 0; i < kItems; ++i) {
    iSpriteShow(plain_[i]);
    iSpriteShow(lit_[i]);
  }
  if (world_access::WorldActive()) world_access::HideTiles();
}

void TMainMenu::Hide() {
  for (int i = 0; i < kItems; ++i) {
    iSpriteHide(plain_[i]);
    iSpriteHide(lit_[i]);
  }
}

void TMainMenu::Select(bool up) {
  item_ = WrapItem(item_, up, kItems);
  PlayClick();
  if (item_ == kStart || item_ == kWeb || item_ == kExit) HideSidePanels();
}

bool TMainMenu::SetItem(uint8_t item) {
  if (item == item_) return false;
  item_ = item;
  return true;
}

void TMainMenu::HighlightFade() {
  for (const ItemPictures& p : kPictures) FadeHighlight(lit_[p.item - 1], opacity_[p.item - 1], p.item == item_);
}

void TMainMenu::RunAction(uint8_t item) {
  switch (item) {
    case kStart: Start(); break;
    case kHelp: Help(); break;
    case kOptions: Options(); break;
    case kHighScores: HighScores(); break;
    case kWeb: Web(); break;
    case kExit: Exit(); break;
    default: break;
  }
}

void TMainMenu::Start() {
  core::GameContext& ctx = core::Ctx();
  core::SharedResources& res = ctx.res;
  iSpriteHide(res.cursorSprite);
  Hide();
  iPrintsHide();
  core::SetGameState(core::gsLevelBuild);
  iSpriteHide(res.menuBackground);
  iSpriteShow(res.loadingPicture1);
  iSpriteShow(res.loadingBar);
  iSpriteTextureSet(res.loadingBar, res.loadingBarTextures[1]);
  iRender();
  core::StopMusic("2");
  if (!world_access::WorldActive()) world_access::CreateWorldResources();
  HideSidePanels();
  ctx.musicChoice = 0;
}

void TMainMenu::Help() {
  TFrontEnd& menus = Menus();
  // The help pages print nothing of their own, so the table's lines would stay.
  iPrintsHide();
  menus.optMenu.HideSprites();
  menus.controlsMenu.Hide();
  menus.recordsMenu.HideSprites();
  Hide();
  Show();
  menus.helpMenu.Show();
  core::SetGameState(core::gsHelp);
}

void TMainMenu::Options() {
  TFrontEnd& menus = Menus();
  menus.helpMenu.Hide();
  menus.recordsMenu.HideSprites();
  menus.controlsMenu.Hide();
  Hide();
  Show();
  menus.optMenu.ShowSprites();
  core::SetGameState(core::gsOptions);
  core::Ctx().PendingSettings = core::Ctx().ActiveSettings;
}

void TMainMenu::HighScores() {
  TFrontEnd& menus = Menus();
  menus.helpMenu.Hide();
  menus.optMenu.HideSprites();
  menus.controlsMenu.Hide();
  Hide();
  Show();
  menus.recordsMenu.ShowSprites();
  core::SetGameState(core::gsRecords);
  item_ = kHighScores;
}

void TMainMenu::Web() {
  OpenOutsideTheGame(platform::GamePath(core::kMoreGamesLink), [](core::RestartRecord& record) {
    record.gameState = core::GameState();
    record.musicChoice = 1;
    record.openMoreGames = 1;
  });
}

void TMainMenu::Exit() {
  Hide();
  Show();
  Menus().exitMenu.Show();
  core::SetGameState(core::gsExitConfirm);
}


uint8_t TMainMenu::ItemAt(core::CursorPoint p) { return areas::HitItem(areas::kMainMenuAreas, p); }

void TMainMenu::HoverBeside(core::CursorPoint p) {
  if (const uint8_t item = ItemAt(p)) SetItem(item);
}

void TMainMenu::ClickBeside(core::CursorPoint p, uint8_t shown) {
  const uint8_t item = ItemAt(p);
  if (item != 0 && item != shown) RunAction(item);
}

void TMainMenu::Keys(uint8_t) {
  const bool up = Clicked(keys::kUp);
  const bool down = Clicked(keys::kDown);
  if (up || down) {
    Select(up);
    Hide();
    Show();
  }
  if (Clicked(keys::kEnter)) {
    RunAction(item());
  } else if (core::GameState() == core::gsMainMenu && Clicked(keys::kEscape)) {
    Exit();
  }
}

void TMainMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = ItemAt(p); hit && SetItem(hit)) PlayClick();
  Hide();
  Show();
}

void TMainMenu::Click(core::CursorPoint p) { ClickBeside(p, 0); }

}  // namespace menus
