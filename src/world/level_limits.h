// The most a generated level holds of each list that the world snapshot
// keeps, with room to spare. The level generator never makes more; the
// snapshot readers refuse a file that holds more, so a damaged or hostile
// file cannot make the game build thousands of objects (each fire with its
// own particle system).
//
// Worked out from the generator (level_generation.cpp): buildings and wagons
// start from x -20 and the last one starts before 520; obstacles start from 5.
#pragma once

#include <cstddef>

namespace world {

// Buildings: the narrowest kind advances 22 units, so at most 25.
inline constexpr size_t kMaxLevelBuildings = 32;
// Wagons: the shortest advance 24.8 units, so at most 22.
inline constexpr size_t kMaxLevelWagons = 32;
// Foreground objects. A city street: window fires, at most 78 (three to every
// 22 units of the narrowest lit building, six on the widest window row), and
// obstacles with their fires, at most 87 (a car and its fires every 12 units
// after the first box). A train: one roof box per wagon.
inline constexpr size_t kMaxLevelThings = 256;
// Enemies: one per obstacle (a box every 11.5 units: at most 45) or per wagon.
inline constexpr size_t kMaxLevelEnemies = 64;

}  // namespace world
