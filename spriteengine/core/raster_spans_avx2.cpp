// The eight-pixel forms of the rasteriser's spans and rows, for processors
// with AVX2. Every function carries its own target, so this file is built
// like the others and nothing here runs unless pixel::avx2::Available()
// said yes. Same texels, same sums as the four-pixel forms: the bytes agree.
#include "raster_spans.h"

#if SPRITEENGINE_AVX2_PATHS

#include <algorithm>

#include "pixel_ops_avx2.h"

namespace spriteengine::raster {

using pixel::avx2::kGather;
using pixel::avx2::kOneLoad;
using pixel::avx2::kTwoLoads;
using pixel::avx2::LoadsFor;
using pixel::avx2::Read;

[[gnu::target("avx2")]] size_t CopyOpaqueAvx2(uint32_t* __restrict dst, const uint32_t* __restrict src, size_t count) {
  const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_and_si256(a, rgb));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), _mm256_and_si256(b, rgb));
  }
  return i;
}

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

namespace {

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

}  // namespace

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

namespace {

// Pairs of neighbouring texels, as 64-bit lanes of two vectors, split into
// the left and the right texels (lanes 0..3 of each half from `first`).
SPRITEENGINE_AVX2_INLINE void SplitPairs(__m256i first, __m256i second, __m256i& left, __m256i& right) {
  __m256 a = _mm256_castsi256_ps(first), b = _mm256_castsi256_ps(second);
  left = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
  right = _mm256_castps_si256(_mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
}

}  // namespace

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

namespace {

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

// RoundToInt of four doubles: half away from zero, then truncated.
SPRITEENGINE_AVX2_INLINE __m128i RoundToInt4(__m256d d) {
  __m256d half =
      _mm256_blendv_pd(_mm256_set1_pd(-0.5), _mm256_set1_pd(0.5), _mm256_cmp_pd(d, _mm256_setzero_pd(), _CMP_GE_OQ));
  return _mm256_cvttpd_epi32(_mm256_add_pd(d, half));
}

// UnrotatedRow for the rows y..y+7 at once, the same float sums lane by
// lane and RoundToInt's rounding through double: each row's texel row,
// clamped to the picture, or -1 where the row draws nothing. A fire's quads
// are a few pixels wide, so this per-row work was as much as the adding.
SPRITEENGINE_AVX2_INLINE void TexelRows8(const PreparedQuad& p, int y, int height, int32_t* out) {
  const __m256i rows = _mm256_add_epi32(_mm256_set1_epi32(y), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256 centre = _mm256_add_ps(_mm256_cvtepi32_ps(rows), _mm256_set1_ps(0.5f));
  const __m256 vBase = _mm256_mul_ps(_mm256_sub_ps(centre, _mm256_set1_ps(p.originY)), _mm256_set1_ps(p.dvdy));
  // Not (vBase < v0 or vBase >= v1), as UnrotatedRow asks it.
  const __m256 drawn = _mm256_and_ps(_mm256_cmp_ps(vBase, _mm256_set1_ps(p.v0), _CMP_NLT_UQ),
                                     _mm256_cmp_ps(vBase, _mm256_set1_ps(p.v1), _CMP_NGE_UQ));
  const __m256 fixed = _mm256_mul_ps(vBase, _mm256_set1_ps(kFixedOne));
  __m256i v = _mm256_set_m128i(RoundToInt4(_mm256_cvtps_pd(_mm256_extractf128_ps(fixed, 1))),
                               RoundToInt4(_mm256_cvtps_pd(_mm256_castps256_ps128(fixed))));
  __m256i row = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(v, 16), _mm256_setzero_si256()),
                                 _mm256_set1_epi32(height - 1));
  row = _mm256_blendv_epi8(_mm256_set1_epi32(-1), row, _mm256_castps_si256(drawn));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), row);
}

// The rows of a fire quad of kGroups eights of pixels (the last one maybe
// partial, `keep` its lanes) whose eights all read their columns alike
// (kRead, not a gather) and whose last eight lies inside the frame row:
// DrawIndexedRowsAdditiveAvx2's loop with its choices made once for the
// quad, so a row is little more than its loads, sums and stores. Particles
// are 6 to 17 pixels wide, and such a row cost about twice as much the
// general way.
template <int kGroups, Read kRead, bool kRepeated>
[[gnu::target("avx2")]] void FewGroupRows(int* pixels, size_t rowLength, const PreparedQuad& p, int yStart, int yEnd,
                                          const int* texels, const int* first, const __m256i* place,
                                          const __m256i& keep, const __m256i& lanes, const __m256i& times) {
  using namespace pixel::avx2;
  // All in locals: the stores into the frame would otherwise have the
  // compiler read them again on every row.
  const int width = p.image->width, height = p.image->height;
  const __m256i last = keep, modulation = lanes, repeats = times;
  __m256i at[kGroups], far[kGroups];
  const int* from[kGroups];
  for (int g = 0; g < kGroups; ++g) {
    at[g] = place[g];
    far[g] = _mm256_cmpgt_epi32(place[g], _mm256_set1_epi32(7));
    from[g] = texels + first[g];
  }
  int32_t texelRows[8];
  size_t offset = static_cast<size_t>(yStart) * rowLength;
  for (int y = yStart, j = 8; y < yEnd; ++y, ++j, offset += rowLength) {
    if (j == 8) TexelRows8(p, y, height, texelRows), j = 0;
    if (texelRows[j] < 0) continue;
    const size_t row = static_cast<size_t>(texelRows[j]) * static_cast<size_t>(width);
    int* dst = pixels + offset;
    for (int g = 0; g < kGroups; ++g) {
      const __m256i* texel = reinterpret_cast<const __m256i*>(from[g] + row);
      __m256i s = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(texel), at[g]);
      if (kRead == kTwoLoads)
        s = _mm256_blendv_epi8(s, _mm256_permutevar8x32_epi32(_mm256_loadu_si256(texel + 1), at[g]), far[g]);
      if (g + 1 == kGroups) s = _mm256_and_si256(s, last);
      s = Modulate8(s, modulation);
      if (kRepeated) s = Times8(s, repeats);
      __m256i* out = reinterpret_cast<__m256i*>(dst + 8 * g);
      _mm256_storeu_si256(out, _mm256_adds_epu8(_mm256_loadu_si256(out), s));
    }
  }
}

using FewGroupRowsForm = void (*)(int*, size_t, const PreparedQuad&, int, int, const int*, const int*, const __m256i*,
                                  const __m256i&, const __m256i&, const __m256i&);

constexpr int kMostFewGroups = 3;

template <int kGroups>
FewGroupRowsForm FewGroupRowsOf(Read read, bool repeated) {
  if (read == kOneLoad)
    return repeated ? FewGroupRows<kGroups, kOneLoad, true> : FewGroupRows<kGroups, kOneLoad, false>;
  return repeated ? FewGroupRows<kGroups, kTwoLoads, true> : FewGroupRows<kGroups, kTwoLoads, false>;
}

// FewGroupRows for 1..kMostFewGroups eights read by one or two loads.
FewGroupRowsForm FewGroupRowsFor(int groups, Read read, bool repeated) {
  if (groups == 1) return FewGroupRowsOf<1>(read, repeated);
  if (groups == 2) return FewGroupRowsOf<2>(read, repeated);
  return FewGroupRowsOf<3>(read, repeated);
}

// The columns of the eights of pixels 8g..8g+7 of a span of `count` from
// u, stepping du (the scalar sums u + i du, wrapping alike), clamped to a
// picture `width` texels wide; lanes past the span repeat the last column.
SPRITEENGINE_AVX2_INLINE __m256i ColumnsOfEight(int g, int count, int32_t u, int32_t du, int width) {
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i i = _mm256_min_epi32(_mm256_add_epi32(_mm256_set1_epi32(8 * g), lane), _mm256_set1_epi32(count - 1));
  __m256i sum = _mm256_add_epi32(_mm256_set1_epi32(u), _mm256_mullo_epi32(i, _mm256_set1_epi32(du)));
  __m256i at = _mm256_max_epi32(_mm256_srai_epi32(sum, 16), _mm256_setzero_si256());
  return _mm256_min_epi32(at, _mm256_set1_epi32(width - 1));
}

// DrawIndexedRowsAdditiveAvx2 by FewGroupRows for a quad of at most
// kMostFewGroups eights whose last eight lies inside the frame row and whose
// eights each read their columns within 8 texels (one load each) or 16 (two),
// as LoadsFor would find them; false, drawing nothing, for other quads.
[[gnu::target("avx2")]] bool DrawFewGroupRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  using namespace pixel::avx2;
  const Image& img = *p.image;
  const int count = p.xEnd - p.xStart, groups = (count + 7) / 8;
  if (groups > kMostFewGroups || p.xStart + 8 * groups > frame.width) return false;
  __m256i place[kMostFewGroups];
  int first[kMostFewGroups], widest = 0;
  for (int g = 0; g < groups; ++g) {
    place[g] = ColumnsOfEight(g, count, p.u, p.du, img.width);
    // The columns only ever rise or only ever fall: the ends are the bounds.
    int a = _mm256_cvtsi256_si32(place[g]), b = _mm256_extract_epi32(place[g], 7);
    first[g] = std::min(a, b);
    widest = std::max(widest, std::abs(a - b) + 1);
  }
  const int loaded = widest <= 8 ? 8 : 16;  // texels a row's eight are read from
  if (widest > loaded || img.width < loaded) return false;
  for (int g = 0; g < groups; ++g) {
    first[g] = std::min(first[g], img.width - loaded);  // near the row's end the loads start earlier
    place[g] = _mm256_sub_epi32(place[g], _mm256_set1_epi32(first[g]));
  }
  const int tail = count % 8;  // lanes of a last, partial eight (none: all of it)
  const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(tail == 0 ? 8 : tail),
                                          _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i lanes = _mm256_and_si256(Lanes(p.m), _mm256_set1_epi64x(0x0000FFFFFFFFFFFFll));
  const __m256i times = _mm256_set1_epi16(static_cast<short>(p.repeat));
  FewGroupRowsForm rows = FewGroupRowsFor(groups, loaded == 8 ? kOneLoad : kTwoLoads, p.repeat > 1);
  rows(reinterpret_cast<int*>(frame.pixels.data()) + p.xStart, static_cast<size_t>(frame.width), p, yStart, yEnd,
       reinterpret_cast<const int*>(img.pixels.data()), first, place, keep, lanes, times);
  return true;
}

// DrawIndexedRows<kAdditive, true> (fire) eight pixels at a time, on
// processors with AVX2: the columns are one vector for every row, and the
// lanes past the span read no texel and add nothing. The arithmetic is
// Modulate4's and BlendAdd4's (alpha is kept at 0 by the modulation rather
// than masked after the sum), so the pixels are the same. (Apart, so that
// the few-eights quads do not pay for setting up its tables.)
[[gnu::target("avx2"), gnu::noinline]] void DrawManyGroupRows(Frame& frame, const PreparedQuad& p, int yStart,
                                                              int yEnd) {
  using namespace pixel::avx2;
  const Image& img = *p.image;
  const int count = p.xEnd - p.xStart;
  const int groups = (count + 7) / 8, fullGroups = count / 8;
  // Each eight columns, read the cheapest way the same on every row: one or
  // two loads of consecutive texels shuffled into place when they lie within
  // 8 or 16 texels of each other, else a gather.
  Read read[kMaxIndexedColumns / 8];
  int first[kMaxIndexedColumns / 8];
  __m256i place[kMaxIndexedColumns / 8];
  const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  for (int g = 0; g < groups; ++g) {
    __m256i at = ColumnsOfEight(g, count, p.u, p.du, img.width);
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
  const bool repeated = p.repeat > 1;
  const __m256i times = _mm256_set1_epi16(static_cast<short>(p.repeat));
  int* const pixels = reinterpret_cast<int*>(frame.pixels.data()) + p.xStart;
  const size_t rowLength = static_cast<size_t>(frame.width);
  int32_t texelRows[8];
  size_t offset = static_cast<size_t>(yStart) * rowLength;
  for (int y = yStart, j = 8; y < yEnd; ++y, ++j, offset += rowLength) {
    if (j == 8) TexelRows8(p, y, img.height, texelRows), j = 0;
    if (texelRows[j] < 0) continue;
    const int* row = texels + static_cast<size_t>(texelRows[j]) * img.width;
    int* dst = pixels + offset;
    for (int g = 0; g < fullGroups; ++g) {
      __m256i* at = reinterpret_cast<__m256i*>(dst + 8 * g);
      __m256i s = Modulate8(ReadEight(row, read[g], first[g], place[g]), lanes);
      if (repeated) s = Times8(s, times);
      _mm256_storeu_si256(at, _mm256_adds_epu8(_mm256_loadu_si256(at), s));
    }
    if (fullGroups == groups) continue;
    // The tail: lanes past the span add nothing; past the frame's edge they
    // are not touched at all.
    const int g = fullGroups;
    __m256i s = Modulate8(_mm256_and_si256(ReadEight(row, read[g], first[g], place[g]), keep), lanes);
    if (repeated) s = Times8(s, times);
    int* at = dst + 8 * g;
    if (tailInFrame) {
      __m256i* whole = reinterpret_cast<__m256i*>(at);
      _mm256_storeu_si256(whole, _mm256_adds_epu8(_mm256_loadu_si256(whole), s));
    } else {
      _mm256_maskstore_epi32(at, keep, _mm256_adds_epu8(_mm256_maskload_epi32(at, keep), s));
    }
  }
}

}  // namespace

[[gnu::target("avx2")]] void DrawIndexedRowsAdditiveAvx2(Frame& frame, const PreparedQuad& p, int yStart,
                                                         int yEnd) {
  if (!DrawFewGroupRows(frame, p, yStart, yEnd)) DrawManyGroupRows(frame, p, yStart, yEnd);
}

namespace {

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

}  // namespace

// DrawScaledRowsAvx2 for the quad's blend and modulation; false when its
// rows are too wide for the tables.
bool DrawScaledRows(Frame& frame, const PreparedQuad& p, int yStart, int yEnd) {
  const int count = p.xEnd - p.xStart;
  if (count > 8 * kMaxScaledGroups) return false;
  int l, h;
  if (!BilinearColumns(p.u, p.du, count, l, h)) return false;
  if (p.blend == Blend::kAdditive)
    p.m.identity ? DrawScaledRowsAvx2<Blend::kAdditive, false>(frame, p, yStart, yEnd, l, h)
                 : DrawScaledRowsAvx2<Blend::kAdditive, true>(frame, p, yStart, yEnd, l, h);
  else
    p.m.identity ? DrawScaledRowsAvx2<Blend::kAlpha, false>(frame, p, yStart, yEnd, l, h)
                 : DrawScaledRowsAvx2<Blend::kAlpha, true>(frame, p, yStart, yEnd, l, h);
  return true;
}

// The forms the spans of raster_spans.cpp call, for every blend with and
// without modulation.
#define RASTER_SPANS_AVX2_FORMS(kBlend, kModulate)                                                               \
  template int ShadeRunAvx2<kBlend, kModulate>(uint32_t*, int, const uint32_t*, const Modulation&);             \
  template int ColumnBilinearAvx2<kBlend, kModulate>(uint32_t*, int, const uint32_t*, int, int, int32_t, int32_t, \
                                                     const Modulation&);                                         \
  template int InteriorBilinearAvx2<kBlend, kModulate>(uint32_t*, int, const uint32_t*, int, int32_t, int32_t,   \
                                                       int32_t, int32_t, const Modulation&);
RASTER_SPANS_AVX2_FORMS(Blend::kAlpha, false)
RASTER_SPANS_AVX2_FORMS(Blend::kAlpha, true)
RASTER_SPANS_AVX2_FORMS(Blend::kAdditive, false)
RASTER_SPANS_AVX2_FORMS(Blend::kAdditive, true)
#undef RASTER_SPANS_AVX2_FORMS

}  // namespace spriteengine::raster

#endif
