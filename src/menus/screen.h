// TScreen: a screen of the game's states (the main menu, the options, help,
// the high-score table, the name entry, the dialogs, play, the promotion
// screen). Each takes the frame's keys and pointer itself and does its own
// work of the frame; the frame loop asks the front end for the screen of the
// current state and calls it, in this order: Keys, Hover (when the pointer
// moved), Click (when it clicked), then later Frame.
#pragma once

#include <cstdint>

#include "core/pointer.h"

namespace menus {

class TScreen {
 public:
  virtual ~TScreen() = default;
  // The frame's keys; `modifiers` are the kShiftHeld, kAltHeld, kCtrlHeld bits held.
  virtual void Keys(uint8_t modifiers) {}
  // The pointer moved to `p` (engine units).
  virtual void Hover(core::CursorPoint p) {}
  // The left button was pressed at `p`.
  virtual void Click(core::CursorPoint p) {}
  // The screen's work of the frame (its texts, its fades).
  virtual void Frame() {}
};

}  // namespace menus
