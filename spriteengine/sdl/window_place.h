// Where the game's window goes. Switching between window and full screen
// restarts the game process, so the window's size and place are handed to
// the next process in the environment (VARNOK_ENGINE_WINDOW="X,Y,W,H", the
// last size and place of the window while it was a normal window) and a
// window made again comes back where it was. Full screen covers the display
// that holds the window's centre, at that display's own size.
#pragma once

#include <SDL2/SDL.h>

#include <optional>
#include <string>

namespace spriteengine::sdl {

inline constexpr const char* kWindowPlaceVariable = "VARNOK_ENGINE_WINDOW";
inline constexpr int kMinWindowSide = 160;    // smaller remembered sizes are not believed
inline constexpr int kMaxWindowSide = 16384;

// Whether a size and place is one a window can have (not a garbled value).
bool PlausibleWindowPlace(const SDL_Rect& r);

// "X,Y,W,H" to a rectangle; nullopt when malformed or not plausible.
std::optional<SDL_Rect> ParseWindowPlace(const std::string& text);
std::string FormatWindowPlace(const SDL_Rect& r);

// The remembered place from the environment, if any.
std::optional<SDL_Rect> RememberedWindowPlace();
// Leaves the place for a relaunched process (which inherits the environment).
void RememberWindowPlace(const SDL_Rect& r);

// Puts the variable in the environment (empty) if it is not there. Called
// while the process has one thread (when the library is loaded): setenv of a
// variable that already exists swaps one pointer, where adding one may move
// the environment under another thread's getenv.
void ReserveWindowPlaceVariable();

// The display whose bounds hold the centre of `r`; nullopt when none does
// (a monitor may have gone since the place was remembered). Needs SDL's
// video subsystem.
std::optional<int> DisplayHolding(const SDL_Rect& r);

}  // namespace spriteengine::sdl
