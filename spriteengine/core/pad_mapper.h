// Game controllers as keys: every pad's buttons and left stick become the
// DirectInput keys the game already reads, so play, menus and typing work
// with a pad unchanged (and scripted tests can drive it).
//
// The mapping depends on the layout in force when a button goes down:
//   both layouts  D-pad and left stick -> arrows, Start -> Pause, Back -> Esc
//   play          A -> Up, X -> Left Ctrl (fire), B -> Numpad 0 (grenade),
//                 Y and the right shoulder -> Z (aim in place)
//   menu          A -> Enter, B -> Esc
// A button keeps the key it pressed until it is released, so a layout change
// while it is held (A starts a game from the menu) never leaves a key down.
//
// The stick presses an arrow when an axis passes kStickPress and releases it
// only below kStickRelease (a dead zone with hysteresis): a stick at rest
// never walks, one that wobbles at the threshold does not stutter, and one
// held at 45 degrees (0.71 on both axes) holds two arrows and aims diagonally.
//
// Several pads may be connected; the keys held are the union of all of them.
// Not thread-safe: the engine calls it under its own lock.
#pragma once

#include <array>
#include <bitset>
#include <map>
#include <optional>
#include <string_view>

#include "input_state.h"

namespace spriteengine {

// SDL's game-controller button order.
enum class PadButton {
  kA, kB, kX, kY, kBack, kGuide, kStart, kLeftStick, kRightStick, kLeftShoulder, kRightShoulder,
  kDpadUp, kDpadDown, kDpadLeft, kDpadRight,
  kCount
};

// SDL's game-controller axis order. Values are -1..1; y grows downwards,
// triggers 0..1.
enum class PadAxis { kLeftX, kLeftY, kRightX, kRightY, kLeftTrigger, kRightTrigger, kCount };

enum class PadLayout { kMenu, kPlay };

inline constexpr float kStickPress = 0.5f;    // |axis| beyond this presses the arrow
inline constexpr float kStickRelease = 0.3f;  // and below this lets it go

using KeySet = std::bitset<kKeyCount>;

// Buttons and axes by the names of SDL's mapping strings ("a", "dpleft",
// "leftshoulder", "leftx", "righttrigger"); nullopt for any other name.
std::optional<PadButton> PadButtonNamed(std::string_view name);
std::optional<PadAxis> PadAxisNamed(std::string_view name);

// The key a button presses in a layout; 0 when it presses none.
int PadButtonKey(PadButton button, PadLayout layout);

class PadMapper {
 public:
  // A pad was connected. Events of a pad never added also add it.
  void Add(int pad);
  // A pad went away: its keys are released. False when it was not connected.
  bool Remove(int pad);
  void Button(int pad, PadButton button, bool down, PadLayout layout);
  void Axis(int pad, PadAxis axis, float value);
  // Focus lost: every pad lets go (a button still held presses again only
  // after it is released; a tilted stick at its next movement).
  void ReleaseAll();

  KeySet HeldKeys() const;
  int Connected() const { return static_cast<int>(pads_.size()); }

 private:
  // An arrow latched by one stick axis: -1 negative, 0 none, +1 positive.
  struct Pad {
    std::array<int, static_cast<int>(PadButton::kCount)> buttonKey{};  // key pressed by each held button
    std::array<bool, static_cast<int>(PadButton::kCount)> held{};     // button down (even with no key)
    int stickX = 0, stickY = 0;
  };
  std::map<int, Pad> pads_;
};

}  // namespace spriteengine
