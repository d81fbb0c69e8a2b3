// The rasteriser's per-pixel arithmetic eight pixels at a time, for
// processors with AVX2 (chosen while running: Available()). Each function
// carries its own target, so nothing here runs on a processor without AVX2
// unless Available() said yes. The bytes are those of pixel_ops.h: every
// channel is the same integer product shifted right by 8.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "pixel_ops.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SPRITEENGINE_AVX2_PATHS 1

#define SPRITEENGINE_AVX2_INLINE [[gnu::target("avx2"), gnu::always_inline]] inline

namespace spriteengine::pixel::avx2 {

inline std::atomic<bool>& Allowed() {
  static std::atomic<bool> allowed{true};
  return allowed;
}
// Tests turn the eight-pixel forms off to compare them with the four-pixel ones.
inline void Allow(bool allowed) { Allowed().store(allowed, std::memory_order_relaxed); }
inline bool Available() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && Allowed().load(std::memory_order_relaxed);
}

// Modulation lanes for eight pixels.
SPRITEENGINE_AVX2_INLINE __m256i Lanes(const Modulation& m) {
  return _mm256_broadcastsi128_si256(ModulationLanes(m));
}

SPRITEENGINE_AVX2_INLINE __m256i Modulate8(__m256i s, __m256i lanes) {
  const __m256i zero = _mm256_setzero_si256();  // as Modulate4: c x m >> 8 as a high half
  __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, s), lanes);
  __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, s), lanes);
  return _mm256_packus_epi16(lo, hi);
}

// Times4 for eight pixels.
SPRITEENGINE_AVX2_INLINE __m256i Times8(__m256i s, __m256i k) {
  const __m256i zero = _mm256_setzero_si256();
  return _mm256_packus_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), k),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), k));
}

SPRITEENGINE_AVX2_INLINE __m256i InverseAlphaLanes8(__m256i s16) {
  __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
  return _mm256_sub_epi16(_mm256_set1_epi16(256), a);
}

SPRITEENGINE_AVX2_INLINE __m256i BlendAlpha8(__m256i d, __m256i s) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i slo = _mm256_unpacklo_epi8(s, zero), shi = _mm256_unpackhi_epi8(s, zero);
  __m256i dlo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), InverseAlphaLanes8(slo)), 8);
  __m256i dhi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), InverseAlphaLanes8(shi)), 8);
  __m256i out = _mm256_packus_epi16(_mm256_add_epi16(dlo, slo), _mm256_add_epi16(dhi, shi));
  return _mm256_and_si256(out, _mm256_set1_epi32(0x00FFFFFF));
}

SPRITEENGINE_AVX2_INLINE __m256i BlendAdd8(__m256i d, __m256i s) {
  return _mm256_and_si256(_mm256_adds_epu8(d, s), _mm256_set1_epi32(0x00FFFFFF));
}

// Weights of eight pixels (0..256, one per 32-bit lane) as the 16-bit
// channel lanes Lerp8 takes: wLo for pixels 0, 1, 4, 5 and wHi for 2, 3, 6, 7.
SPRITEENGINE_AVX2_INLINE void WeightLanes8(__m256i w, __m256i& wLo, __m256i& wHi) {
  __m256i lo = _mm256_unpacklo_epi32(w, w), hi = _mm256_unpackhi_epi32(w, w);
  wLo = _mm256_or_si256(lo, _mm256_slli_epi32(lo, 16));
  wHi = _mm256_or_si256(hi, _mm256_slli_epi32(hi, 16));
}

// a x (256 - w) / 256 + b x w / 256 per channel.
SPRITEENGINE_AVX2_INLINE __m256i Lerp8(__m256i a, __m256i b, __m256i wLo, __m256i wHi) {
  const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(256);
  __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_sub_epi16(full, wLo)),
                                _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), wLo));
  __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_sub_epi16(full, wHi)),
                                _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), wHi));
  return _mm256_packus_epi16(_mm256_srli_epi16(lo, 8), _mm256_srli_epi16(hi, 8));
}

SPRITEENGINE_AVX2_INLINE bool AllZero8(__m256i s) { return _mm256_testz_si256(s, s); }
SPRITEENGINE_AVX2_INLINE bool AllEqual8(__m256i a, __m256i b) {
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, b)) == -1;
}
SPRITEENGINE_AVX2_INLINE bool AllOpaque8(__m256i s) {
  __m256i a = _mm256_srli_epi32(s, 24);
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_set1_epi32(255))) == -1;
}


// How eight pixels read texels low..high-1 of a row of `length`: with one
// load of eight consecutive texels, two of sixteen, or a gather, and where
// the loads start (kept inside the row: near its end they start earlier).
enum Read : uint8_t { kOneLoad, kTwoLoads, kGather };
inline void LoadsFor(int low, int high, int length, Read& read, int& first) {
  for (int width : {8, 16}) {
    int start = std::min(low, length - width);
    if (start >= 0 && high - start <= width) {
      read = width == 8 ? kOneLoad : kTwoLoads;
      first = start;
      return;
    }
  }
  read = kGather;
  first = 0;
}

// Where eight pixels of a scaled row find their left (a) and right (b)
// texel columns and how they weigh them: worked out once for rows that all
// read the same columns (a scaled picture's, a stretched frame's).
// (Plain lanes rather than vectors: the tables are also made and kept by
// code built without AVX2, where a vector member would lose its alignment.)
struct ColumnPairs8 {
  alignas(32) int32_t pickA[8];  // lanes to pick from the loads (or columns to gather)
  alignas(32) int32_t pickB[8];
  alignas(32) int32_t farA[8];  // which of two loads each lane comes from
  alignas(32) int32_t farB[8];
  alignas(32) int16_t wLo[16];  // Lerp8's weights
  alignas(32) int16_t wHi[16];
  int first;
  Read read;
};

SPRITEENGINE_AVX2_INLINE __m256i Lanes8(const void* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}
SPRITEENGINE_AVX2_INLINE void Store8(void* at, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v); }

// x[j]: the left column of pixel j among `columnCount` (its right one is
// x[j] + 1, also inside), f[j]: the right one's weight, 0..255.
[[gnu::target("avx2")]] inline void PrepareColumnPairs8(const int32_t* x, const int32_t* f, int columnCount,
                                                        ColumnPairs8& p) {
  int low = *std::min_element(x, x + 8), high = *std::max_element(x, x + 8) + 2;  // and the right neighbours
  LoadsFor(low, high, columnCount, p.read, p.first);
  const __m256i seven = _mm256_set1_epi32(7);
  __m256i pickA = _mm256_sub_epi32(Lanes8(x), _mm256_set1_epi32(p.first));  // first is 0 for a gather
  __m256i pickB = _mm256_add_epi32(pickA, _mm256_set1_epi32(1));
  Store8(p.pickA, pickA);
  Store8(p.pickB, pickB);
  Store8(p.farA, _mm256_cmpgt_epi32(pickA, seven));
  Store8(p.farB, _mm256_cmpgt_epi32(pickB, seven));
  __m256i wLo, wHi;
  WeightLanes8(Lanes8(f), wLo, wHi);
  Store8(p.wLo, wLo);
  Store8(p.wHi, wHi);
}

// The eight pixels of `p` weighed from `columns`.
SPRITEENGINE_AVX2_INLINE __m256i WeighColumnPairs8(const int* columns, const ColumnPairs8& p) {
  __m256i a, b;
  const __m256i pickA = Lanes8(p.pickA), pickB = Lanes8(p.pickB);
  const __m256i* from = reinterpret_cast<const __m256i*>(columns + p.first);
  if (p.read == kOneLoad) {
    __m256i near = _mm256_loadu_si256(from);
    a = _mm256_permutevar8x32_epi32(near, pickA);
    b = _mm256_permutevar8x32_epi32(near, pickB);
  } else if (p.read == kTwoLoads) {
    __m256i near = _mm256_loadu_si256(from), far = _mm256_loadu_si256(from + 1);
    a = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(near, pickA), _mm256_permutevar8x32_epi32(far, pickA),
                           Lanes8(p.farA));
    b = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(near, pickB), _mm256_permutevar8x32_epi32(far, pickB),
                           Lanes8(p.farB));
  } else {
    a = _mm256_i32gather_epi32(columns, pickA, 4);
    b = _mm256_i32gather_epi32(columns, pickB, 4);
  }
  return AllEqual8(a, b) ? a : Lerp8(a, b, Lanes8(p.wLo), Lanes8(p.wHi));  // equal: a flat colour
}

}  // namespace spriteengine::pixel::avx2

#endif
