#pragma once
// Whether a frame's drawing is worth the second drawing thread.

namespace spriteengine {

// Handing half a frame to the worker costs processor time of its own:
// waking it, meeting it twice a frame, and each thread's share of the
// bookkeeping. That is well spent only when one thread alone would take a
// good part of the frame (a slow machine, a big full screen), so the choice
// follows what the drawing itself has recently cost, with a margin each
// way so that it does not change from frame to frame.
class WorkerChoice {
 public:
  // Past this many milliseconds of drawing a frame (on average, or in one
  // frame by half as much again) the worker takes half; below the second,
  // the calling thread draws alone again.
  static constexpr double kSplitAboveMs = 4.0;
  static constexpr double kAloneBelowMs = 2.5;

  // A frame's drawing took `ms` of the drawing threads' working time in all.
  void FrameDrawn(double ms);
  bool UseWorker() const { return useWorker_; }

 private:
  double averageMs_ = 0;  // over the last frames, the newest weighing an eighth
  bool useWorker_ = false;
};

}  // namespace spriteengine
