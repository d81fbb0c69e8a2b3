// Game controllers through SDL's game-controller API: hot-plugged at any
// time, SDL's built-in mappings plus the player's own (SDL's text format, in
// SDL_GAMECONTROLLERCONFIG or SDL_GAMECONTROLLERCONFIG_FILE, or in a file
// "gamecontrollerdb.txt" beside the game or in the player's data folder
// $XDG_DATA_HOME/varnok). Events are handed on as WindowEvents pad events.
//
// Runs on the thread that pumps SDL's events (the engine thread): SDL sends a
// "device added" event for every pad already connected when it starts.
#pragma once

#include <SDL2/SDL.h>

#include <map>
#include <string>
#include <vector>

#include "core/platform.h"

namespace spriteengine::sdl {

inline constexpr const char* kPadMappingFile = "gamecontrollerdb.txt";

class SdlPads {
 public:
  SdlPads() = default;
  ~SdlPads() { Close(); }
  SdlPads(const SdlPads&) = delete;
  SdlPads& operator=(const SdlPads&) = delete;

  // Starts SDL's game-controller subsystem and reads the mapping files.
  // False (with one warning) when it cannot start: the game then plays
  // without pads.
  bool Open(WindowEvents* events);
  void Close();
  // Handles a pad event and returns true; false for any other event.
  bool Handle(const SDL_Event& e);

  // The mapping files looked for, in order (the player's own last, so that
  // it wins over one shipped beside the game).
  static std::vector<std::string> MappingFiles();

 private:
  WindowEvents* events_ = nullptr;
  bool started_ = false;
  std::map<SDL_JoystickID, SDL_GameController*> open_;  // by SDL's instance id
};

}  // namespace spriteengine::sdl
