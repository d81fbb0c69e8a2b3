// The SDL2 window backend: an 800 x 600 resizable window titled "Varnok"
// (or the desktop full screen) showing the engine's frame letterboxed, its
// events turned into engine input and window commands. Also the minimised
// placeholder window shown while no engine is open.
#pragma once

#include <memory>

#include "core/platform.h"

namespace spriteengine::sdl {

std::unique_ptr<VideoBackend> MakeSdlVideo();
std::unique_ptr<PlaceholderWindow> MakeSdlPlaceholder();

// Hints set before the video subsystem starts (see README.md).
void SetVideoHints();

}  // namespace spriteengine::sdl
