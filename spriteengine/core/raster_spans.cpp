// The rasteriser's spans on every processor: one row of a quad shaded from
// its texels, one pixel at a time or four with SSE2, and handed to the
// eight-pixel forms (raster_spans_avx2.cpp) where the processor has AVX2.
#include <algorithm>

#include "pixel_ops.h"
#include "raster_spans.h"

namespace spriteengine::raster {

namespace {

[[gnu::always_inline]] inline uint32_t Bilinear(const Texels& t, int32_t u, int32_t v) {
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
  return pixel::Lerp(pixel::Lerp(p00, p10, fx), pixel::Lerp(p01, p11, fx), fy);
}

[[gnu::always_inline]] inline uint32_t Nearest(const Texels& t, int32_t u, int32_t v) {
  int x = std::clamp(u >> 16, 0, t.width - 1), y = std::clamp(v >> 16, 0, t.height - 1);
  return t.data[static_cast<size_t>(y) * t.width + x];
}

using pixel::Modulation;

template <Blend kBlend, bool kModulate>
[[gnu::always_inline]] inline void Shade1(uint32_t& d, uint32_t s, const Modulation& m) {
  if (s == 0) return;
  if (kModulate) s = pixel::Modulate(s, m);
  d = kBlend == Blend::kAlpha ? pixel::BlendAlpha(d, s) : pixel::BlendAdd(d, s);
}

#if SPRITEENGINE_SSE2
template <Blend kBlend, bool kModulate>
[[gnu::always_inline]] inline void Shade4(uint32_t* dst, __m128i s, __m128i lanes) {
  if (pixel::AllZero4(s)) return;  // transparent texels leave the frame as it is
  if (kModulate) s = pixel::Modulate4(s, lanes);
  __m128i* at = reinterpret_cast<__m128i*>(dst);
  if (kBlend == Blend::kAdditive) {
    _mm_storeu_si128(at, pixel::BlendAdd4(_mm_loadu_si128(at), s));
  } else if (!kModulate && pixel::OpaqueMask4(s) == 0xF) {
    _mm_storeu_si128(at, _mm_and_si128(s, _mm_set1_epi32(0x00FFFFFF)));
  } else {
    _mm_storeu_si128(at, pixel::BlendAlpha4(_mm_loadu_si128(at), s));
  }
}
#endif

// Texel sources of a span: One() gives the next pixel's texel, Four() the
// next four pixels' (the same values, four at a time where it pays).

// Nearest texels along one texture row (unrotated quads); kClamp false when
// the whole span is known to read inside the row.
template <bool kClamp>
struct RowNearest {
  const uint32_t* row;
  int last;
  int32_t u, du;
  [[gnu::always_inline]] uint32_t One() {
    uint32_t s = row[kClamp ? std::clamp(u >> 16, 0, last) : u >> 16];
    u += du;
    return s;
  }
#if SPRITEENGINE_SSE2
  [[gnu::always_inline]] __m128i Four() {
    uint32_t a = One(), b = One(), c = One(), d = One();
    return pixel::Four(a, b, c, d);
  }
#endif
};

// Bilinear texels between two texture rows with one vertical weight
// (unrotated spans too long for ColumnBilinear's buffer).
struct RowBilinear {
  const uint32_t* row0;
  const uint32_t* row1;
  int last;
  int32_t uc, du;  // uc: u less half a texel
  uint32_t fy;
  [[gnu::always_inline]] uint32_t One() {
    int x0 = uc >> 16;
    uint32_t fx = (static_cast<uint32_t>(uc) >> 8) & 0xFF;
    uc = Advanced(uc, 1, du);
    int x1 = std::clamp(x0 + 1, 0, last);
    x0 = std::clamp(x0, 0, last);
    uint32_t p00 = row0[x0], p10 = row0[x1], p01 = row1[x0], p11 = row1[x1];
    if (p00 == p10 && p00 == p01 && p00 == p11) return p00;
    return pixel::Lerp(pixel::Lerp(p00, p10, fx), pixel::Lerp(p01, p11, fx), fy);
  }
#if SPRITEENGINE_SSE2
  [[gnu::always_inline]] __m128i Four() {
    uint32_t a = One(), b = One(), c = One(), d = One();
    return pixel::Four(a, b, c, d);
  }
#endif
};

// Bilinear texels of an unrotated span, in two passes: the vertical weight
// is the same all along the span, so the two texture rows are weighed
// together once per texel column the span crosses; each pixel then weighs
// two neighbouring columns.
struct ColumnBilinear {
  const uint32_t* column;  // column[x - lo] for every texel column x the span reads (edges repeated)
  int lo;
  int32_t uc, du;  // uc: u less half a texel
  [[gnu::always_inline]] void Pair(uint32_t& a, uint32_t& b, uint32_t& fx) {
    int x0 = uc >> 16;
    fx = (static_cast<uint32_t>(uc) >> 8) & 0xFF;
    uc += du;
    a = column[x0 - lo];
    b = column[x0 + 1 - lo];
  }
  [[gnu::always_inline]] uint32_t One() {
    uint32_t a, b, fx;
    Pair(a, b, fx);
    return a == b ? a : pixel::Lerp(a, b, fx);
  }
#if SPRITEENGINE_SSE2
  [[gnu::always_inline]] __m128i Four() {
    uint32_t a0, b0, f0, a1, b1, f1, a2, b2, f2, a3, b3, f3;
    Pair(a0, b0, f0);
    Pair(a1, b1, f1);
    Pair(a2, b2, f2);
    Pair(a3, b3, f3);
    __m128i a = pixel::Four(a0, a1, a2, a3);
    if (a0 == b0 && a1 == b1 && a2 == b2 && a3 == b3) return a;  // flat colour
    return pixel::Lerp4(a, pixel::Four(b0, b1, b2, b3), pixel::WeightLanes(f0, f1), pixel::WeightLanes(f2, f3));
  }
#endif
};

// Columns lo..hi of two texture rows of `width` texels weighed together
// (fy of 256 to the second) into `out`; columns beyond an edge repeat it.
void WeighRows(const uint32_t* row0, const uint32_t* row1, int width, uint32_t fy, int lo, int hi, uint32_t* out) {
  int x = lo;
  auto one = [&](int at) {
    int c = std::clamp(at, 0, width - 1);
    out[at - lo] = fy == 0 ? row0[c] : pixel::Lerp(row0[c], row1[c], fy);
  };
  for (; x <= hi && x < 0; ++x) one(x);
#if SPRITEENGINE_AVX2_PATHS
  if (pixel::avx2::Available()) x = WeighRowsAvx2(row0, row1, fy, x, std::min(hi + 1, width), lo, out);
#endif
#if SPRITEENGINE_SSE2
  const __m128i w = _mm_set1_epi16(static_cast<short>(fy));
  for (; x + 4 <= std::min(hi + 1, width); x += 4) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row0 + x));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row1 + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (x - lo)), pixel::Lerp4(a, b, w, w));
  }
#endif
  for (; x <= hi; ++x) one(x);
}

// The two texture rows a bilinear sample at v (16.16) reads, and the weight
// of the second.
struct RowsAround {
  const uint32_t* row0;
  const uint32_t* row1;
  uint32_t fy;
  RowsAround(const Texels& t, int32_t v) {
    int32_t vc = v - 32768;  // sample between texel centres
    int y0 = vc >> 16;
    row0 = t.data + static_cast<size_t>(std::clamp(y0, 0, t.height - 1)) * t.width;
    row1 = t.data + static_cast<size_t>(std::clamp(y0 + 1, 0, t.height - 1)) * t.width;
    fy = (static_cast<uint32_t>(vc) >> 8) & 0xFF;
  }
};

}  // namespace

const uint32_t* WeighedColumns(const Texels& t, int32_t v, int lo, int hi, uint32_t* buffer) {
  RowsAround rows(t, v);
  if (rows.fy == 0 && lo >= 0 && hi < t.width) return rows.row0 + lo;
  WeighRows(rows.row0, rows.row1, t.width, rows.fy, lo, hi, buffer);
  return buffer;
}

namespace {

#if SPRITEENGINE_SSE2
// Four pixels from their four bilinear taps each (flat: each pixel's taps
// alike, nothing to weigh).
[[gnu::always_inline]] inline __m128i WeighTaps4(const uint32_t* p00, const uint32_t* p10, const uint32_t* p01,
                                                 const uint32_t* p11, const uint32_t* fx, const uint32_t* fy,
                                                 bool flat) {
  auto four = [](const uint32_t* p) { return pixel::Four(p[0], p[1], p[2], p[3]); };
  if (flat) return four(p00);
  __m128i wxLo = pixel::WeightLanes(fx[0], fx[1]), wxHi = pixel::WeightLanes(fx[2], fx[3]);
  __m128i top = pixel::Lerp4(four(p00), four(p10), wxLo, wxHi);
  __m128i bottom = pixel::Lerp4(four(p01), four(p11), wxLo, wxHi);
  return pixel::Lerp4(top, bottom, pixel::WeightLanes(fy[0], fy[1]), pixel::WeightLanes(fy[2], fy[3]));
}
#endif

// Any texel of the picture (rotated quads).
template <Filter kFilter>
struct AnyTexel {
  Texels t;
  int32_t u, v, du, dv;
  [[gnu::always_inline]] uint32_t One() {
    uint32_t s = kFilter == Filter::kNearest ? Nearest(t, u, v) : Bilinear(t, u, v);
    u += du, v += dv;
    return s;
  }
#if SPRITEENGINE_SSE2
  [[gnu::always_inline]] __m128i Four() {
    if (kFilter == Filter::kNearest) {
      uint32_t a = One(), b = One(), c = One(), d = One();
      return pixel::Four(a, b, c, d);
    }
    uint32_t p00[4], p10[4], p01[4], p11[4], fx[4], fy[4];
    bool flat = true;  // each pixel's four texels alike: no weighing
    for (int j = 0; j < 4; ++j) {
      int32_t uc = u - 32768, vc = v - 32768;  // between texel centres
      u += du, v += dv;
      int x0 = uc >> 16, y0 = vc >> 16;
      fx[j] = (static_cast<uint32_t>(uc) >> 8) & 0xFF;
      fy[j] = (static_cast<uint32_t>(vc) >> 8) & 0xFF;
      int x1 = std::clamp(x0 + 1, 0, t.width - 1), y1 = std::clamp(y0 + 1, 0, t.height - 1);
      x0 = std::clamp(x0, 0, t.width - 1);
      y0 = std::clamp(y0, 0, t.height - 1);
      const uint32_t* row0 = t.data + static_cast<size_t>(y0) * t.width;
      const uint32_t* row1 = t.data + static_cast<size_t>(y1) * t.width;
      p00[j] = row0[x0], p10[j] = row0[x1], p01[j] = row1[x0], p11[j] = row1[x1];
      flat = flat && p00[j] == p10[j] && p00[j] == p01[j] && p00[j] == p11[j];
    }
    return WeighTaps4(p00, p10, p01, p11, fx, fy, flat);
  }
#endif
};

// Bilinear texels of a rotated span where all four taps of every pixel lie
// inside the picture, so none needs clamping; u and v less half a texel.
struct InteriorBilinear {
  const uint32_t* data;
  int width;
  int32_t u, v, du, dv;
  [[gnu::always_inline]] void Taps(uint32_t& p00, uint32_t& p10, uint32_t& p01, uint32_t& p11, uint32_t& fx,
                                   uint32_t& fy) {
    const uint32_t* at = data + static_cast<size_t>(v >> 16) * width + (u >> 16);
    fx = (static_cast<uint32_t>(u) >> 8) & 0xFF;
    fy = (static_cast<uint32_t>(v) >> 8) & 0xFF;
    u += du, v += dv;
    p00 = at[0], p10 = at[1], p01 = at[width], p11 = at[width + 1];
  }
  [[gnu::always_inline]] uint32_t One() {
    uint32_t p00, p10, p01, p11, fx, fy;
    Taps(p00, p10, p01, p11, fx, fy);
    if (p00 == p10 && p00 == p01 && p00 == p11) return p00;
    return pixel::Lerp(pixel::Lerp(p00, p10, fx), pixel::Lerp(p01, p11, fx), fy);
  }
#if SPRITEENGINE_SSE2
  [[gnu::always_inline]] __m128i Four() {
    uint32_t p00[4], p10[4], p01[4], p11[4], fx[4], fy[4];
    bool flat = true;
    for (int j = 0; j < 4; ++j) {
      Taps(p00[j], p10[j], p01[j], p11[j], fx[j], fy[j]);
      flat = flat && p00[j] == p10[j] && p00[j] == p01[j] && p00[j] == p11[j];
    }
    return WeighTaps4(p00, p10, p01, p11, fx, fy, flat);
  }
#endif
};

// The pixels i in [first, last) of a span for which low <= start + i * step
// < high; first >= last when there are none.
void StepsWithin(int64_t start, int64_t step, int64_t low, int64_t high, int count, int& first, int& last) {
  // Divisions by a positive number, rounding down and up.
  auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  auto ceilDiv = [](int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); };
  int64_t a = 0, b = 0;
  if (step > 0) {
    a = ceilDiv(low - start, step), b = ceilDiv(high - start, step);
  } else if (step < 0) {
    a = floorDiv(start - high, -step) + 1, b = floorDiv(start - low, -step) + 1;
  } else if (start >= low && start < high) {
    b = count;
  }
  first = static_cast<int>(std::clamp<int64_t>(a, 0, count));
  last = static_cast<int>(std::clamp<int64_t>(b, 0, count));
}

// Shades `count` pixels from the texels of `source`.
template <Blend kBlend, bool kModulate, typename Source>
[[gnu::always_inline]] inline void ShadeSpan(uint32_t* __restrict dst, int count, Source source,
                                             const Modulation& m) {
  int i = 0;
#if SPRITEENGINE_SSE2
  const __m128i lanes = kModulate ? pixel::ModulationLanes(m) : _mm_setzero_si128();
  for (; i + 4 <= count; i += 4) Shade4<kBlend, kModulate>(dst + i, source.Four(), lanes);
#endif
  for (; i < count; ++i) Shade1<kBlend, kModulate>(dst[i], source.One(), m);
}

// Shades `count` pixels from consecutive texels (a picture at its own size).
template <Blend kBlend, bool kModulate>
[[gnu::always_inline]] inline void ShadeRun(uint32_t* __restrict dst, int count, const uint32_t* src,
                                            const Modulation& m) {
  int i = 0;
#if SPRITEENGINE_AVX2_PATHS
  if (pixel::avx2::Available()) i = ShadeRunAvx2<kBlend, kModulate>(dst, count, src, m);
#endif
#if SPRITEENGINE_SSE2
  const __m128i lanes = kModulate ? pixel::ModulationLanes(m) : _mm_setzero_si128();
  for (; i + 4 <= count; i += 4)
    Shade4<kBlend, kModulate>(dst + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), lanes);
#endif
  for (; i < count; ++i) Shade1<kBlend, kModulate>(dst[i], src[i], m);
}

template <Filter kFilter, Blend kBlend, bool kModulate>
void DrawSpanOf(uint32_t* __restrict dst, int count, Texels t, int32_t u, int32_t v, int32_t du, int32_t dv,
                const Modulation& m) {
  if (kFilter == Filter::kBilinear && dv == 0) {
    // Sample between texel centres; the sums wrap (never overflow) where
    // BilinearColumns turns the span away for leaving int32_t.
    int32_t uc = Advanced(u, 1, -32768);
    int lo, hi;
    if (BilinearColumns(u, du, count, lo, hi)) {
      uint32_t columns[kMaxSpanColumns];
      const uint32_t* column = WeighedColumns(t, v, lo, hi, columns);
      int done = 0;
#if SPRITEENGINE_AVX2_PATHS
      if (pixel::avx2::Available())
        done = ColumnBilinearAvx2<kBlend, kModulate>(dst, count, column, hi - lo + 1, lo, uc, du, m);
#endif
      ShadeSpan<kBlend, kModulate>(dst + done, count - done, ColumnBilinear{column, lo, Advanced(uc, done, du), du},
                                   m);
    } else {
      RowsAround rows(t, v);
      ShadeSpan<kBlend, kModulate>(dst, count, RowBilinear{rows.row0, rows.row1, t.width - 1, uc, du, rows.fy}, m);
    }
    return;
  }
  if (kFilter == Filter::kNearest && dv == 0) {
    const uint32_t* row = t.data + static_cast<size_t>(std::clamp(v >> 16, 0, t.height - 1)) * t.width;
    int first = u >> 16;
    if (du == 65536 && first >= 0 && first + count <= t.width) {
      ShadeRun<kBlend, kModulate>(dst, count, row + first, m);
      return;
    }
    int64_t uLast = u + static_cast<int64_t>(count - 1) * du;
    if (std::min<int64_t>(u, uLast) >= 0 && (std::max<int64_t>(u, uLast) >> 16) < t.width)
      ShadeSpan<kBlend, kModulate>(dst, count, RowNearest<false>{row, t.width - 1, u, du}, m);
    else
      ShadeSpan<kBlend, kModulate>(dst, count, RowNearest<true>{row, t.width - 1, u, du}, m);
    return;
  }
  if (kFilter == Filter::kBilinear && t.width >= 2 && t.height >= 2) {
    // The middle of the span, where no tap needs clamping, goes the short way.
    int32_t uc = u - 32768, vc = v - 32768;
    int uFirst, uLast, vFirst, vLast;
    StepsWithin(uc, du, 0, static_cast<int64_t>(t.width - 1) << 16, count, uFirst, uLast);
    StepsWithin(vc, dv, 0, static_cast<int64_t>(t.height - 1) << 16, count, vFirst, vLast);
    int first = std::max(uFirst, vFirst), last = std::min(uLast, vLast);
    if (first < last) {
      ShadeSpan<kBlend, kModulate>(dst, first, AnyTexel<kFilter>{t, u, v, du, dv}, m);
      int32_t um = Advanced(uc, first, du), vm = Advanced(vc, first, dv);
      int done = 0;
#if SPRITEENGINE_AVX2_PATHS
      if (pixel::avx2::Available())
        done = InteriorBilinearAvx2<kBlend, kModulate>(dst + first, last - first, t.data, t.width, um, vm, du, dv, m);
#endif
      ShadeSpan<kBlend, kModulate>(
          dst + first + done, last - first - done,
          InteriorBilinear{t.data, t.width, Advanced(um, done, du), Advanced(vm, done, dv), du, dv}, m);
      ShadeSpan<kBlend, kModulate>(dst + last, count - last,
                                   AnyTexel<kFilter>{t, Advanced(u, last, du), Advanced(v, last, dv), du, dv}, m);
      return;
    }
  }
  ShadeSpan<kBlend, kModulate>(dst, count, AnyTexel<kFilter>{t, u, v, du, dv}, m);
}

// Opaque texels copied into the frame (pixel::CopyOpaque, the eight-pixel
// form where the processor has it).
inline void CopyOpaque(uint32_t* dst, const uint32_t* src, size_t count) {
  size_t done = 0;
#if SPRITEENGINE_AVX2_PATHS
  if (pixel::avx2::Available()) done = CopyOpaqueAvx2(dst, src, count);
#endif
  pixel::CopyOpaque(dst + done, src + done, count - done);
}

// Texels x..x+count-1 of row y of a picture at its own size, by its runs:
// clear ones leave the frame as it is, opaque ones are copied, the rest
// blended, which is what blending them all gives.
void DrawRunsOfRow(uint32_t* dst, int count, const Image& img, int x, int y) {
  const Image::Run* run = img.runs.data() + img.rowRuns[static_cast<size_t>(y)];
  const Image::Run* last = img.runs.data() + img.rowRuns[static_cast<size_t>(y) + 1];
  run = std::upper_bound(run, last, x, [](int column, const Image::Run& r) { return column < r.end; });
  const uint32_t* src = img.pixels.data() + static_cast<size_t>(y) * img.width;
  const Modulation identity;
  for (int at = x, end = x + count; at < end && run != last; ++run) {
    int until = std::min(run->end, end);
    if (run->kind == Image::Texels::kOpaque)
      CopyOpaque(dst + (at - x), src + at, static_cast<size_t>(until - at));
    else if (run->kind == Image::Texels::kMixed)
      ShadeRun<Blend::kAlpha, false>(dst + (at - x), until - at, src + at, identity);
    at = until;
  }
}

template <Filter kFilter, Blend kBlend>
void DrawSpan(uint32_t* dst, int count, const Image& img, int32_t u, int32_t v, int32_t du, int32_t dv,
              const Modulation& m) {
  Texels t{img.pixels.data(), img.width, img.height};
  if (kFilter == Filter::kNearest && kBlend == Blend::kAlpha && m.identity && dv == 0 && du == 65536) {
    // A picture at its own size: an opaque one's texels copied, another's by its runs.
    int x = u >> 16, y = v >> 16;
    if (x >= 0 && y >= 0 && y < img.height && x + count <= img.width) {
      if (img.opaque) {
        CopyOpaque(dst, t.data + static_cast<size_t>(y) * img.width + x, count);
        return;
      }
      if (!img.rowRuns.empty()) {
        DrawRunsOfRow(dst, count, img, x, y);
        return;
      }
    }
  }
  if (m.identity)
    DrawSpanOf<kFilter, kBlend, false>(dst, count, t, u, v, du, dv, m);
  else
    DrawSpanOf<kFilter, kBlend, true>(dst, count, t, u, v, du, dv, m);
}

// The rows of an unrotated nearest quad of at most kMaxIndexedColumns
// columns (particles, small sprites): every row reads the same texel
// columns, so they are found once and the rows go straight to shading. The
// texels are those DrawSpanFor reads, so the pixels are the same.
template <Blend kBlend, bool kModulate>
void DrawIndexedRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  const Image& img = *p.image;
  const int count = p.xEnd - p.xStart;
  int32_t columns[kMaxIndexedColumns];
  int32_t u = p.u;
  for (int i = 0; i < count; ++i, u += p.du) columns[i] = std::clamp(u >> 16, 0, img.width - 1);
  const uint32_t* texels = img.pixels.data();
#if SPRITEENGINE_SSE2
  const __m128i lanes = kModulate ? pixel::ModulationLanes(p.m) : _mm_setzero_si128();
  const __m128i times = _mm_set1_epi16(static_cast<short>(p.repeat));
#endif
  // (Only additive quads are drawn repeated.)
  const bool repeated = kBlend == Blend::kAdditive && p.repeat > 1;
  for (int y = yStart; y < yEnd; ++y) {
    int32_t v;
    if (!UnrotatedRow(p, y, v)) continue;
    const uint32_t* row = texels + static_cast<size_t>(std::clamp(v >> 16, 0, img.height - 1)) * img.width;
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + p.xStart;
    int i = 0;
#if SPRITEENGINE_SSE2
    for (; i + 4 <= count; i += 4) {
      __m128i s = pixel::Four(row[columns[i]], row[columns[i + 1]], row[columns[i + 2]], row[columns[i + 3]]);
      if (kBlend == Blend::kAdditive) {
        // Adding zero changes nothing, so no test for clear texels (soft
        // particles have many, scattered, and the branch would guess wrong).
        __m128i* at = reinterpret_cast<__m128i*>(dst + i);
        if (kModulate) s = pixel::Modulate4(s, lanes);
        if (repeated) s = pixel::Times4(s, times);
        _mm_storeu_si128(at, pixel::BlendAdd4(_mm_loadu_si128(at), s));
      } else {
        Shade4<kBlend, kModulate>(dst + i, s, lanes);
      }
    }
#endif
    if (repeated) {
      for (; i < count; ++i) {
        uint32_t s = row[columns[i]];
        dst[i] = pixel::BlendAdd(dst[i], pixel::Times(kModulate ? pixel::Modulate(s, p.m) : s, p.repeat));
      }
    }
    for (; i < count; ++i) Shade1<kBlend, kModulate>(dst[i], row[columns[i]], p.m);
  }
}

}  // namespace

void DrawSpanFor(Filter filter, Blend blend, uint32_t* dst, int count, const Image& img, int32_t u, int32_t v,
                 int32_t du, int32_t dv, const Modulation& m) {
  if (filter == Filter::kNearest) {
    if (blend == Blend::kAlpha)
      DrawSpan<Filter::kNearest, Blend::kAlpha>(dst, count, img, u, v, du, dv, m);
    else
      DrawSpan<Filter::kNearest, Blend::kAdditive>(dst, count, img, u, v, du, dv, m);
  } else {
    if (blend == Blend::kAlpha)
      DrawSpan<Filter::kBilinear, Blend::kAlpha>(dst, count, img, u, v, du, dv, m);
    else
      DrawSpan<Filter::kBilinear, Blend::kAdditive>(dst, count, img, u, v, du, dv, m);
  }
}

void DrawIndexedRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  bool modulate = !p.m.identity;
  if (p.blend == Blend::kAdditive && modulate)
    DrawIndexedRows<Blend::kAdditive, true>(frame, p, yStart, yEnd);
  else if (p.blend == Blend::kAdditive)
    DrawIndexedRows<Blend::kAdditive, false>(frame, p, yStart, yEnd);
  else if (modulate)
    DrawIndexedRows<Blend::kAlpha, true>(frame, p, yStart, yEnd);
  else
    DrawIndexedRows<Blend::kAlpha, false>(frame, p, yStart, yEnd);
}

}  // namespace spriteengine::raster
