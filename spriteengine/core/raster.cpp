// Quad preparation and the choice of how each quad's rows are drawn; the
// spans themselves are in raster_spans.cpp and raster_spans_avx2.cpp.
#include "raster.h"

#include <algorithm>
#include <cmath>

#include "pixel_ops.h"
#include "pixel_ops_avx2.h"
#include "raster_spans.h"

namespace spriteengine {

using raster::kFixedOne;
using raster::RoundToInt;

namespace {

constexpr float kEpsilon = 1e-6f;

// std::floor and std::ceil to int for values well inside the range of int
// (callers clamp first): without SSE4.1 the library forms cost more.
inline int FloorToInt(float x) {
  int i = static_cast<int>(x);
  return i - (static_cast<float>(i) > x);
}
inline int CeilToInt(float x) {
  int i = static_cast<int>(x);
  return i + (static_cast<float>(i) < x);
}

// Narrows [lo, hi) to the x where lo_value <= base + slope * x < hi_value.
void NarrowSpan(float base, float slope, float loValue, float hiValue, float& lo, float& hi) {
  if (std::fabs(slope) < kEpsilon) {
    if (base < loValue || base >= hiValue) hi = lo - 1;
    return;
  }
  float a = (loValue - base) / slope, b = (hiValue - base) / slope;
  if (slope < 0) std::swap(a, b);
  lo = std::max(lo, a);
  hi = std::min(hi, b);
}

// The columns xStart..xEnd-1 of a row NarrowSpan narrowed to [lo, hi): the
// x with lo <= x < hi inside a frame `width` wide, an edge up to 1e-4 pixel
// past a column counting as on it (float error in the sums then cannot
// move an edge that lies on a pixel centre). False when there are none.
// Unrotated quads find their columns once and turned ones row by row, both
// by this rule; far-off edges are clamped first, so the cast cannot
// overflow. Forced inline: every particle's quad passes here, and as a call
// it cost a tenth of a fire's drawing.
[[gnu::always_inline]] inline bool SpanColumns(float lo, float hi, int width, int& xStart, int& xEnd) {
  const float w = static_cast<float>(width);
  xStart = std::max(CeilToInt(std::clamp(lo - 1e-4f, -1.0f, w + 1)), 0);
  xEnd = std::min(CeilToInt(std::clamp(hi - 1e-4f, -1.0f, w + 1)), width);
  return xStart < xEnd;
}

void DrawRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd);

}  // namespace

void SetModulation(QuadDraw& quad, float r, float g, float b, float a) {
  auto to256 = [](float f) { return static_cast<uint32_t>(RoundToInt(std::clamp(f, 0.0f, 1.0f) * 256)); };
  float alpha = std::clamp(a, 0.0f, 1.0f);
  quad.modA = to256(alpha);
  quad.modR = to256(r * alpha);
  quad.modG = to256(g * alpha);
  quad.modB = to256(b * alpha);
}

namespace {

// The rows and columns the box xMin..xMax, yMin..yMax (frame pixels) can
// touch; false when it is far outside the frame (or not a number: no
// integer overflow below) or touches nothing.
[[gnu::always_inline]] inline bool PrepareBox(float xMin, float xMax, float yMin, float yMax, int frameWidth,
                                              int frameHeight, PreparedQuad& p) {
  if (!(xMax > -1.0f && xMin < frameWidth + 1.0f && yMax > -1.0f && yMin < frameHeight + 1.0f)) return false;
  const float w = static_cast<float>(frameWidth), h = static_cast<float>(frameHeight);
  p.yStart = std::max(0, FloorToInt(std::max(yMin, -1.0f)));
  p.yEnd = std::min(frameHeight, CeilToInt(std::min(yMax, h + 1)));
  p.xMinAll = static_cast<float>(std::max(0, FloorToInt(std::max(xMin, -1.0f))));
  p.xMaxAll = static_cast<float>(std::min(frameWidth, CeilToInt(std::min(xMax, w + 1))));
  return p.yStart < p.yEnd && p.xMinAll < p.xMaxAll;
}

// The texel steps and place of a quad with inverse map dudx..dvdy.
[[gnu::always_inline]] inline void PrepareSteps(const QuadDraw& q, float dudx, float dvdx, float dudy, float dvdy,
                                                PreparedQuad& p) {
  // Axis-aligned and one texel per pixel: nearest gives what bilinear would.
  p.filter = q.filter;
  if (std::fabs(dudx - 1) < 1e-4f && std::fabs(dvdy - 1) < 1e-4f && std::fabs(dvdx) < 1e-6f &&
      std::fabs(dudy) < 1e-6f)
    p.filter = Filter::kNearest;
  p.du = RoundToInt(dudx * kFixedOne);
  p.dv = RoundToInt(dvdx * kFixedOne);
  p.dudx = dudx, p.dvdx = dvdx, p.dudy = dudy, p.dvdy = dvdy;
  p.originY = q.originY;
  p.px = 0.5f - q.originX;
  p.u0 = q.u0, p.u1 = q.u1, p.v0 = q.v0, p.v1 = q.v1;
}

// PrepareQuad's place of an unrotated quad (uAxisY = vAxisX = 0): the
// general sums with their zero terms left out, the same values for less
// work on the many particles. Unrotated, the same columns are drawn on every
// row and v changes only with the row, so the span is found once here.
[[gnu::always_inline]] inline bool PrepareUnrotated(const QuadDraw& q, int frameWidth, int frameHeight,
                                                    PreparedQuad& p) {
  p.unrotated = true;
  float det = q.uAxisX * q.vAxisY;
  if (std::fabs(det) < 1e-9f) return false;
  float dudx = q.vAxisY / det, dvdy = q.uAxisX / det;
  float xa = q.originX + q.u0 * q.uAxisX, xb = q.originX + q.u1 * q.uAxisX;
  float ya = q.originY + q.v0 * q.vAxisY, yb = q.originY + q.v1 * q.vAxisY;
  if (!PrepareBox(std::min(xa, xb), std::max(xa, xb), std::min(ya, yb), std::max(ya, yb), frameWidth, frameHeight, p))
    return false;
  PrepareSteps(q, dudx, 0, 0, dvdy, p);
  float uBase = p.px * dudx;
  float lo = p.xMinAll, hi = p.xMaxAll;
  NarrowSpan(uBase, dudx, q.u0, q.u1, lo, hi);
  if (!SpanColumns(lo, hi, frameWidth, p.xStart, p.xEnd)) return false;
  p.u = RoundToInt((uBase + p.xStart * dudx) * kFixedOne);
  return true;
}

}  // namespace

bool PrepareLook(const QuadDraw& q, PreparedQuad& p) {
  if (!q.image || q.image->width <= 0 || q.image->height <= 0 || q.modA == 0) return false;
  // Additive with every channel modulated by 1 or less adds c x m >> 8 = 0
  // (a particle fading in or out): nothing to draw.
  if (q.blend == Blend::kAdditive && (q.modR | q.modG | q.modB) <= 1) return false;
  p.image = q.image;
  p.m = {q.modR, q.modG, q.modB, q.modA, q.modR == 256 && q.modG == 256 && q.modB == 256 && q.modA == 256};
  p.blend = q.blend;
  return true;
}

bool PrepareUnrotatedPlace(const QuadDraw& q, int frameWidth, int frameHeight, PreparedQuad& p) {
  return PrepareUnrotated(q, frameWidth, frameHeight, p);
}

bool PrepareQuad(const QuadDraw& q, int frameWidth, int frameHeight, PreparedQuad& p) {
  if (!PrepareLook(q, p)) return false;
  if (q.uAxisY == 0 && q.vAxisX == 0) return PrepareUnrotated(q, frameWidth, frameHeight, p);
  p.unrotated = false;
  float det = q.uAxisX * q.vAxisY - q.vAxisX * q.uAxisY;
  if (std::fabs(det) < 1e-9f) return false;
  // Inverse map: frame point -> texel coordinates.
  float dudx = q.vAxisY / det, dvdx = -q.uAxisY / det;
  float dudy = -q.vAxisX / det, dvdy = q.uAxisX / det;
  // Bounding box of the four corners.
  float xs[4], ys[4];
  const float us[4] = {q.u0, q.u1, q.u0, q.u1}, vs[4] = {q.v0, q.v0, q.v1, q.v1};
  for (int i = 0; i < 4; ++i) {
    xs[i] = q.originX + us[i] * q.uAxisX + vs[i] * q.vAxisX;
    ys[i] = q.originY + us[i] * q.uAxisY + vs[i] * q.vAxisY;
  }
  if (!PrepareBox(*std::min_element(xs, xs + 4), *std::max_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                  *std::max_element(ys, ys + 4), frameWidth, frameHeight, p))
    return false;
  PrepareSteps(q, dudx, dvdx, dudy, dvdy, p);
  return true;
}

void DrawPrepared(Frame& frame, const PreparedQuad& p, int rowBegin, int rowEnd) {
  int yStart = std::max(p.yStart, rowBegin), yEnd = std::min(p.yEnd, rowEnd);
  // (A picture at its own size reads consecutive texels: DrawSpanFor loads them four at a time.)
  if (p.unrotated && p.filter == Filter::kNearest && p.xEnd - p.xStart <= raster::kMaxIndexedColumns &&
      p.du != static_cast<int32_t>(kFixedOne)) {
#if SPRITEENGINE_AVX2_PATHS
    if (p.blend == Blend::kAdditive && !p.m.identity && pixel::avx2::Available()) {
      raster::DrawIndexedRowsAdditiveAvx2(frame, p, yStart, yEnd);
      return;
    }
#endif
    raster::DrawIndexedRows(frame, p, yStart, yEnd);
    return;
  }
  for (int times = 0; times < p.repeat; ++times) DrawRows(frame, p, yStart, yEnd);
}

namespace {

// DrawPrepared's rows other than the indexed ones, drawn once.
void DrawRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  const Image& img = *p.image;
  if (p.unrotated) {
#if SPRITEENGINE_AVX2_PATHS
    if (p.filter == Filter::kBilinear && pixel::avx2::Available() && raster::DrawScaledRows(frame, p, yStart, yEnd))
      return;
#endif
    for (int y = yStart; y < yEnd; ++y) {
      int32_t v;
      if (!raster::UnrotatedRow(p, y, v)) continue;
      uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + p.xStart;
      raster::DrawSpanFor(p.filter, p.blend, dst, p.xEnd - p.xStart, img, p.u, v, p.du, 0, p.m);
    }
    return;
  }
  for (int y = yStart; y < yEnd; ++y) {
    // Texel coordinates at the centre of pixel (0, y).
    float py = y + 0.5f - p.originY;
    float uBase = p.px * p.dudx + py * p.dudy, vBase = p.px * p.dvdx + py * p.dvdy;
    float lo = p.xMinAll, hi = p.xMaxAll;
    NarrowSpan(uBase, p.dudx, p.u0, p.u1, lo, hi);
    NarrowSpan(vBase, p.dvdx, p.v0, p.v1, lo, hi);
    int xStart, xEnd;
    if (!SpanColumns(lo, hi, frame.width, xStart, xEnd)) continue;
    int32_t u = RoundToInt((uBase + xStart * p.dudx) * kFixedOne);
    int32_t v = RoundToInt((vBase + xStart * p.dvdx) * kFixedOne);
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + xStart;
    raster::DrawSpanFor(p.filter, p.blend, dst, xEnd - xStart, img, u, v, p.du, p.dv, p.m);
  }
}

}  // namespace

bool AtOwnSize(const PreparedQuad& p) {
  return p.image && p.unrotated && p.filter == Filter::kNearest && p.du == static_cast<int32_t>(kFixedOne) &&
         p.m.identity && p.blend == Blend::kAlpha && p.repeat == 1;
}

bool OpaqueColumns(const PreparedQuad& p, int y, int& begin, int& end) {
  int32_t v;
  if (y < p.yStart || y >= p.yEnd || !raster::UnrotatedRow(p, y, v)) return false;
  const Image& img = *p.image;
  // Pixel x shows texel column (u >> 16) + x - xStart of texel row v >> 16
  // (clamped to the picture, which then is not this run).
  int row = v >> 16;
  if (row < 0 || row >= img.height) return false;
  Image::Columns run{0, img.width};
  if (!img.opaque) {
    if (img.widestOpaque.empty()) return false;
    run = img.widestOpaque[static_cast<size_t>(row)];
  }
  int shift = p.xStart - (p.u >> 16);
  begin = std::max(run.begin + shift, p.xStart);
  end = std::min(run.end + shift, p.xEnd);
  return begin < end;
}

void DrawPreparedUnder(Frame& frame, const PreparedQuad& p, const PreparedQuad* const* over, int overCount,
                       int rowBegin, int rowEnd) {
  constexpr int kLeast = 16;  // columns: a narrower cover is drawn over rather than cut out
  int yStart = std::max(p.yStart, rowBegin), yEnd = std::min(p.yEnd, rowEnd);
  for (int y = yStart; y < yEnd; ++y) {
    int32_t v;
    if (!raster::UnrotatedRow(p, y, v)) continue;
    struct Cover {
      int begin, end;
    } covers[kMostOver];
    int n = 0;
    for (int i = 0; i < overCount && i < kMostOver; ++i) {
      Cover c;
      if (!OpaqueColumns(*over[i], y, c.begin, c.end)) continue;
      c.begin = std::max(c.begin, p.xStart), c.end = std::min(c.end, p.xEnd);
      if (c.end - c.begin < kLeast) continue;
      int at = n++;  // kept sorted by their first column
      for (; at > 0 && covers[at - 1].begin > c.begin; --at) covers[at] = covers[at - 1];
      covers[at] = c;
    }
    uint32_t* row = frame.pixels.data() + static_cast<size_t>(y) * frame.width;
    auto draw = [&](int from, int to) {
      if (from < to)
        raster::DrawSpanFor(p.filter, p.blend, row + from, to - from, *p.image,
                            raster::Advanced(p.u, from - p.xStart, p.du), v, p.du, 0, p.m);
    };
    int from = p.xStart;
    for (int i = 0; i < n; ++i) {
      draw(from, covers[i].begin);
      from = std::max(from, covers[i].end);
    }
    draw(from, p.xEnd);
  }
}

void DrawQuad(Frame& frame, const QuadDraw& q, int rowBegin, int rowEnd) {
  PreparedQuad p;
  if (PrepareQuad(q, frame.width, frame.height, p)) DrawPrepared(frame, p, std::max(0, rowBegin), rowEnd);
}

}  // namespace spriteengine

namespace spriteengine {
void DrawQuad(Frame& frame, const QuadDraw& quad) { DrawQuad(frame, quad, 0, frame.height); }
}  // namespace spriteengine

