#include "raster.h"

#include <algorithm>
#include <cmath>

namespace spriteengine {

namespace {

constexpr float kFixedOne = 65536.0f;
constexpr float kEpsilon = 1e-6f;

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

inline uint32_t Lerp2(uint32_t a, uint32_t b, uint32_t f) {
  // Two 8-bit channels at bits 0..7 and 16..23 at once; f in 0..256.
  return (((a * (256 - f)) + (b * f)) >> 8) & 0x00FF00FF;
}

// The texture as plain locals, so the compiler need not reload it after
// every store into the frame.
struct Texels {
  const uint32_t* data;
  int width, height;
};

inline uint32_t Bilinear(const Texels& t, int32_t u, int32_t v) {
  u -= 32768;  // sample between texel centres
  v -= 32768;
  int x0 = u >> 16, y0 = v >> 16;
  uint32_t fx = (static_cast<uint32_t>(u) >> 8) & 0xFF, fy = (static_cast<uint32_t>(v) >> 8) & 0xFF;
  int x1 = std::clamp(x0 + 1, 0, t.width - 1), y1 = std::clamp(y0 + 1, 0, t.height - 1);
  x0 = std::clamp(x0, 0, t.width - 1);
  y0 = std::clamp(y0, 0, t.height - 1);
  const uint32_t* row0 = t.data + static_cast<size_t>(y0) * t.width;
  const uint32_t* row1 = t.data + static_cast<size_t>(y1) * t.width;
  uint32_t p00 = row0[x0], p10 = row0[x1], p01 = row1[x0], p11 = row1[x1];
  if ((p00 | p10 | p01 | p11) == 0) return 0;
  if (p00 == p10 && p00 == p01 && p00 == p11) return p00;
  uint32_t rbTop = Lerp2(p00 & 0x00FF00FF, p10 & 0x00FF00FF, fx);
  uint32_t agTop = Lerp2((p00 >> 8) & 0x00FF00FF, (p10 >> 8) & 0x00FF00FF, fx);
  uint32_t rbBottom = Lerp2(p01 & 0x00FF00FF, p11 & 0x00FF00FF, fx);
  uint32_t agBottom = Lerp2((p01 >> 8) & 0x00FF00FF, (p11 >> 8) & 0x00FF00FF, fx);
  return Lerp2(rbTop, rbBottom, fy) | (Lerp2(agTop, agBottom, fy) << 8);
}

inline uint32_t Nearest(const Texels& t, int32_t u, int32_t v) {
  int x = std::clamp(u >> 16, 0, t.width - 1), y = std::clamp(v >> 16, 0, t.height - 1);
  return t.data[static_cast<size_t>(y) * t.width + x];
}

struct Modulation {
  uint32_t r, g, b, a;
  bool identity;
};

inline uint32_t Modulate(uint32_t s, const Modulation& m) {
  uint32_t a = ((s >> 24) * m.a) >> 8, r = (((s >> 16) & 0xFF) * m.r) >> 8;
  uint32_t g = (((s >> 8) & 0xFF) * m.g) >> 8, b = ((s & 0xFF) * m.b) >> 8;
  return a << 24 | r << 16 | g << 8 | b;
}

inline uint32_t BlendAlpha(uint32_t d, uint32_t s) {
  uint32_t sa = s >> 24;
  if (sa == 255) return s & 0x00FFFFFF;
  uint32_t inv = 256 - sa;
  uint32_t rb = (((d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF;
  uint32_t g = (((d & 0x0000FF00) * inv) >> 8) & 0x0000FF00;
  return (rb + g + (s & 0x00FFFFFF)) & 0x00FFFFFF;
}

inline uint32_t BlendAdd(uint32_t d, uint32_t s) {
  uint32_t r = std::min<uint32_t>(255, ((d >> 16) & 0xFF) + ((s >> 16) & 0xFF));
  uint32_t g = std::min<uint32_t>(255, ((d >> 8) & 0xFF) + ((s >> 8) & 0xFF));
  uint32_t b = std::min<uint32_t>(255, (d & 0xFF) + (s & 0xFF));
  return r << 16 | g << 8 | b;
}

template <Filter kFilter, Blend kBlend, bool kModulate>
void DrawSpanOf(uint32_t* __restrict dst, int count, Texels t, int32_t u, int32_t v, int32_t du, int32_t dv,
                Modulation m) {
  if (kFilter == Filter::kBilinear && dv == 0) {
    // Unrotated: two texture rows and one vertical weight for the span.
    int32_t vc = v - 32768;
    int y0 = vc >> 16;
    uint32_t fy = (static_cast<uint32_t>(vc) >> 8) & 0xFF;
    const uint32_t* row0 = t.data + static_cast<size_t>(std::clamp(y0, 0, t.height - 1)) * t.width;
    const uint32_t* row1 = t.data + static_cast<size_t>(std::clamp(y0 + 1, 0, t.height - 1)) * t.width;
    int last = t.width - 1;
    for (int i = 0; i < count; ++i, u += du) {
      int32_t uc = u - 32768;
      int x0 = uc >> 16;
      uint32_t fx = (static_cast<uint32_t>(uc) >> 8) & 0xFF;
      int x1 = std::clamp(x0 + 1, 0, last);
      x0 = std::clamp(x0, 0, last);
      uint32_t p00 = row0[x0], p10 = row0[x1], p01 = row1[x0], p11 = row1[x1];
      uint32_t s;
      if (p00 == p10 && p00 == p01 && p00 == p11) {
        s = p00;
      } else {
        uint32_t rbTop = Lerp2(p00 & 0x00FF00FF, p10 & 0x00FF00FF, fx);
        uint32_t agTop = Lerp2((p00 >> 8) & 0x00FF00FF, (p10 >> 8) & 0x00FF00FF, fx);
        uint32_t rbBottom = Lerp2(p01 & 0x00FF00FF, p11 & 0x00FF00FF, fx);
        uint32_t agBottom = Lerp2((p01 >> 8) & 0x00FF00FF, (p11 >> 8) & 0x00FF00FF, fx);
        s = Lerp2(rbTop, rbBottom, fy) | (Lerp2(agTop, agBottom, fy) << 8);
      }
      if (s == 0) continue;
      if (kModulate) s = Modulate(s, m);
      dst[i] = kBlend == Blend::kAlpha ? BlendAlpha(dst[i], s) : BlendAdd(dst[i], s);
    }
    return;
  }
  if (kFilter == Filter::kNearest && dv == 0) {
    // One texture row for the whole span (unrotated quads).
    int y = std::clamp(v >> 16, 0, t.height - 1);
    const uint32_t* row = t.data + static_cast<size_t>(y) * t.width;
    int last = t.width - 1;
    for (int i = 0; i < count; ++i, u += du) {
      uint32_t s = row[std::clamp(u >> 16, 0, last)];
      if (s == 0) continue;
      if (kModulate) s = Modulate(s, m);
      dst[i] = kBlend == Blend::kAlpha ? BlendAlpha(dst[i], s) : BlendAdd(dst[i], s);
    }
    return;
  }
  for (int i = 0; i < count; ++i, u += du, v += dv) {
    uint32_t s = kFilter == Filter::kNearest ? Nearest(t, u, v) : Bilinear(t, u, v);
    if (s == 0) continue;
    if (kModulate) s = Modulate(s, m);
    dst[i] = kBlend == Blend::kAlpha ? BlendAlpha(dst[i], s) : BlendAdd(dst[i], s);
  }
}

template <Filter kFilter, Blend kBlend>
void DrawSpan(uint32_t* dst, int count, const Image& img, int32_t u, int32_t v, int32_t du, int32_t dv,
              const Modulation& m) {
  Texels t{img.pixels.data(), img.width, img.height};
  if (kFilter == Filter::kNearest && kBlend == Blend::kAlpha && m.identity && img.opaque && dv == 0 &&
      du == 65536) {
    // An opaque picture at its own size: copy the texels.
    int x = u >> 16, y = v >> 16;
    if (x >= 0 && y >= 0 && y < img.height && x + count <= img.width) {
      const uint32_t* src = t.data + static_cast<size_t>(y) * img.width + x;
      for (int i = 0; i < count; ++i) dst[i] = src[i] & 0x00FFFFFF;
      return;
    }
  }
  if (m.identity)
    DrawSpanOf<kFilter, kBlend, false>(dst, count, t, u, v, du, dv, m);
  else
    DrawSpanOf<kFilter, kBlend, true>(dst, count, t, u, v, du, dv, m);
}

}  // namespace

void SetModulation(QuadDraw& quad, float r, float g, float b, float a) {
  auto to256 = [](float f) { return static_cast<uint32_t>(std::lround(std::clamp(f, 0.0f, 1.0f) * 256)); };
  float alpha = std::clamp(a, 0.0f, 1.0f);
  quad.modA = to256(alpha);
  quad.modR = to256(r * alpha);
  quad.modG = to256(g * alpha);
  quad.modB = to256(b * alpha);
}

void DrawQuad(Frame& frame, const QuadDraw& q, int rowBegin, int rowEnd) {
  if (!q.image || q.image->width <= 0 || q.image->height <= 0 || q.modA == 0) return;
  if (q.blend == Blend::kAdditive && (q.modR | q.modG | q.modB) == 0) return;
  float det = q.uAxisX * q.vAxisY - q.vAxisX * q.uAxisY;
  if (std::fabs(det) < 1e-9f) return;
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
  int yStart = std::max(std::max(0, rowBegin), static_cast<int>(std::floor(*std::min_element(ys, ys + 4))));
  int yEnd = std::min(std::min(frame.height, rowEnd), static_cast<int>(std::ceil(*std::max_element(ys, ys + 4))));
  float xMinAll = std::max(0.0f, std::floor(*std::min_element(xs, xs + 4)));
  float xMaxAll = std::min(static_cast<float>(frame.width), std::ceil(*std::max_element(xs, xs + 4)));
  if (yStart >= yEnd || xMinAll >= xMaxAll) return;

  Modulation m{q.modR, q.modG, q.modB, q.modA, q.modR == 256 && q.modG == 256 && q.modB == 256 && q.modA == 256};
  // Axis-aligned and one texel per pixel: nearest gives what bilinear would.
  Filter filter = q.filter;
  if (std::fabs(dudx - 1) < 1e-4f && std::fabs(dvdy - 1) < 1e-4f && std::fabs(dvdx) < 1e-6f &&
      std::fabs(dudy) < 1e-6f)
    filter = Filter::kNearest;
  int32_t du = static_cast<int32_t>(std::lround(dudx * kFixedOne));
  int32_t dv = static_cast<int32_t>(std::lround(dvdx * kFixedOne));

  for (int y = yStart; y < yEnd; ++y) {
    // Texel coordinates at the centre of pixel (0, y).
    float px = 0.5f - q.originX, py = y + 0.5f - q.originY;
    float uBase = px * dudx + py * dudy, vBase = px * dvdx + py * dvdy;
    float lo = xMinAll, hi = xMaxAll;
    NarrowSpan(uBase, dudx, q.u0, q.u1, lo, hi);
    NarrowSpan(vBase, dvdx, q.v0, q.v1, lo, hi);
    int xStart = static_cast<int>(std::ceil(lo - 1e-4f)), xEnd = static_cast<int>(std::ceil(hi - 1e-4f));
    xStart = std::max(xStart, 0);
    xEnd = std::min(xEnd, frame.width);
    if (xStart >= xEnd) continue;
    int32_t u = static_cast<int32_t>(std::lround((uBase + xStart * dudx) * kFixedOne));
    int32_t v = static_cast<int32_t>(std::lround((vBase + xStart * dvdx) * kFixedOne));
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + xStart;
    int count = xEnd - xStart;
    const Image& img = *q.image;
    if (filter == Filter::kNearest) {
      if (q.blend == Blend::kAlpha)
        DrawSpan<Filter::kNearest, Blend::kAlpha>(dst, count, img, u, v, du, dv, m);
      else
        DrawSpan<Filter::kNearest, Blend::kAdditive>(dst, count, img, u, v, du, dv, m);
    } else {
      if (q.blend == Blend::kAlpha)
        DrawSpan<Filter::kBilinear, Blend::kAlpha>(dst, count, img, u, v, du, dv, m);
      else
        DrawSpan<Filter::kBilinear, Blend::kAdditive>(dst, count, img, u, v, du, dv, m);
    }
  }
}

}  // namespace spriteengine

namespace spriteengine {
void DrawQuad(Frame& frame, const QuadDraw& quad) { DrawQuad(frame, quad, 0, frame.height); }
}  // namespace spriteengine
