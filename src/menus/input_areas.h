// Where the pointer hits the menus: the hover and click rectangles of every
// screen, open intervals in engine units (x right, y up).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/pointer.h"

namespace menus::areas {

// An open rectangle in engine units.
struct Area {
  float left, right, bottom, top;
  bool Holds(core::CursorPoint p) const { return p.x > left && p.x < right && p.y > bottom && p.y < top; }
};

struct ItemArea {
  uint8_t item;
  Area area;
};

inline constexpr ItemArea kMainMenuAreas[] = {
    {1, {3.4f, 15, 2, 3.5f}},      {2, {4.3f, 14.4f, -0.6f, 1}},  {3, {5.1f, 13.7f, -3, -1.3f}},
    {4, {5.1f, 13.7f, -5.6f, -3.8f}}, {5, {4.3f, 14.4f, -8.1f, -6.3f}}, {6, {3.4f, 15, -10.6f, -8.8f}},
};
inline constexpr ItemArea kOptionsAreas[] = {
    {1, {-14, 0, 3.2f, 4.1f}}, {2, {-14, 0, 1.2f, 2.4f}}, {3, {-14, 0, -0.8f, 0.2f}},
    {4, {-14, 0, -4, -2.5f}},  {5, {-13, -1, -7.6f, -6.4f}}, {6, {-9.6f, -4.6f, -8.9f, -7.8f}},
};
inline constexpr ItemArea kHelpAreas[] = {{2, {-13, -7.8f, -9, -6.7f}}, {1, {-7, -2, -9, -6.7f}}};
inline constexpr ItemArea kDialogAreas[] = {{1, {-3, 0, -3.3f, -2}}, {2, {1, 4, -3.3f, -2}}};
inline constexpr ItemArea kResetDialogClickAreas[] = {{1, {-3, 0, -3, -2}}, {2, {1, 4, -3, -2}}};
inline constexpr ItemArea kRecordsAreas[] = {{1, {-13.8f, -8, -9, -7}}, {2, {-6.6f, -1, -9, -7}}};
inline constexpr ItemArea kEntryAreas[] = {
    {1, {-4, 2.5f, -0.3f, 0.3f}}, {2, {-4, 2.5f, -3.4f, -1.8f}}, {3, {-5.8f, -4.2f, -6, -5}}, {4, {-5.8f, -2, -7.8f, -6.5f}},
};
inline constexpr ItemArea kEntryClickAreas[] = {
    {1, {-2, 2.5f, -0.3f, 0.3f}}, {2, {-3.5f, 2.5f, -3.4f, -1.8f}}, {3, {-5.8f, -4.2f, -6, -5}}, {4, {-5.8f, -2, -7.5f, -6.5f}},
};

// Option buttons that set a value by a click.
inline constexpr Area kWindowOn{-9.1f, -5.8f, 2.9f, 4.4f}, kWindowOff{-5.1f, -1.2f, 2.9f, 4.4f};
inline constexpr Area kMusicOn{-7.6f, -6, 0.9f, 2.1f}, kMusicOff{-5.1f, -2.1f, 0.9f, 2.1f};
inline constexpr Area kSoundOn{-7.6f, -6, -0.8f, 0.2f}, kSoundOff{-5.1f, -2.1f, -0.8f, 0.2f};

// The item of the last area that holds the point (later areas win), or 0.
template <size_t N>
uint8_t HitItem(const ItemArea (&areas)[N], core::CursorPoint p) {
  uint8_t hit = 0;
  for (const ItemArea& a : areas) {
    if (a.area.Holds(p)) hit = a.item;
  }
  return hit;
}

}  // namespace menus::areas
