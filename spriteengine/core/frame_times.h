// VARNOK_ENGINE_FRAME_TIMES=FILE: one line per frame, "FRAME SECONDS
// DRAW_MS SHOW_MS LATE_MS" (the script's frame number, seconds since the
// process started when the frame was shown, or when its render phase ended
// on a backend that shows nothing, the milliseconds spent drawing,
// preparing and showing it, 0 when the backend drew nothing, of those the
// milliseconds spent showing it, and how many after it was due it reached
// the display, below 0 when early), for benchmarks that measure frame rate
// and pacing from outside and find where a late frame lost its time. Lines are kept in memory and appended in blocks, so the cost
// per frame is a formatted line; Flush writes what is left.
#pragma once

#include <cstdint>
#include <string>

namespace spriteengine {

class FrameTimes {
 public:
  FrameTimes() = default;
  ~FrameTimes() { Flush(); }
  FrameTimes(const FrameTimes&) = delete;
  FrameTimes& operator=(const FrameTimes&) = delete;

  // Empty path: off.
  void SetPath(std::string path) { path_ = std::move(path); }
  bool On() const { return !path_.empty(); }
  // Engine thread only.
  void Record(uint64_t frame, double seconds, double drawMs, double showMs = 0, double lateMs = 0);
  void Flush();

 private:
  std::string path_;
  std::string pending_;
};

}  // namespace spriteengine
