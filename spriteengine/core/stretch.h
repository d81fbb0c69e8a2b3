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

class FrameStretch {
 public:
  // Sets the sizes (the tables are worked out again only when they change).
  // false: a size is empty or beyond kMaxSide, and nothing is stretched.
  bool Resize(int sourceWidth, int sourceHeight, int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Writes rows rowBegin..rowEnd-1 of the stretched `source` (of the size
  // given to Resize) at `target` (row 0's first pixel; `pitch` bytes from
  // one row to the next) as 0x00RRGGBB. With `changed` (a flag per source
  // row), rows made only of unchanged source rows are left as they are.
  // Any thread; threads writing different rows may run at once.
  void Rows(const Frame& source, uint32_t* target, ptrdiff_t pitch, int rowBegin, int rowEnd,
            const uint8_t* changed = nullptr) const;
  // Whether shown row y is made of a changed source row.
  bool RowChanged(int y, const uint8_t* changed) const;

  static constexpr int kMaxSide = 16384;

 private:
  void StretchRow(const uint32_t* row, uint32_t* padded, uint32_t* out) const;

  int sourceWidth_ = 0, sourceHeight_ = 0, width_ = 0, height_ = 0;
  // Per shown column: its left source column in a row padded by one pixel
  // each side (so the right one, +1, is always there) and the weight of
  // the right one (0..255). Per shown row: the upper source row and the
  // lower one's weight.
  std::vector<int32_t> column_, columnWeight_;
  std::vector<int32_t> row_;
  std::vector<uint32_t> rowWeight_;
#if SPRITEENGINE_AVX2_PATHS
  std::vector<pixel::avx2::ColumnPairs8> pairs_;  // the columns eight at a time
#endif
};

}  // namespace spriteengine
