// Game controllers as keys: every pad's buttons and left stick become the
// scan codes the game's logic reads, folded into the frame's input, so play,
// the menus and typing work with a pad and a replay holds only keys.
//
// The mapping depends on the layout in force when a button goes down:
//   play   the player's controls (by default A and D-pad up -> Up, the rest
//          of the D-pad -> its arrow, X -> Left Ctrl (fire), B -> Numpad 0
//          (grenade), Y and the right shoulder -> Z (aim in place), Start ->
//          Pause); Back -> Esc
//   menu   D-pad -> arrows, A -> Enter, B and Back -> Esc, Start -> Pause
// The left stick is the arrows in both.
// A button keeps the key it pressed until it is released, so a layout change
// while it is held (A starts a game from the menu) never leaves a key down.
//
// The stick presses an arrow when an axis passes kStickPress and releases it
// only below kStickRelease (a dead zone with hysteresis): a stick at rest
// never walks, one that wobbles at the threshold does not stutter, and one
// held at 45 degrees (0.71 on both axes) holds two arrows and aims diagonally.
//
// Several pads may be connected; the keys held are the union of all of them.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <vector>

#include "core/controls.h"
#include "core/frame_input.h"
#include "engine_link/pad_reports.h"

namespace core {

enum class PadLayout { kMenu, kPlay };

inline constexpr float kStickPress = 0.5f;    // |axis| beyond this presses the arrow
inline constexpr float kStickRelease = 0.3f;  // and below this lets it go

// The layout of a game state: play where a game controller fights (the quit
// dialog over play works the menus).
PadLayout PadLayoutOf(uint8_t gameState);

// The key a button (VARNOK_PAD_*) presses in a layout; 0 when it presses none.
int32_t PadButtonKey(int button, PadLayout layout, const Controls& controls);

class PadKeys {
 public:
  // Folds one frame's reports into keys. A pad no longer reported lets go of
  // everything it held.
  void Frame(const std::vector<engine_link::PadReport>& pads, PadLayout layout, const Controls& controls);

  // The keys the pads hold this frame, and the keys they newly pressed.
  const std::bitset<kScanCodes>& held() const { return held_; }
  const std::bitset<kScanCodes>& pressed() const { return pressed_; }
  // The buttons any pad pressed this frame, whatever they mean.
  const std::bitset<engine_link::kPadButtons>& buttonsPressed() const { return buttonsPressed_; }

 private:
  struct Pad {
    std::array<int32_t, engine_link::kPadButtons> buttonKey{};  // key latched by each held button
    std::bitset<engine_link::kPadButtons> down;                  // button held at the last frame
    int stickX = 0, stickY = 0;  // arrow latched by each stick axis: -1, 0 or +1
  };
  std::map<int32_t, Pad> pads_;
  std::bitset<kScanCodes> held_;
  std::bitset<kScanCodes> pressed_;
  std::bitset<engine_link::kPadButtons> buttonsPressed_;
};

}  // namespace core
