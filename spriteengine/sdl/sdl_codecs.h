// Picture decoding (PNG, JPEG through SDL_image) and PNG screenshots; no
// window or display needed.
#pragma once

#include "core/platform.h"

namespace spriteengine::sdl {

Codecs MakeSdlCodecs();

}  // namespace spriteengine::sdl
