// The game controllers as the engine reports them, read once a frame: for
// each connected pad its buttons held, its new presses and its axes.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

#include "engine_link/engine_library.h"

namespace engine_link {

inline constexpr int kPadButtons = VARNOK_PAD_BUTTONS;
inline constexpr int kPadAxes = VARNOK_PAD_AXES;
inline constexpr int kPadsRead = 16;  // pads beyond this many at once are not read

struct PadReport {
  int32_t pad = 0;                   // the engine's number for the pad
  std::bitset<kPadButtons> held;     // buttons down now
  std::bitset<kPadButtons> pressed;  // buttons pressed since the last frame
  std::array<float, kPadAxes> axes{};

  bool operator==(const PadReport&) const = default;
};

// Asks the engine about every connected pad (each press is taken once).
std::vector<PadReport> ReadPadReports(const EnginePhaseCalls& engine);

}  // namespace engine_link
