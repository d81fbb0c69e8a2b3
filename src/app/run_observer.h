// RunObserver: what the frames tell of a run's life, for whoever keeps it
// (the recorder while playing, the verifier while re-running a replay).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/frame_input.h"

namespace app {

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A frame begins with `input`, before any of its work (every frame).
  virtual void FrameBegun(const core::FrameInput& input) = 0;
  // The main menu's start action ran in this frame, whose input was
  // `input`: a new run begins with the rest of the frame (the level build).
  virtual void RunStarted(const core::FrameInput& input) = 0;
  // The frame's work is done (every frame).
  virtual void FrameEnded() = 0;
  // The world is about to be cleared for the next run: a run still going
  // was quit, and its end is read now, before its world goes.
  virtual void RunClearing() = 0;
  // A self-restart has saved the game for the next process: whatever the
  // run needs to go on there is saved now. False when it could not be.
  virtual bool SaveForRestart() { return true; }
  // This process was started by a self-restart and has read its files
  // (the game state, the seed): a run carried over goes on from here.
  virtual void ResumedAfterRestart() {}
  // Files being written in the background are written (before the player's
  // files are set aside for watching a replay).
  virtual void FinishWrites() {}
  // The replay file of the run that ended last, when it ended with `score`.
  virtual std::optional<std::vector<uint8_t>> FinishedRunReplay(int32_t /*score*/) { return std::nullopt; }
};

}  // namespace app
