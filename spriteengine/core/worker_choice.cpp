#include "worker_choice.h"

namespace spriteengine {

void WorkerChoice::FrameDrawn(double ms) {
  if (!(ms >= 0)) return;  // a clock that went back (or a NaN) says nothing
  averageMs_ += (ms - averageMs_) / 8;
  if (averageMs_ > kSplitAboveMs || ms > kSplitAboveMs * 1.5)
    useWorker_ = true;
  else if (averageMs_ < kAloneBelowMs)
    useWorker_ = false;
}

}  // namespace spriteengine
