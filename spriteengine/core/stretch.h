// The frame stretched to the size it is shown at (a full-screen or resized
// window), filtered linearly like the rasteriser's bilinear pictures: each
// stretched source row is weighed from its column pairs once, and each
// shown row is two stretched source rows weighed together. Rows can be
// stretched on several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel_ops_avx2.h"
#include "raster.h"

namespace spriteengine {

// The columns begin..end-1 of a source row that changed (none when empty).
struct ColumnSpan {
  int begin = 0, end = 0;
  bool Empty() const { return begin >= end; }
};

// The frame copied into a target of its own size (`pitch` bytes from one row
// to the next) as 0x00RRGGBB, written around the cache as the stretch's rows
// are: the display reads it, the drawing never does.
void CopyFrame(const Frame& source, uint32_t* target, ptrdiff_t pitch);

class FrameStretch {
 public:
  // Sets the sizes (the tables are worked out again only when they change).
  // false: a size is empty or beyond kMaxSide, and nothing is stretched.
  bool Resize(int sourceWidth, int sourceHeight, int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Writes rows rowBegin..rowEnd-1 of the stretched `source` (of the size
  // given to Resize) at `target` (row 0's first pixel; `pitch` bytes from
  // one row to the next) as 0x00RRGGBB. With `changed` (a span per source
  // row), only the shown pixels made of changed source pixels are written;
  // the rest are left as they are.
  // Any thread; threads writing different rows may run at once.
  void Rows(const Frame& source, uint32_t* target, ptrdiff_t pitch, int rowBegin, int rowEnd,
            const ColumnSpan* changed = nullptr) const;
  // The columns of shown row y made of changed source pixels (all of them
  // without `changed`).
  ColumnSpan ShownChange(int y, const ColumnSpan* changed) const;

  static constexpr int kMaxSide = 16384;

 private:
  // Groups of eight g0..g1-1 of the stretched source row (`padded`: the
  // row with its first and last pixels repeated outside it).
  void StretchGroups(const uint32_t* padded, int g0, int g1, uint32_t* out) const;

  int sourceWidth_ = 0, sourceHeight_ = 0, width_ = 0, height_ = 0;
  // Per shown column: its left source column in a row padded by one pixel
  // each side (so the right one, +1, is always there) and the weight of
  // the right one (0..255). Per shown row: the upper source row and the
  // lower one's weight.
  std::vector<int32_t> column_, columnWeight_;
  // Per padded column c: the first shown column whose left column is c or
  // beyond (shown columns read padded columns in order).
  std::vector<int32_t> firstShown_;
  std::vector<int32_t> row_;
  std::vector<uint32_t> rowWeight_;
#if SPRITEENGINE_AVX2_PATHS
  std::vector<pixel::avx2::ColumnPairs8> pairs_;  // the columns eight at a time
#endif
};

}  // namespace spriteengine
