// Game controllers as the game polls them: for each connected pad, the
// buttons held, the presses since the last run phase (each seen once, like a
// key's) and the axes. What a button means is the game's business: the
// engine reports pads the way it reports keys.
//
// Focus lost lets go of everything: a button still held reads as up until it
// is released and pressed again, a tilted axis reads 0 until it next moves.
// Not thread-safe: the engine calls it under its own lock.
#pragma once

#include <array>
#include <bitset>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "spriteengine/engine_api.h"

namespace spriteengine {

// SDL's game-controller button order (the numbers iPadButtonDown takes).
enum class PadButton {
  kA, kB, kX, kY, kBack, kGuide, kStart, kLeftStick, kRightStick, kLeftShoulder, kRightShoulder,
  kDpadUp, kDpadDown, kDpadLeft, kDpadRight,
  kCount
};

// SDL's game-controller axis order. Values are -1..1; y grows downwards,
// triggers 0..1.
enum class PadAxis { kLeftX, kLeftY, kRightX, kRightY, kLeftTrigger, kRightTrigger, kCount };

static_assert(static_cast<int>(PadButton::kCount) == VARNOK_PAD_BUTTONS);
static_assert(static_cast<int>(PadAxis::kCount) == VARNOK_PAD_AXES);

// Buttons and axes by the names of SDL's mapping strings ("a", "dpleft",
// "leftshoulder", "leftx", "righttrigger"); nullopt for any other name.
std::optional<PadButton> PadButtonNamed(std::string_view name);
std::optional<PadAxis> PadAxisNamed(std::string_view name);

class PadState {
 public:
  // A pad was connected. Events of a pad never added also add it.
  void Add(int pad);
  // A pad went away with everything it held. False when it was not connected.
  bool Remove(int pad);
  void Button(int pad, PadButton button, bool down);
  void Axis(int pad, PadAxis axis, float value);
  void ReleaseAll();
  // Start of a run phase: presses since the last one become clickable, and
  // the ones nobody asked for are dropped.
  void BeginFrame();

  // The connected pads, in rising order.
  std::vector<int> Pads() const;
  bool IsButtonDown(int pad, PadButton button) const;
  bool TakeButtonClick(int pad, PadButton button);
  float AxisValue(int pad, PadAxis axis) const;

 private:
  static constexpr int kButtons = static_cast<int>(PadButton::kCount);
  static constexpr int kAxes = static_cast<int>(PadAxis::kCount);
  struct Pad {
    std::bitset<kButtons> down;       // as the device reports it
    std::bitset<kButtons> ignored;    // held through a focus loss: up until released
    std::bitset<kButtons> pending;    // pressed since the last BeginFrame
    std::bitset<kButtons> clickable;  // press of this run phase not yet taken
    std::array<float, kAxes> axes{};
    std::bitset<kAxes> axisStale;     // read as 0 until the axis moves again
  };
  const Pad* Find(int pad) const;
  std::map<int, Pad> pads_;
};

}  // namespace spriteengine
