#include "raster.h"

#include <algorithm>
#include <cmath>

#include "pixel_ops.h"
#include "pixel_ops_avx2.h"

namespace spriteengine {

#if SPRITEENGINE_AVX2_PATHS
using pixel::avx2::kGather;
using pixel::avx2::kOneLoad;
using pixel::avx2::kTwoLoads;
using pixel::avx2::LoadsFor;
using pixel::avx2::Read;
#endif

namespace {

constexpr float kFixedOne = 65536.0f;

// std::lround (halves away from zero) without the library call: a float
// plus or minus a half is exact in double, and the cast cuts toward zero.
// Texel coordinates stay far inside the range of int32_t.
inline int32_t RoundToInt(float x) {
  double d = x;
  return static_cast<int32_t>(d >= 0 ? d + 0.5 : d - 0.5);
}
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

// The texture as plain locals, so the compiler need not reload it after
// every store into the frame.
struct Texels {
  const uint32_t* data;
  int width, height;
};

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
    uc += du;
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

#if SPRITEENGINE_AVX2_PATHS
// WeighRows' columns x..end-1 (inside the rows) eight at a time; returns
// where it stopped.
[[gnu::target("avx2")]] int WeighRowsAvx2(const uint32_t* row0, const uint32_t* row1, uint32_t fy, int x, int end,
                                          int lo, uint32_t* out) {
  const __m256i w = _mm256_set1_epi16(static_cast<short>(fy));
  for (; x + 8 <= end; x += 8) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + x));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + (x - lo)), pixel::avx2::Lerp8(a, b, w, w));
  }
  return x;
}
#endif

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

constexpr int kMaxSpanColumns = 2048;  // texel columns one span may weigh at once

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

// Texel columns lo..hi of the rows around v weighed together: the
// picture's own row where no weighing is needed, else `buffer` (at least
// hi - lo + 1 texels) filled by WeighRows.
const uint32_t* WeighedColumns(const Texels& t, int32_t v, int lo, int hi, uint32_t* buffer) {
  RowsAround rows(t, v);
  if (rows.fy == 0 && lo >= 0 && hi < t.width) return rows.row0 + lo;
  WeighRows(rows.row0, rows.row1, t.width, rows.fy, lo, hi, buffer);
  return buffer;
}

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

#if SPRITEENGINE_AVX2_PATHS
// Eight-pixel forms of the spans below, for processors with AVX2. Each
// shades the whole eights of its span and says how many pixels it did; the
// four-pixel form goes on from there. Same texels, same sums.

template <Blend kBlend, bool kModulate>
SPRITEENGINE_AVX2_INLINE void Shade8(uint32_t* dst, __m256i s, __m256i lanes) {
  using namespace pixel::avx2;
  if (AllZero8(s)) return;  // transparent texels leave the frame as it is
  if (kModulate) s = Modulate8(s, lanes);
  __m256i* at = reinterpret_cast<__m256i*>(dst);
  if (kBlend == Blend::kAdditive) {
    _mm256_storeu_si256(at, BlendAdd8(_mm256_loadu_si256(at), s));
  } else if (!kModulate && AllOpaque8(s)) {
    _mm256_storeu_si256(at, _mm256_and_si256(s, _mm256_set1_epi32(0x00FFFFFF)));
  } else {
    _mm256_storeu_si256(at, BlendAlpha8(_mm256_loadu_si256(at), s));
  }
}

// Consecutive texels (a picture at its own size).
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int ShadeRunAvx2(uint32_t* dst, int count, const uint32_t* src, const Modulation& m) {
  const __m256i lanes = kModulate ? pixel::avx2::Lanes(m) : _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= count; i += 8)
    Shade8<kBlend, kModulate>(dst + i, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)), lanes);
  return i;
}

// ColumnBilinear: two neighbouring weighed columns per pixel (columnCount
// of them from `column`).
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int ColumnBilinearAvx2(uint32_t* dst, int count, const uint32_t* column, int columnCount,
                                               int lo, int32_t uc, int32_t du, const Modulation& m) {
  using namespace pixel::avx2;
  const __m256i lanes = kModulate ? Lanes(m) : _mm256_setzero_si256();
  const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i u = _mm256_add_epi32(_mm256_set1_epi32(uc), _mm256_mullo_epi32(_mm256_set1_epi32(du), steps));
  const __m256i du8 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(du) * 8u));
  const __m256i first = _mm256_set1_epi32(lo), byte = _mm256_set1_epi32(0xFF), seven = _mm256_set1_epi32(7);
  const int* columns = reinterpret_cast<const int*>(column);
  int i = 0;
  for (; i + 8 <= count; i += 8, u = _mm256_add_epi32(u, du8)) {
    __m256i x = _mm256_sub_epi32(_mm256_srai_epi32(u, 16), first);
    __m256i a, b;
    int x0 = _mm256_cvtsi256_si32(x);
    if (du > 0 && _mm256_extract_epi32(x, 7) + 1 - x0 < 16 && x0 + 16 <= columnCount) {
      // The sixteen columns from the first cover all eight pairs: two loads, shuffled into place.
      const __m256i* from = reinterpret_cast<const __m256i*>(columns + x0);
      __m256i near = _mm256_loadu_si256(from), far = _mm256_loadu_si256(from + 1);
      __m256i ia = _mm256_sub_epi32(x, _mm256_set1_epi32(x0)), ib = _mm256_add_epi32(ia, _mm256_set1_epi32(1));
      a = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(near, ia), _mm256_permutevar8x32_epi32(far, ia),
                             _mm256_cmpgt_epi32(ia, seven));
      b = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(near, ib), _mm256_permutevar8x32_epi32(far, ib),
                             _mm256_cmpgt_epi32(ib, seven));
    } else {
      a = _mm256_i32gather_epi32(columns, x, 4), b = _mm256_i32gather_epi32(columns + 1, x, 4);
    }
    __m256i s = a;
    if (!AllEqual8(a, b)) {  // not a flat colour
      __m256i wLo, wHi;
      WeightLanes8(_mm256_and_si256(_mm256_srli_epi32(u, 8), byte), wLo, wHi);
      s = Lerp8(a, b, wLo, wHi);
    }
    Shade8<kBlend, kModulate>(dst + i, s, lanes);
  }
  return i;
}

// Pairs of neighbouring texels, as 64-bit lanes of two vectors, split into
// the left and the right texels (lanes 0..3 of each half from `first`).
SPRITEENGINE_AVX2_INLINE void SplitPairs(__m256i first, __m256i second, __m256i& left, __m256i& right) {
  __m256 a = _mm256_castsi256_ps(first), b = _mm256_castsi256_ps(second);
  left = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
  right = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
}

// InteriorBilinear: four taps inside the picture per pixel.
template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] int InteriorBilinearAvx2(uint32_t* dst, int count, const uint32_t* data, int width,
                                                 int32_t uc, int32_t vc, int32_t du, int32_t dv,
                                                 const Modulation& m) {
  using namespace pixel::avx2;
  const __m256i lanes = kModulate ? Lanes(m) : _mm256_setzero_si256();
  const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i u = _mm256_add_epi32(_mm256_set1_epi32(uc), _mm256_mullo_epi32(_mm256_set1_epi32(du), steps));
  __m256i v = _mm256_add_epi32(_mm256_set1_epi32(vc), _mm256_mullo_epi32(_mm256_set1_epi32(dv), steps));
  const __m256i du8 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(du) * 8u));
  const __m256i dv8 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dv) * 8u));
  const __m256i rowLength = _mm256_set1_epi32(width), byte = _mm256_set1_epi32(0xFF);
  const long long* texels = reinterpret_cast<const long long*>(data);
  const long long* below = reinterpret_cast<const long long*>(data + width);
  // Each pixel's two taps of a row are neighbours: one 64-bit read brings
  // both. Pixels 0, 1, 4, 5 are read by one gather and 2, 3, 6, 7 by the
  // other, so that one shuffle puts the left taps, and one the right, back
  // in pixel order.
  const __m256i halves = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  int i = 0;
  for (; i + 8 <= count; i += 8, u = _mm256_add_epi32(u, du8), v = _mm256_add_epi32(v, dv8)) {
    __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(v, 16), rowLength), _mm256_srai_epi32(u, 16));
    at = _mm256_permutevar8x32_epi32(at, halves);
    __m128i atFirst = _mm256_castsi256_si128(at), atSecond = _mm256_extracti128_si256(at, 1);
    __m256i p00, p10, p01, p11;
    SplitPairs(_mm256_i32gather_epi64(texels, atFirst, 4), _mm256_i32gather_epi64(texels, atSecond, 4), p00, p10);
    SplitPairs(_mm256_i32gather_epi64(below, atFirst, 4), _mm256_i32gather_epi64(below, atSecond, 4), p01, p11);
    __m256i s = p00;
    if (!(AllEqual8(p00, p10) && AllEqual8(p00, p01) && AllEqual8(p00, p11))) {
      __m256i wxLo, wxHi, wyLo, wyHi;
      WeightLanes8(_mm256_and_si256(_mm256_srli_epi32(u, 8), byte), wxLo, wxHi);
      WeightLanes8(_mm256_and_si256(_mm256_srli_epi32(v, 8), byte), wyLo, wyHi);
      s = Lerp8(Lerp8(p00, p10, wxLo, wxHi), Lerp8(p01, p11, wxLo, wxHi), wyLo, wyHi);
    }
    Shade8<kBlend, kModulate>(dst + i, s, lanes);
  }
  return i;
}
#endif

// u + n du as the 16.16 sums of a span run it (wrapping like them).
inline int32_t Advanced(int32_t u, int n, int32_t du) {
  return static_cast<int32_t>(static_cast<uint32_t>(u) + static_cast<uint32_t>(n) * static_cast<uint32_t>(du));
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
    int32_t uc = u - 32768;  // sample between texel centres
    int64_t ucLast = uc + static_cast<int64_t>(count - 1) * du;
    int64_t lo = std::min<int64_t>(uc, ucLast) >> 16, hi = (std::max<int64_t>(uc, ucLast) >> 16) + 1;
    if (hi - lo < kMaxSpanColumns) {
      uint32_t columns[kMaxSpanColumns];
      const uint32_t* column = WeighedColumns(t, v, static_cast<int>(lo), static_cast<int>(hi), columns);
      int done = 0;
#if SPRITEENGINE_AVX2_PATHS
      if (pixel::avx2::Available())
        done = ColumnBilinearAvx2<kBlend, kModulate>(dst, count, column, static_cast<int>(hi - lo + 1),
                                                     static_cast<int>(lo), uc, du, m);
#endif
      ShadeSpan<kBlend, kModulate>(dst + done, count - done,
                                   ColumnBilinear{column, static_cast<int>(lo), Advanced(uc, done, du), du}, m);
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

template <Filter kFilter, Blend kBlend>
void DrawSpan(uint32_t* dst, int count, const Image& img, int32_t u, int32_t v, int32_t du, int32_t dv,
              const Modulation& m) {
  Texels t{img.pixels.data(), img.width, img.height};
  if (kFilter == Filter::kNearest && kBlend == Blend::kAlpha && m.identity && img.opaque && dv == 0 &&
      du == 65536) {
    // An opaque picture at its own size: copy the texels.
    int x = u >> 16, y = v >> 16;
    if (x >= 0 && y >= 0 && y < img.height && x + count <= img.width) {
      pixel::CopyOpaque(dst, t.data + static_cast<size_t>(y) * img.width + x, count);
      return;
    }
  }
  if (m.identity)
    DrawSpanOf<kFilter, kBlend, false>(dst, count, t, u, v, du, dv, m);
  else
    DrawSpanOf<kFilter, kBlend, true>(dst, count, t, u, v, du, dv, m);
}

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

// The texel row v (16.16) of row y of an unrotated quad; false when the
// quad draws nothing on that row.
[[gnu::always_inline]] inline bool UnrotatedRow(const PreparedQuad& p, int y, int32_t& v) {
  float vBase = (y + 0.5f - p.originY) * p.dvdy;
  if (vBase < p.v0 || vBase >= p.v1) return false;
  v = RoundToInt(vBase * kFixedOne);
  return true;
}

constexpr int kMaxIndexedColumns = 128;  // spans this short read their columns from a table

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
#endif
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
        _mm_storeu_si128(at, pixel::BlendAdd4(_mm_loadu_si128(at), kModulate ? pixel::Modulate4(s, lanes) : s));
      } else {
        Shade4<kBlend, kModulate>(dst + i, s, lanes);
      }
    }
#endif
    for (; i < count; ++i) Shade1<kBlend, kModulate>(dst[i], row[columns[i]], p.m);
  }
}

#if SPRITEENGINE_AVX2_PATHS
// Eight texels of a row, read as LoadsFor chose: `place` holds their
// columns less `first` (for loads) or the columns themselves (a gather).
SPRITEENGINE_AVX2_INLINE __m256i ReadEight(const int* row, Read read, int first, __m256i place) {
  const __m256i* from = reinterpret_cast<const __m256i*>(row + first);
  if (read == kOneLoad) return _mm256_permutevar8x32_epi32(_mm256_loadu_si256(from), place);
  if (read == kTwoLoads) {
    __m256i near = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(from), place);
    __m256i far = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(from + 1), place);
    return _mm256_blendv_epi8(near, far, _mm256_cmpgt_epi32(place, _mm256_set1_epi32(7)));
  }
  return _mm256_i32gather_epi32(row, place, 4);
}

// DrawIndexedRows<kAdditive, true> (fire) eight pixels at a time, on
// processors with AVX2: the columns are one vector for every row, and the
// lanes past the span read no texel and add nothing. The arithmetic is
// Modulate4's and BlendAdd4's (alpha is kept at 0 by the modulation rather
// than masked after the sum), so the pixels are the same.
[[gnu::target("avx2")]] void DrawIndexedRowsAdditiveAvx2(Frame& frame, const PreparedQuad& p, int yStart,
                                                         int yEnd) {
  using namespace pixel::avx2;
  const Image& img = *p.image;
  const int count = p.xEnd - p.xStart;
  const int groups = (count + 7) / 8, fullGroups = count / 8;
  // Each eight columns, read the cheapest way the same on every row: one or
  // two loads of consecutive texels shuffled into place when they lie within
  // 8 or 16 texels of each other, else a gather. The columns are those of
  // the scalar sums u + i du (wrapping alike), clamped to the picture; lanes
  // past the span repeat the last column.
  Read read[kMaxIndexedColumns / 8];
  int first[kMaxIndexedColumns / 8];
  __m256i place[kMaxIndexedColumns / 8];
  const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i lastPixel = _mm256_set1_epi32(count - 1), lastColumn = _mm256_set1_epi32(img.width - 1);
  for (int g = 0; g < groups; ++g) {
    __m256i i = _mm256_min_epi32(_mm256_add_epi32(_mm256_set1_epi32(8 * g), laneIndex), lastPixel);
    __m256i u = _mm256_add_epi32(_mm256_set1_epi32(p.u), _mm256_mullo_epi32(i, _mm256_set1_epi32(p.du)));
    __m256i at = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(u, 16), _mm256_setzero_si256()), lastColumn);
    // The columns only ever rise or only ever fall: the ends are the bounds.
    int a = _mm256_cvtsi256_si32(at), b = _mm256_extract_epi32(at, 7);
    LoadsFor(std::min(a, b), std::max(a, b) + 1, img.width, read[g], first[g]);
    place[g] = read[g] == kGather ? at : _mm256_sub_epi32(at, _mm256_set1_epi32(first[g]));
  }
  const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - 8 * fullGroups), laneIndex);  // tail lanes
  const bool tailInFrame = p.xStart + 8 * groups <= frame.width;
  // The modulation leaves alpha 0, as the layer's pixels keep it: the sum
  // needs no masking.
  const __m256i lanes = _mm256_and_si256(Lanes(p.m), _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll));
  const int* texels = reinterpret_cast<const int*>(img.pixels.data());
  for (int y = yStart; y < yEnd; ++y) {
    int32_t v;
    if (!UnrotatedRow(p, y, v)) continue;
    const int* row = texels + static_cast<size_t>(std::clamp(v >> 16, 0, img.height - 1)) * img.width;
    int* dst = reinterpret_cast<int*>(frame.pixels.data() + static_cast<size_t>(y) * frame.width + p.xStart);
    for (int g = 0; g < fullGroups; ++g) {
      __m256i* at = reinterpret_cast<__m256i*>(dst + 8 * g);
      __m256i s = Modulate8(ReadEight(row, read[g], first[g], place[g]), lanes);
      _mm256_storeu_si256(at, _mm256_adds_epu8(_mm256_loadu_si256(at), s));
    }
    if (fullGroups == groups) continue;
    // The tail: lanes past the span add nothing; past the frame's edge they
    // are not touched at all.
    const int g = fullGroups;
    __m256i s = Modulate8(_mm256_and_si256(ReadEight(row, read[g], first[g], place[g]), keep), lanes);
    int* at = dst + 8 * g;
    if (tailInFrame) {
      __m256i* whole = reinterpret_cast<__m256i*>(at);
      _mm256_storeu_si256(whole, _mm256_adds_epu8(_mm256_loadu_si256(whole), s));
    } else {
      _mm256_maskstore_epi32(at, keep, _mm256_adds_epu8(_mm256_maskload_epi32(at, keep), s));
    }
  }
}

// Unrotated bilinear quads (pictures drawn larger or smaller than their own
// size) eight pixels at a time. Every row reads the same texel columns with
// the same weights, so where each eight pixels read their column pairs and
// how they weigh them is worked out once per quad; each row then weighs its
// two texture rows together (WeighRows) and shades. The sums are
// ColumnBilinear's, so the pixels are the same. Lanes past the span are
// cleared texels, which change nothing.
constexpr int kMaxScaledGroups = 100;  // eights of pixels in a row: the widest frame row

template <Blend kBlend, bool kModulate>
[[gnu::target("avx2")]] void DrawScaledRowsAvx2(Frame& frame, const PreparedQuad& p, int yStart, int yEnd, int lo,
                                                int hi) {
  using namespace pixel::avx2;
  const Image& img = *p.image;
  const int count = p.xEnd - p.xStart, groups = (count + 7) / 8, columnCount = hi - lo + 1;
  const Texels t{img.pixels.data(), img.width, img.height};
  const int32_t uc = p.u - 32768;  // between texel centres
  // Per eight pixels: where they read their column pairs and how they weigh them.
  ColumnPairs8 pairs[kMaxScaledGroups];
  for (int g = 0; g < groups; ++g) {
    alignas(32) int32_t x[8], f[8];
    for (int j = 0; j < 8; ++j) {
      int32_t u = Advanced(uc, std::min(8 * g + j, count - 1), p.du);  // lanes past the span repeat the last
      x[j] = (u >> 16) - lo;
      f[j] = static_cast<int32_t>((static_cast<uint32_t>(u) >> 8) & 0xFF);
    }
    PrepareColumnPairs8(x, f, columnCount, pairs[g]);
  }
  const int tail = count % 8;  // pixels of a last, partial eight
  const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(tail), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i lanes = kModulate ? Lanes(p.m) : _mm256_setzero_si256();
  uint32_t weighed[kMaxSpanColumns];
  for (int y = yStart; y < yEnd; ++y) {
    int32_t v;
    if (!UnrotatedRow(p, y, v)) continue;
    const int* columns = reinterpret_cast<const int*>(WeighedColumns(t, v, lo, hi, weighed));
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + p.xStart;
    for (int g = 0; g < groups; ++g) {
      __m256i s = WeighColumnPairs8(columns, pairs[g]);
      if (g + 1 < groups || tail == 0) {
        Shade8<kBlend, kModulate>(dst + 8 * g, s, lanes);
        continue;
      }
      // The last, partial eight: only its own pixels are read and written
      // (the row may end at the frame's edge).
      int* at = reinterpret_cast<int*>(dst + 8 * g);
      s = _mm256_and_si256(s, keep);
      if (kModulate) s = Modulate8(s, lanes);
      __m256i d = _mm256_maskload_epi32(at, keep);
      d = kBlend == Blend::kAdditive ? BlendAdd8(d, s) : BlendAlpha8(d, s);
      _mm256_maskstore_epi32(at, keep, d);
    }
  }
}

// DrawScaledRowsAvx2 for the quad's blend and modulation; false when its
// rows are too wide for the tables.
bool DrawScaledRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  const int count = p.xEnd - p.xStart;
  if (count > 8 * kMaxScaledGroups) return false;
  int64_t uc = static_cast<int64_t>(p.u) - 32768, ucLast = uc + static_cast<int64_t>(count - 1) * p.du;
  int64_t lo = std::min(uc, ucLast) >> 16, hi = (std::max(uc, ucLast) >> 16) + 1;
  if (hi - lo >= kMaxSpanColumns) return false;
  int l = static_cast<int>(lo), h = static_cast<int>(hi);
  if (p.blend == Blend::kAdditive)
    p.m.identity ? DrawScaledRowsAvx2<Blend::kAdditive, false>(frame, p, yStart, yEnd, l, h)
                 : DrawScaledRowsAvx2<Blend::kAdditive, true>(frame, p, yStart, yEnd, l, h);
  else
    p.m.identity ? DrawScaledRowsAvx2<Blend::kAlpha, false>(frame, p, yStart, yEnd, l, h)
                 : DrawScaledRowsAvx2<Blend::kAlpha, true>(frame, p, yStart, yEnd, l, h);
  return true;
}
#endif

}  // namespace

void SetModulation(QuadDraw& quad, float r, float g, float b, float a) {
  auto to256 = [](float f) { return static_cast<uint32_t>(RoundToInt(std::clamp(f, 0.0f, 1.0f) * 256)); };
  float alpha = std::clamp(a, 0.0f, 1.0f);
  quad.modA = to256(alpha);
  quad.modR = to256(r * alpha);
  quad.modG = to256(g * alpha);
  quad.modB = to256(b * alpha);
}

bool PrepareQuad(const QuadDraw& q, int frameWidth, int frameHeight, PreparedQuad& p) {
  if (!q.image || q.image->width <= 0 || q.image->height <= 0 || q.modA == 0) return false;
  if (q.blend == Blend::kAdditive && (q.modR | q.modG | q.modB) == 0) return false;
  p.unrotated = q.uAxisY == 0 && q.vAxisX == 0;
  float det, dudx, dvdx, dudy, dvdy, xMin, xMax, yMin, yMax;
  if (p.unrotated) {
    // The sums below with their zero terms left out: the same values, for
    // less work on the many particles.
    det = q.uAxisX * q.vAxisY;
    if (std::fabs(det) < 1e-9f) return false;
    dudx = q.vAxisY / det, dvdy = q.uAxisX / det;
    dvdx = dudy = 0;
    float xa = q.originX + q.u0 * q.uAxisX, xb = q.originX + q.u1 * q.uAxisX;
    float ya = q.originY + q.v0 * q.vAxisY, yb = q.originY + q.v1 * q.vAxisY;
    xMin = std::min(xa, xb), xMax = std::max(xa, xb), yMin = std::min(ya, yb), yMax = std::max(ya, yb);
  } else {
    det = q.uAxisX * q.vAxisY - q.vAxisX * q.uAxisY;
    if (std::fabs(det) < 1e-9f) return false;
    // Inverse map: frame point -> texel coordinates.
    dudx = q.vAxisY / det, dvdx = -q.uAxisY / det;
    dudy = -q.vAxisX / det, dvdy = q.uAxisX / det;
    // Bounding box of the four corners.
    float xs[4], ys[4];
    const float us[4] = {q.u0, q.u1, q.u0, q.u1}, vs[4] = {q.v0, q.v0, q.v1, q.v1};
    for (int i = 0; i < 4; ++i) {
      xs[i] = q.originX + us[i] * q.uAxisX + vs[i] * q.vAxisX;
      ys[i] = q.originY + us[i] * q.uAxisY + vs[i] * q.vAxisY;
    }
    xMin = *std::min_element(xs, xs + 4), xMax = *std::max_element(xs, xs + 4);
    yMin = *std::min_element(ys, ys + 4), yMax = *std::max_element(ys, ys + 4);
  }
  // Far outside the frame (or not a number): nothing to draw, and no
  // integer overflow below.
  if (!(xMax > -1.0f && xMin < frameWidth + 1.0f && yMax > -1.0f && yMin < frameHeight + 1.0f)) return false;
  const float w = static_cast<float>(frameWidth), h = static_cast<float>(frameHeight);
  p.yStart = std::max(0, FloorToInt(std::max(yMin, -1.0f)));
  p.yEnd = std::min(frameHeight, CeilToInt(std::min(yMax, h + 1)));
  p.xMinAll = static_cast<float>(std::max(0, FloorToInt(std::max(xMin, -1.0f))));
  p.xMaxAll = static_cast<float>(std::min(frameWidth, CeilToInt(std::min(xMax, w + 1))));
  if (p.yStart >= p.yEnd || p.xMinAll >= p.xMaxAll) return false;

  p.image = q.image;
  p.m = {q.modR, q.modG, q.modB, q.modA, q.modR == 256 && q.modG == 256 && q.modB == 256 && q.modA == 256};
  p.blend = q.blend;
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
  if (p.unrotated) {
    // Unrotated: the same columns on every row, and v changes only with the
    // row, so the span is found once (the sums below are the general path's
    // with its zero terms left out, so both draw the same pixels).
    float uBase = p.px * dudx;
    float lo = p.xMinAll, hi = p.xMaxAll;
    NarrowSpan(uBase, dudx, q.u0, q.u1, lo, hi);
    p.xStart = std::max(CeilToInt(std::clamp(lo - 1e-4f, -1.0f, w + 1)), 0);
    p.xEnd = std::min(CeilToInt(std::clamp(hi - 1e-4f, -1.0f, w + 1)), frameWidth);
    if (p.xStart >= p.xEnd) return false;
    p.u = RoundToInt((uBase + p.xStart * dudx) * kFixedOne);
  }
  return true;
}

void DrawPrepared(Frame& frame, const PreparedQuad& p, int rowBegin, int rowEnd) {
  int yStart = std::max(p.yStart, rowBegin), yEnd = std::min(p.yEnd, rowEnd);
  const Image& img = *p.image;
  // (A picture at its own size reads consecutive texels: DrawSpanFor loads them four at a time.)
  if (p.unrotated && p.filter == Filter::kNearest && p.xEnd - p.xStart <= kMaxIndexedColumns &&
      p.du != static_cast<int32_t>(kFixedOne)) {
    bool modulate = !p.m.identity;
    if (p.blend == Blend::kAdditive && modulate) {
#if SPRITEENGINE_AVX2_PATHS
      if (pixel::avx2::Available()) {
        DrawIndexedRowsAdditiveAvx2(frame, p, yStart, yEnd);
        return;
      }
#endif
      DrawIndexedRows<Blend::kAdditive, true>(frame, p, yStart, yEnd);
    } else if (p.blend == Blend::kAdditive) {
      DrawIndexedRows<Blend::kAdditive, false>(frame, p, yStart, yEnd);
    } else if (modulate) {
      DrawIndexedRows<Blend::kAlpha, true>(frame, p, yStart, yEnd);
    } else {
      DrawIndexedRows<Blend::kAlpha, false>(frame, p, yStart, yEnd);
    }
    return;
  }
  if (p.unrotated) {
#if SPRITEENGINE_AVX2_PATHS
    if (p.filter == Filter::kBilinear && pixel::avx2::Available() && DrawScaledRows(frame, p, yStart, yEnd)) return;
#endif
    for (int y = yStart; y < yEnd; ++y) {
      int32_t v;
      if (!UnrotatedRow(p, y, v)) continue;
      uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + p.xStart;
      DrawSpanFor(p.filter, p.blend, dst, p.xEnd - p.xStart, img, p.u, v, p.du, 0, p.m);
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
    int xStart = static_cast<int>(std::ceil(lo - 1e-4f)), xEnd = static_cast<int>(std::ceil(hi - 1e-4f));
    xStart = std::max(xStart, 0);
    xEnd = std::min(xEnd, frame.width);
    if (xStart >= xEnd) continue;
    int32_t u = RoundToInt((uBase + xStart * p.dudx) * kFixedOne);
    int32_t v = RoundToInt((vBase + xStart * p.dvdx) * kFixedOne);
    uint32_t* dst = frame.pixels.data() + static_cast<size_t>(y) * frame.width + xStart;
    DrawSpanFor(p.filter, p.blend, dst, xEnd - xStart, img, u, v, p.du, p.dv, p.m);
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
