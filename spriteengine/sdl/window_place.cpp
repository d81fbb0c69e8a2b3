#include "window_place.h"

#include <cstdio>
#include <cstdlib>

namespace spriteengine::sdl {

bool PlausibleWindowPlace(const SDL_Rect& r) {
  auto within = [](int v, int low, int high) { return v >= low && v <= high; };
  return within(r.w, kMinWindowSide, kMaxWindowSide) && within(r.h, kMinWindowSide, kMaxWindowSide) &&
         within(r.x, -kMaxWindowSide, kMaxWindowSide) && within(r.y, -kMaxWindowSide, kMaxWindowSide);
}

std::optional<SDL_Rect> ParseWindowPlace(const std::string& text) {
  SDL_Rect r{};
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &r.x, &r.y, &r.w, &r.h, &tail) != 4) return std::nullopt;
  if (!PlausibleWindowPlace(r)) return std::nullopt;
  return r;
}

std::string FormatWindowPlace(const SDL_Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "," + std::to_string(r.h);
}

std::optional<SDL_Rect> RememberedWindowPlace() {
  const char* text = std::getenv(kWindowPlaceVariable);
  return text ? ParseWindowPlace(text) : std::nullopt;
}

void RememberWindowPlace(const SDL_Rect& r) { ::setenv(kWindowPlaceVariable, FormatWindowPlace(r).c_str(), 1); }

void ReserveWindowPlaceVariable() { ::setenv(kWindowPlaceVariable, "", 0); }

std::optional<int> DisplayHolding(const SDL_Rect& r) {
  const SDL_Point centre{r.x + r.w / 2, r.y + r.h / 2};
  for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&centre, &bounds)) return i;
  }
  return std::nullopt;
}

}  // namespace spriteengine::sdl
