// The pointer as the game sees it: in engine units (see screen_units.h), read
// from the engine and shown by the cursor sprite.
#pragma once

#include <optional>

namespace core {

// The pointer in engine units (x -16..16 right, y -12..12 up).
struct CursorPoint {
  float x, y;
  bool operator==(const CursorPoint&) const = default;
};

// Where the pointer is, or nothing when it is outside the window (in full
// screen it is always inside).
std::optional<CursorPoint> CursorPosition();

// Moves the cursor sprite to the pointer.
void PlaceCursor(CursorPoint at);

}  // namespace core
