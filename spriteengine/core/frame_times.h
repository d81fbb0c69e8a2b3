// VARNOK_ENGINE_FRAME_TIMES=FILE: one line per frame, "FRAME SECONDS
// DRAW_MS" (the script's frame number, seconds since the process started
// when the frame was shown, or when its render phase ended on a backend that
// shows nothing, and the milliseconds spent drawing and showing it, 0 when
// the backend drew nothing), for benchmarks that measure frame rate and
// pacing from outside. Lines are kept in memory and appended in blocks, so the cost
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
  void Record(uint64_t frame, double seconds, double drawMs);
  void Flush();

 private:
  std::string path_;
  std::string pending_;
};

}  // namespace spriteengine
