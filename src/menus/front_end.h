// TFrontEnd: the six menus and the promotion screen, created once with the
// main window, and the few actions that span several of them (leaving the
// side screens, returning to the main menu after a run, the high-score check
// at the end of a run).
#pragma once

#include <functional>
#include <memory>

#include "core/game_context.h"
#include "menus/controls_menu.h"
#include "menus/exit_menu.h"
#include "menus/help_menu.h"
#include "menus/main_menu.h"
#include "menus/play_keys.h"
#include "menus/options_menu.h"
#include "menus/record_input_menu.h"
#include "menus/records_menu.h"
#include "menus/score_submission.h"

namespace menus {

class TShareScreen;

struct TFrontEnd {
  TFrontEnd();
  ~TFrontEnd();

  TMainMenu mainMenu;
  THelpMenu helpMenu;
  TExitMenu exitMenu;
  TRecordsMenu recordsMenu;
  TOptMenu optMenu;
  TControlsMenu controlsMenu;
  TRecordInputMenu recordInput;
  std::unique_ptr<menus::TShareScreen> shareScreen;  // made when quitting is confirmed
  TPlayKeys playKeys;           // Esc and Pause over play
  TScoreSubmission submission;  // the submission dialog's score client

  // The screen that takes the keys and the pointer in a state of input kind
  // `input`, or null (none does).
  TScreen* InputScreen(core::StateInput input);
  // The screen whose frame work runs while `screen` shows, or null.
  TScreen* FrameScreen(core::StateScreen screen);

  // Engine start: every menu's pictures, with the loading bar stepped between them.
  template <typename StepBar>
  void BuildAll(StepBar stepBar) {
    stepBar(3); mainMenu.Build();
    stepBar(4); helpMenu.Build();
    stepBar(5); recordsMenu.Build();
    stepBar(6); optMenu.Build(); controlsMenu.Build();
    stepBar(7); recordInput.Build();
    stepBar(8); exitMenu.Build();
    stepBar(9);
  }
};

// The front end of the current game context.
TFrontEnd& Menus();
// Makes the front end of `ctx` anew and lets the play screen hide its menu column.
TFrontEnd& MakeFrontEnd(core::GameContext& ctx);

// Hides the help pages, the options, the controls and the high-score table.
void HideSidePanels();

// After a run or a submission: play screen away, world reset, main menu and menu music.
void ReturnToMenu();

// End of a run (game over or quit from play): a score that beats a stored one
// opens the name entry; otherwise the world goes and the main menu returns.
// True when the name entry was opened.
bool EndOfRunCheck();

}  // namespace menus
