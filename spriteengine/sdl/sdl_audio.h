// Sound on SDL_mixer, used by both backends: WAV (and OGG) effects decoded
// to chunks, each play on its own channel; OGG music streamed from memory on
// the music channel (one music at a time). With no sound device the SDL
// "dummy" driver is used, so sounds still start, run and end silently.
#pragma once

#include <memory>

#include "core/platform.h"

namespace spriteengine::sdl {

// forceDummy: always the dummy driver (the headless backend).
std::unique_ptr<AudioDevice> MakeMixerAudio(bool forceDummy);

}  // namespace spriteengine::sdl
