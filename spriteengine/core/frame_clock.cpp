#include "frame_clock.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace spriteengine {

namespace {
double MonotonicSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}
const double kProcessStart = MonotonicSeconds();
}  // namespace

double FrameClock::Now() { return MonotonicSeconds() - kProcessStart; }

void FrameClock::SleepUntil(double seconds) {
  double absolute = seconds + kProcessStart;
  timespec ts;
  ts.tv_sec = static_cast<time_t>(std::floor(absolute));
  ts.tv_nsec = static_cast<long>((absolute - std::floor(absolute)) * 1e9);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

void FrameClock::SetPeriod(double secondsPerFrame) { period_ = secondsPerFrame > 0 ? secondsPerFrame : 0; }

void FrameClock::Reset() {
  next_ = last_ = -1;
  carried_ = 0;
}

void FrameClock::Shown(double seconds) {
  double late = seconds - due_;
  // A stalled frame is not a send to even out: its successor keeps time.
  carried_ = std::abs(late) <= period_ / 3 ? late / 2 : 0;
}

double FrameClock::WaitForFrame(double lead) {
  double now = Now();
  if (period_ > 0) {
    if (next_ < 0 || now > next_ + period_) next_ = now;  // first frame, or too late to catch up
    double wake = next_ - std::clamp(lead - carried_, -period_ / 3, period_ / 3);
    if (now < wake) SleepUntil(wake);
    due_ = next_;
    next_ += period_;
    now = Now();
  }
  if (period_ <= 0) due_ = now;
  carried_ = 0;
  double elapsed = last_ < 0 ? period_ : now - last_;
  last_ = now;
  return elapsed;
}

}  // namespace spriteengine
