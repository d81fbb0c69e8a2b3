// The blinking text cursor of a field being typed, timed by the engine's clock.
#pragma once

#include <cstdint>

namespace menus {

struct TextCursor {
  double blinkTime = 0;          // engine time of the last blink
  double blinkInterval = 0.5;    // seconds between blinks
  uint8_t visible = 1;           // 1 while the cursor is drawn

  // Flips the phase when the interval has passed; true while the cursor shows.
  bool Tick(double now) {
    if (now - blinkTime > blinkInterval) {
      blinkTime = now;
      visible = visible ? 0 : 1;
    }
    return visible != 0;
  }
};

}  // namespace menus
