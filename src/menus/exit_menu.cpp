#include "menus/exit_menu.h"

#include <iterator>

#include "core/game_context.h"
#include "core/record_replays.h"
#include "core/music.h"
#include "menus/front_end.h"
#include "menus/menu_common.h"
#include "menus/world_access.h"
#include "menus/share_screen.h"
#include "menus/input_areas.h"
#include "menus/menu_keys.h"

namespace menus {
namespace {

constexpr float kButtonW = 3.2f, kButtonH = 1.6f, kButtonY = -2.5f;
constexpr float kYesX = -2, kNoX = 2.5f;

struct CaptionLine {
  const char* text;
  float x, y;
};
struct Caption {
  uint8_t state;
  bool alert;               // red: the submission's own messages
  float scale;
  CaptionLine lines[4];
};

constexpr Caption kCaptions[] = {
    {core::gsExitConfirm, false, 0.5f, {{"QUIT THE GAME?", -3.7f, 1}}},
    {core::gsGameExitConfirm, false, 0.5f, {{"END THIS RUN?", -3.3f, 1}}},
    {core::gsSubmitConfirm, false, 0.45f, {{"SUBMIT YOUR SCORE", -4.6f, 1.5f}, {"TO THE ONLINE TABLE?", -5.2f, 0}}},
    {core::gsRecordsResetConfirm, false, 0.5f, {{"CLEAR THE TABLE?", -4.4f, 1}}},
    {core::gsSubmitting, true, 0.45f, {{"SENDING...", -2.6f, 1.5f}, {"PLEASE WAIT", -3, 0}}},
    {core::gsSubmitResult, true, 0.45f,
     {{"NO ANSWER", -2.3f, 2}, {"FROM SERVER", -2.8f, 1}, {"TRY AGAIN?", -2.2f, 0}, {"ESC: BACK", -2.2f, -1}}},
};

}  // namespace

void TExitMenu::Build() {
  frame_ = CreatePicture("data\\Query.png", 8, 6, 0.2f, -1);
  yes_ = CreatePicture("data\\PEMYes.png", kButtonW, kButtonH, kYesX, kButtonY);
  yesLit_ = CreatePicture("data\\AEMYes.png", kButtonW, kButtonH, kYesX, kButtonY);
  no_ = CreatePicture("data\\PEMNo.png", kButtonW, kButtonH, kNoX, kButtonY);
  noLit_ = CreatePicture("data\\AEMNo.png", kButtonW, kButtonH, kNoX, kButtonY);
  item_ = kYes;
  yesOpacity_ = 0;
  noOpacity_ = 1;
  SetHighlight(yesLit_, yesOpacity_);
  SetHighlight(noLit_, noOpacity_);
}

void TExitMenu::Show() { ShowSprites({frame_, yes_, yesLit_, no_, noLit_}); }

void TExitMenu::Hide() { HideSprites({frame_, yes_, yesLit_, no_, noLit_}); }

void TExitMenu::Switch() {
  if (item_ == kYes || item_ == kNo) item_ = item_ == kYes ? kNo : kYes;
  PlayClick();
}

bool TExitMenu::SetItem(uint8_t item) {
  if (item == item_) return false;
  item_ = item;
  return true;
}

void TExitMenu::Update() {
  iPrintsHide();
  const uint8_t state = core::GameState();
  for (const Caption& caption : kCaptions) {
    if (caption.state != state) continue;
    if (caption.alert) {
      SetPrintColor(1, 0, 0);
    } else {
      SetPrintColor(kDimGrey, kDimGrey, kDimGrey);
    }
    for (const CaptionLine& line : caption.lines) {
      if (line.text) PrintText(line.text, line.x, line.y, caption.scale);
    }
  }
  FadeHighlight(yesLit_, yesOpacity_, item_ == kYes);
  FadeHighlight(noLit_, noOpacity_, item_ == kNo);
}

void TExitMenu::Press() {
  if (item_ == kYes) {
    Yes();
  } else if (item_ == kNo) {
    No();
  }
}

void TExitMenu::Yes() {
  core::GameContext& ctx = core::Ctx();
  TFrontEnd& menus = Menus();
  switch (core::GameState()) {
    case core::gsExitConfirm:
      menus.shareScreen = std::make_unique<menus::TShareScreen>();
      menus.shareScreen->Load();
      core::SetGameState(core::gsShareScreen);
      break;
    case core::gsGameExitConfirm:
      EndOfRunCheck();
      Hide();
      if (ctx.ActiveSettings.MusicOn) core::PlayMusic("1");
      break;
    case core::gsRecordsResetConfirm:
      // The kept replays go with the entries they were kept for.
      if (core::ClearRecords(ctx.records)) core::DropRecordReplays();
      iPrintsHide();
      Hide();
      core::SetGameState(core::gsRecords);
      menus.recordsMenu.ShowSprites();
      break;
    case core::gsSubmitConfirm:
    case core::gsSubmitResult:
      StartSubmission();
      break;
    default:
      break;
  }
}

void TExitMenu::No() {
  core::GameContext& ctx = core::Ctx();
  TFrontEnd& menus = Menus();
  switch (core::GameState()) {
    case core::gsExitConfirm:
      iPrintsHide();
      Hide();
      menus.mainMenu.Show();
      core::SetGameState(core::gsMainMenu);
      HideSidePanels();
      break;
    case core::gsGameExitConfirm:
      iPrintsHide();
      Hide();
      core::SetGameState(core::gsPlaying);
      world_access::RaiseActors();
      iSpriteHide(ctx.res.cursorSprite);
      break;
    case core::gsRecordsResetConfirm:
      iPrintsHide();
      core::SetGameState(core::gsRecords);
      Hide();
      menus.recordsMenu.ShowSprites();
      break;
    case core::gsSubmitConfirm:
    case core::gsSubmitResult:
      LeaveSubmission();
      break;
    default:
      break;
  }
}

void TExitMenu::StartSubmission() {
  core::SetGameState(core::gsSubmitting);
  // A client that cannot start fails like a connection that cannot be made:
  // the dialog offers another try.
  if (!Menus().submission.Start()) core::SetGameState(core::gsSubmitResult);
}

void TExitMenu::SubmissionRefused() {
  if (core::GameState() == core::gsSubmitting) core::SetGameState(core::gsSubmitResult);
}

void TExitMenu::SubmissionSent() {
  // Only an attempt the dialog is still waiting for ends it.
  if (core::GameState() != core::gsSubmitting) return;
  iPrintsHide();
  Hide();
  ReturnToMenu();
}

void TExitMenu::LeaveSubmission() {
  iPrintsHide();
  Hide();
  ReturnToMenu();
  core::SetGameState(core::gsRecords);
  Menus().recordsMenu.ShowSprites();
}

void TExitMenu::OpenFromCloseBox() {
  Menus().mainMenu.Hide();
  item_ = kNo;
  Show();
  core::SetGameState(core::gsExitConfirm);
}


void TExitMenu::Keys(uint8_t) {
  if (AnyClicked({keys::kUp, keys::kDown, keys::kLeft, keys::kRight})) Switch();
  const uint8_t state = core::GameState();
  if (Clicked(keys::kEnter)) {
    Press();
  } else if (core::GameState() == state && Clicked(keys::kEscape)) {
    No();
  }
}

void TExitMenu::Hover(core::CursorPoint p) {
  if (const uint8_t hit = areas::HitItem(areas::kDialogAreas, p)) SetItem(hit);
}

void TExitMenu::Click(core::CursorPoint p) {
  const uint8_t hit = core::GameState() == core::gsRecordsResetConfirm ? areas::HitItem(areas::kResetDialogClickAreas, p)
                                                                      : areas::HitItem(areas::kDialogAreas, p);
  if (hit == kYes) Yes();
  if (hit == kNo) No();
}

}  // namespace menus
