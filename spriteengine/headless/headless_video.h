// The headless backend: no window, no display. Frames run at the same paced
// rate as with a window; a frame is drawn only when a screenshot asks for it.
// Window commands of the game change its visibility as a window manager
// would (minimise hides until restore or activate).
#pragma once

#include <memory>

#include "core/platform.h"

namespace spriteengine::headless {

std::unique_ptr<VideoBackend> MakeHeadlessVideo();

}  // namespace spriteengine::headless
