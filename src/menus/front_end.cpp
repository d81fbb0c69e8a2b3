#include "menus/front_end.h"

#include "core/game_context.h"
#include "menus/typing.h"
#include "menus/world_access.h"
#include "core/music.h"
#include "menus/share_screen.h"

namespace menus {

TFrontEnd::TFrontEnd() = default;
TFrontEnd::~TFrontEnd() = default;

TScreen* TFrontEnd::InputScreen(core::StateInput input) {
  using core::StateInput;
  switch (input) {
    case StateInput::kPlaying:
    case StateInput::kPaused: return &playKeys;
    case StateInput::kMainMenu: return &mainMenu;
    case StateInput::kOptions:
    case StateInput::kOptionsText:
    case StateInput::kOptionsKey: return &optMenu;
    case StateInput::kHelp: return &helpMenu;
    case StateInput::kControls: return &controlsMenu;
    case StateInput::kDialog: return &exitMenu;
    case StateInput::kRecords: return &recordsMenu;
    case StateInput::kRecordEntry: return &recordInput;
    case StateInput::kNone: break;
  }
  return nullptr;
}

TScreen* TFrontEnd::FrameScreen(core::StateScreen screen) {
  using core::StateScreen;
  switch (screen) {
    case StateScreen::kHelp: return &helpMenu;
    case StateScreen::kDialog: return &exitMenu;
    case StateScreen::kRecords: return &recordsMenu;
    case StateScreen::kOptions: return &optMenu;
    case StateScreen::kControls: return &controlsMenu;
    case StateScreen::kRecordEntry: return &recordInput;
    case StateScreen::kShareScreen: return shareScreen.get();
    default: return nullptr;
  }
}

TFrontEnd& MakeFrontEnd(core::GameContext& ctx) {
  ctx.frontEnd = std::make_shared<TFrontEnd>();
  ctx.hideMenusForPlay = [&ctx] {
    if (ctx.frontEnd) ctx.frontEnd->mainMenu.Hide();
  };
  return *ctx.frontEnd;
}

TFrontEnd& Menus() {
  core::GameContext& ctx = core::Ctx();
  return ctx.frontEnd ? *ctx.frontEnd : MakeFrontEnd(ctx);
}

void HideSidePanels() {
  TFrontEnd& menus = Menus();
  menus.helpMenu.Hide();
  menus.optMenu.HideSprites();
  menus.controlsMenu.Hide();
  menus.recordsMenu.HideSprites();
}

void ReturnToMenu() {
  core::GameContext& ctx = core::Ctx();
  TFrontEnd& menus = Menus();
  menus.mainMenu.Show();
  world_access::HidePlayScreen();
  world_access::ResetForNewGame();
  core::SetGameState(core::gsMainMenu);
  menus.mainMenu.Show();
  ctx.musicChoice = 1;
  if (ctx.ActiveSettings.MusicOn) core::PlayMusic("1");
}

bool EndOfRunCheck() {
  core::GameContext& ctx = core::Ctx();
  TFrontEnd& menus = Menus();
  const int rank = core::QualifyingRank(ctx.records, world_access::Score());
  if (rank != 0) {
    ctx.pendingRecordRank = rank;
    core::SetGameState(core::gsRecordButtons);
    menus.recordInput.addText() = AddTextOf(ctx.ActiveSettings);
    menus.recordInput.Open();
    return true;
  }
  world_access::HidePlayScreen();
  world_access::ResetForNewGame();
  core::SetGameState(core::gsMainMenu);
  menus.mainMenu.Show();
  ctx.musicChoice = 1;
  return false;
}

}  // namespace menus
