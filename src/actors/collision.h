// CollisionRect and RectsOverlap: the one box test every collision of the
// game uses (hero, enemies, shots, pop-ups, pick-ups against each other and
// against the foreground objects).
#pragma once

namespace actors {

struct CollisionRect {
  double Top = 0, Left = 0, Bottom = 0, Right = 0;
};

// The box of an object centred on (x, y) with the given half sizes.
inline CollisionRect BoxAround(long double x, long double y, long double halfHeight, long double halfWidth) {
  return {static_cast<double>(y + halfHeight), static_cast<double>(x - halfWidth),
          static_cast<double>(y - halfHeight), static_cast<double>(x + halfWidth)};
}

// True when a corner-side of one box lies inside the other: some vertical edge
// of B within A's horizontal span together with some horizontal edge of B
// within A's vertical span, or the same with A and B exchanged. Bounds are
// inclusive. Two boxes crossing like a plus sign (no edge pair inside the
// other) do not overlap; the game's levels are laid out with that in mind.
inline bool RectsOverlap(const CollisionRect& a, const CollisionRect& b) {
  auto within = [](double v, double low, double high) { return v >= low && v <= high; };
  if ((within(b.Left, a.Left, a.Right) || within(b.Right, a.Left, a.Right)) &&
      (within(b.Top, a.Bottom, a.Top) || within(b.Bottom, a.Bottom, a.Top))) {
    return true;
  }
  return (within(a.Left, b.Left, b.Right) || within(a.Right, b.Left, b.Right)) &&
         (within(a.Top, b.Bottom, b.Top) || within(a.Bottom, b.Bottom, b.Top));
}

}  // namespace actors
