// A platform for Engine tests: a window that shows nothing and records what
// it is asked, silent audio that counts decodes, the real picture codecs.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "core/platform.h"

namespace spriteengine::testing {

struct FakeRecord {
  std::vector<int> commands;   // VARNOK_WINDOW_* asked of the window
  int presents = 0;
  int prepares = 0;
  uint32_t shownCentre = 0;  // centre pixel of the last frame shown (the prepared one, if any)
  int opens = 0;
  std::atomic<int> audioDecodes{0};
};

// Fake video/audio, real SDL_image codecs (no display needed).
Platform MakeFakePlatform(std::shared_ptr<FakeRecord> record, bool showsFrames = false);

}  // namespace spriteengine::testing
