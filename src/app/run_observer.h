// RunObserver: what the frames tell of a run's life, for whoever keeps it
// (the recorder while playing, the verifier while re-running a replay).
#pragma once

#include <cstddef>
#include <string>

#include "core/frame_input.h"

namespace app {

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A frame begins with `input`, before any of its work (every frame).
  virtual void FrameBegun(const FrameInput& input) = 0;
  // The main menu's start action ran in this frame, whose input was
  // `input`: a new run begins with the rest of the frame (the level build).
  virtual void RunStarted(const FrameInput& input) = 0;
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
  // The replay file of the run that ended last, if it is no larger than
  // `maxBytes`; empty otherwise. Waits for the file to be packed.
  virtual std::string FinishedRunFile(size_t maxBytes) { return {}; }
};

}  // namespace app
