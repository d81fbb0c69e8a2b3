// How a run's end is told: the counters the HUD shows and a hash of the
// world's state, the same for the game that played it and the verifier.
#pragma once

#include "core/replay_file.h"

namespace app {

// The run's end as it stands now (the world of the context).
core::ReplayEnd RunEndNow(core::RunOutcome outcome);

// The outcome a frame's end gives a run in progress, if it ended: the last
// life lost, or quit (back to the menus, or on to the name entry).
std::optional<core::RunOutcome> RunOutcomeOf(uint8_t state);

}  // namespace app
