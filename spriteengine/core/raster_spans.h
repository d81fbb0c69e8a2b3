// Inside the rasteriser: what quad preparation and drawing (raster.cpp), the
// spans (raster_spans.cpp) and their eight-pixel forms (raster_spans_avx2.cpp)
// share. Not for use outside those files.
#pragma once

#include <algorithm>
#include <cstdint>

#include "pixel_ops.h"
#include "pixel_ops_avx2.h"
#include "raster.h"

namespace spriteengine::raster {

constexpr float kFixedOne = 65536.0f;

// std::lround (halves away from zero) without the library call: a float
// plus or minus a half is exact in double, and the cast cuts toward zero.
// Texel coordinates stay far inside the range of int32_t.
inline int32_t RoundToInt(float x) {
  double d = x;
  return static_cast<int32_t>(d >= 0 ? d + 0.5 : d - 0.5);
}

// The texture as plain locals, so the compiler need not reload it after
// every store into the frame.
struct Texels {
  const uint32_t* data;
  int width, height;
};

using pixel::Modulation;

constexpr int kMaxSpanColumns = 2048;    // texel columns one span may weigh at once
constexpr int kMaxIndexedColumns = 128;  // spans this short read their columns from a table

// u + n du as the 16.16 sums of a span run it (wrapping like them).
inline int32_t Advanced(int32_t u, int n, int32_t du) {
  return static_cast<int32_t>(static_cast<uint32_t>(u) + static_cast<uint32_t>(n) * static_cast<uint32_t>(du));
}

// The texel columns lo..hi a bilinear span of `count` pixels reads when it
// starts at u (16.16) and steps du: the columns left and right of each
// sample, half a texel back. False when they are more than a span may weigh
// at once, or when the span's sums would leave int32_t on the way (they
// wrap then, and would read outside lo..hi).
inline bool BilinearColumns(int32_t u, int32_t du, int count, int& lo, int& hi) {
  int64_t uc = static_cast<int64_t>(u) - 32768, ucLast = uc + static_cast<int64_t>(count - 1) * du;
  int64_t first = std::min(uc, ucLast), last = std::max(uc, ucLast);
  if (first < INT32_MIN || last > INT32_MAX) return false;
  int64_t l = first >> 16, h = (last >> 16) + 1;
  if (h - l >= kMaxSpanColumns) return false;
  lo = static_cast<int>(l), hi = static_cast<int>(h);
  return true;
}

// The texel row v (16.16) of row y of an unrotated quad; false when the
// quad draws nothing on that row.
[[gnu::always_inline]] inline bool UnrotatedRow(const PreparedQuad& p, int y, int32_t& v) {
  float vBase = (y + 0.5f - p.originY) * p.dvdy;
  if (vBase < p.v0 || vBase >= p.v1) return false;
  v = RoundToInt(vBase * kFixedOne);
  return true;
}

// raster_spans.cpp

// Shades `count` pixels from dst on: texel (u, v) (16.16) for the first,
// stepping (du, dv) per pixel.
void DrawSpanFor(Filter filter, Blend blend, uint32_t* dst, int count, const Image& img, int32_t u, int32_t v,
                 int32_t du, int32_t dv, const Modulation& m);

// The rows yStart..yEnd-1 of an unrotated nearest quad of at most
// kMaxIndexedColumns columns (particles, small sprites).
void DrawIndexedRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd);

// Texel columns lo..hi of the rows around v weighed together: the
// picture's own row where no weighing is needed, else `buffer` (at least
// hi - lo + 1 texels) filled.
const uint32_t* WeighedColumns(const Texels& t, int32_t v, int lo, int hi, uint32_t* buffer);

#if SPRITEENGINE_AVX2_PATHS
// raster_spans_avx2.cpp: the eight-pixel forms, only to be called where
// pixel::avx2::Available(). The span forms shade the whole eights of their
// span and say how many pixels they did; the four-pixel form goes on from
// there.

// pixel::CopyOpaque's whole sixteens of texels; returns how many it copied.
[[gnu::target("avx2")]] size_t CopyOpaqueAvx2(uint32_t* __restrict dst, const uint32_t* __restrict src, size_t count);

// Two texture rows' columns x..end-1 (inside the rows) weighed together
// into out[x - lo]; returns where it stopped.
[[gnu::target("avx2")]] int WeighRowsAvx2(const uint32_t* row0, const uint32_t* row1, uint32_t fy, int x, int end,
                                          int lo, uint32_t* out);

// Consecutive texels (a picture at its own size).
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int ShadeRunAvx2(uint32_t* dst, int count, const uint32_t* src, const Modulation& m);

// Two neighbouring weighed columns per pixel (columnCount of them from
// `column`, the first being texel column lo).
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int ColumnBilinearAvx2(uint32_t* dst, int count, const uint32_t* column, int columnCount,
                                               int lo, int32_t uc, int32_t du, const Modulation& m);

// Four bilinear taps inside the picture per pixel (uc, vc: less half a texel).
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int InteriorBilinearAvx2(uint32_t* dst, int count, const uint32_t* data, int width,
                                                 int32_t uc, int32_t vc, int32_t du, int32_t dv,
                                                 const Modulation& m);

// DrawIndexedRows for additive, modulated quads (fire).
[[gnu::target("avx2")]] void DrawIndexedRowsAdditiveAvx2(Frame& frame, const PreparedQuad& p, int yStart,
                                                         int yEnd);

// The rows of an unrotated bilinear quad (a picture drawn larger or smaller
// than its own size); false, drawing nothing, when its rows are too wide
// for the tables.
bool DrawScaledRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd);
#endif

}  // namespace spriteengine::raster
