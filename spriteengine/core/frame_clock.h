// Frame pacing: WaitForFrame sleeps until the next frame is due, with
// absolute monotonic sleeps, so run phases come at 1 / secondsPerFrame Hz
// whatever the display does. A late frame moves the schedule instead of
// bursting to catch up.
#pragma once

#include <cstdint>

namespace spriteengine {

class FrameClock {
 public:
  void SetPeriod(double secondsPerFrame);  // <= 0: no pacing
  double Period() const { return period_; }
  // Blocks until the next frame time, less `lead` seconds (what showing
  // the frame takes, so it is shown when due) and plus what Shown carried,
  // the two together at most a third of the period either way; returns the
  // seconds since the last frame.
  double WaitForFrame(double lead = 0);
  // The frame WaitForFrame last waited for reached the display at `seconds`
  // (as Now()). The next frame is aimed half as late (or early) as that
  // one: the interval between two frames then depends less on how far each
  // send missed what it was foreseen to take, and the frames still keep to
  // the schedule.
  void Shown(double seconds);
  // The time (as Now()) the frame WaitForFrame last waited for is due.
  double Due() const { return due_; }
  void Reset();

  // Seconds on the monotonic clock since the process started.
  static double Now();
  // Sleeps until the monotonic time `seconds` (as Now()).
  static void SleepUntil(double seconds);

 private:
  double period_ = 0.015;
  double next_ = -1;  // due time of the next frame; < 0 before the first
  double last_ = -1;
  double due_ = 0;
  double carried_ = 0;  // seconds the next frame is aimed after its due time
};

}  // namespace spriteengine
