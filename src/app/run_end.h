// How a run's end is told: the counters the HUD shows and a hash of the
// world's state, the same for the game that played it and the verifier.
#pragma once

#include <cstdint>
#include <optional>

#include "app/run_observer.h"
#include "core/replay_file.h"

namespace app {

// The run's end as it stands now (the world of the context).
core::ReplayEnd RunEndNow(core::RunOutcome outcome);

// The outcome a frame's end gives a run in progress, if it ended: the last
// life lost, or quit (back to the menus, or on to the name entry).
std::optional<core::RunOutcome> RunOutcomeOf(uint8_t state);

// Follows a run made again from its replay (verified or watched): seeds each
// relaunched process as the recording's was seeded, and notes how the run
// ended, in the frame it ends in.
class ReplayedRunWatch final : public RunObserver {
 public:
  void FrameBegun(const core::FrameInput&) override {}
  void RunStarted(const core::FrameInput&) override {}
  void FrameEnded() override;
  void RunClearing() override;
  void ResumedAfterRestart() override;

  uint32_t segmentSeed = 0;              // the seed of the segment being made again
  std::optional<core::ReplayEnd> end;   // once the run has ended
};

}  // namespace app
