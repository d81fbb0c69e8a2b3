#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/worker_choice.h"

namespace spriteengine {
namespace {

// A run of frames, each drawn in that many milliseconds, and whether the
// worker draws the frame after the last.
struct FrameRun {
  const char* what;
  std::vector<double> ms;
  bool worker;
};

std::vector<double> Frames(int n, double ms) { return std::vector<double>(static_cast<size_t>(n), ms); }

std::vector<double> Then(std::vector<double> a, const std::vector<double>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(WorkerChoice, TheWorkerJoinsHeavyDrawingAndLeavesWhenItIsLightAgain) {
  const FrameRun runs[] = {
      {"light frames", Frames(200, 1.2), false},
      {"a frame or two a little heavier", Then(Frames(100, 1.2), Frames(2, 5.5)), false},
      {"one frame half as heavy again as the limit", Then(Frames(100, 1.2), {6.5}), true},
      {"heavy frames for a while", Then(Frames(100, 1.2), Frames(30, 5)), true},
      {"between the two limits it stays", Then(Frames(30, 5), Frames(200, 3)), true},
      {"light again, it goes", Then(Frames(30, 5), Frames(30, 1.5)), false},
      {"a slow machine throughout", Frames(50, 9), true},
      {"a clock that went back, or no clock at all", Then(Frames(30, 5), {-3, NAN}), true},
  };
  for (const FrameRun& run : runs) {
    WorkerChoice choice;
    for (double ms : run.ms) choice.FrameDrawn(ms);
    EXPECT_EQ(choice.UseWorker(), run.worker) << run.what;
  }
}

}  // namespace
}  // namespace spriteengine
