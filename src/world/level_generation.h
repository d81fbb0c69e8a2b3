// Level generation: every level is laid out at random when it starts, from
// the one generator R(n). The routines fill the world's lists in a fixed order
// of draws, so one seed always gives one layout. Content spans x from about
// -20 to 520 when generated; the world then scrolls past it.
#pragma once

#include "world/game.h"
#include "world/level_limits.h"

namespace world {

// Emitter sizes of a fire: a negative d (or b) keeps the default first (or
// second) size.
struct FireShape {
  long double a, b, c, d;
};
inline constexpr FireShape kDefaultFire{-1, -1, -1, -1};
inline constexpr FireShape kWideFire{8, 4, 3, 1.5L};
inline constexpr FireShape kSmallFire{5, 2.5L, 2, 1};
inline constexpr FireShape kCarFire{4, 4, 2, 2};
inline constexpr FireShape kEmberFire{2.8L, 2.8L, 1.4L, 1.4L};

// A fire of the kind appended to the world's foreground objects at (x, y).
void PlaceWindowFire(TGame& game, const FireShape& shape, long double y, long double x);
void PlaceRoundFire(TGame& game, const FireShape& shape, long double y, long double x);

// The picture of a building (kind 1..8) or wagon (kind 1..4) appended to the
// world's list at (x, y), with the kind's scale and the kind's texture (made
// from the picture in memory on first use). Nothing else of the kind (fires,
// roof box, enemies) comes with it.
void EnsureBuildingTexture(TGame& game, int32_t kind);
void AppendBuildingSprite(TGame& game, int32_t kind, float x, float y);
void EnsureWagonTexture(TGame& game, int32_t kind);
void AppendWagonSprite(TGame& game, int32_t kind, float x, float y);

// City levels: buildings with their window fires from x -20 on, until the
// cursor reaches 520; empty lots are 20 units.
void PlaceBuildings(TGame& game);
// City levels: obstacles from x 5 on (the first is always a box) with their fires.
void PlaceObstacles(TGame& game);
// City levels: one enemy at every obstacle, in cover beside it or on top.
void PlaceEnemiesAtObstacles(TGame& game);
// Both kinds: pick-ups from x 20 to at most 520.
void PlacePickups(TGame& game);
// Train levels: wagons from x -20 on (the first a flat car, those past 450
// long passenger cars) with their roof boxes and enemies.
void PlaceWagons(TGame& game);

}  // namespace world
