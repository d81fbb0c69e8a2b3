#include "frame_times.h"

#include <cstdio>

namespace spriteengine {

namespace {
constexpr size_t kFlushBytes = 8192;  // about four seconds of frames
}  // namespace

void FrameTimes::Record(uint64_t frame, double seconds, double drawMs, double showMs, double lateMs) {
  if (path_.empty()) return;
  char line[96];
  int n = std::snprintf(line, sizeof line, "%llu %.6f %.3f %.3f %.3f\n", static_cast<unsigned long long>(frame),
                        seconds, drawMs, showMs, lateMs);
  if (n > 0) pending_.append(line, static_cast<size_t>(n));
  if (pending_.size() >= kFlushBytes) Flush();
}

void FrameTimes::Flush() {
  if (path_.empty() || pending_.empty()) return;
  // Appended, so a relaunched game process continues the same file.
  if (std::FILE* f = std::fopen(path_.c_str(), "a")) {
    std::fwrite(pending_.data(), 1, pending_.size(), f);
    std::fclose(f);
  }
  pending_.clear();
}

}  // namespace spriteengine
