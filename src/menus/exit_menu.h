// TExitMenu: the game's one yes/no dialog. The question it asks and what "yes"
// and "no" do follow the game state: quitting from the main menu, ending a run
// during play, clearing the high-score table, submitting a score online and
// the submission's progress and result.
#pragma once

#include <cstdint>

#include "engine_link/engine_calls.h"
#include "menus/screen.h"

namespace menus {

class TExitMenu final : public TScreen {
 public:
  // The screen's input and frame work (see TScreen).
  void Keys(uint8_t modifiers) override;
  void Hover(core::CursorPoint p) override;
  void Click(core::CursorPoint p) override;
  enum Item : uint8_t { kYes = 1, kNo = 2 };

  // Engine start: frame and buttons; "yes" selected but "no" lit, which the
  // fade puts right within a few frames.
  void Build();
  void Show();
  void Hide();
  // Switches between yes and no, with the click.
  void Switch();
  // Hover: true when the item changed (the dialog makes no hover sound).
  bool SetItem(uint8_t item);
  void SetItemQuietly(uint8_t item) { item_ = item; }
  uint8_t item() const { return item_; }
  // Each frame in a dialog state: the state's caption and the highlights.
  void Update();
  void Frame() override { Update(); }

  // The selected item's action (Enter).
  void Press();
  // The current state's "yes" and "no" actions (Esc is "no").
  void Yes();
  void No();

  // The window's close box over the menus: quit dialog with "no" selected.
  void OpenFromCloseBox();

  // The score client's outcomes, run on the frame thread once per attempt.
  // Refused: the version query failed or was refused; the dialog offers
  // another try. Sent: the dialog closes and the main menu returns.
  void SubmissionRefused();
  void SubmissionSent();

 private:
  void StartSubmission();
  void LeaveSubmission();

  uint8_t item_ = kYes;                  // 1 yes, 2 no
  EHandle frame_ = 0;
  EHandle yes_ = 0, yesLit_ = 0;
  EHandle no_ = 0, noLit_ = 0;
  double yesOpacity_ = 0, noOpacity_ = 1;
};

}  // namespace menus
