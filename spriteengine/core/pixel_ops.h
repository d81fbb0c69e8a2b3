// Per-pixel arithmetic of the rasteriser, one pixel at a time and four at a
// time (SSE2, part of every x86-64). Both give the same bytes: every
// channel is an integer product shifted right by 8, as the one-pixel forms
// compute it, so a frame does not depend on which form drew it.
// Pixels are 0xAARRGGBB; sources are premultiplied by their alpha; frame
// pixels keep alpha 0.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#define SPRITEENGINE_SSE2 1
#endif

namespace spriteengine::pixel {

// Colour modulation, 0..256 per channel (256 leaves the channel as it is).
struct Modulation {
  uint32_t r = 256, g = 256, b = 256, a = 256;
  bool identity = true;
};

inline uint32_t Modulate(uint32_t s, const Modulation& m) {
  uint32_t a = ((s >> 24) * m.a) >> 8, r = (((s >> 16) & 0xFF) * m.r) >> 8;
  uint32_t g = (((s >> 8) & 0xFF) * m.g) >> 8, b = ((s & 0xFF) * m.b) >> 8;
  return a << 24 | r << 16 | g << 8 | b;
}

// d x (256 - alpha) / 256 + s per channel.
inline uint32_t BlendAlpha(uint32_t d, uint32_t s) {
  uint32_t sa = s >> 24;
  if (sa == 255) return s & 0x00FFFFFF;
  uint32_t inv = 256 - sa;
  uint32_t rb = (((d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF;
  uint32_t g = (((d & 0x0000FF00) * inv) >> 8) & 0x0000FF00;
  return (rb + g + (s & 0x00FFFFFF)) & 0x00FFFFFF;
}

// d + s per channel, stopping at 255.
inline uint32_t BlendAdd(uint32_t d, uint32_t s) {
  uint32_t r = std::min<uint32_t>(255, ((d >> 16) & 0xFF) + ((s >> 16) & 0xFF));
  uint32_t g = std::min<uint32_t>(255, ((d >> 8) & 0xFF) + ((s >> 8) & 0xFF));
  uint32_t b = std::min<uint32_t>(255, (d & 0xFF) + (s & 0xFF));
  return r << 16 | g << 8 | b;
}

// Each channel times k (1..128), stopping at 255.
inline uint32_t Times(uint32_t s, uint32_t k) {
  auto channel = [&](int shift) { return std::min<uint32_t>(255, ((s >> shift) & 0xFF) * k) << shift; };
  return channel(24) | channel(16) | channel(8) | channel(0);
}

// Two 8-bit channels at bits 0..7 and 16..23 at once; f in 0..256.
inline uint32_t Lerp2(uint32_t a, uint32_t b, uint32_t f) { return (((a * (256 - f)) + (b * f)) >> 8) & 0x00FF00FF; }

// a x (256 - f) / 256 + b x f / 256 for all four channels.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  return Lerp2(a & 0x00FF00FF, b & 0x00FF00FF, f) | (Lerp2((a >> 8) & 0x00FF00FF, (b >> 8) & 0x00FF00FF, f) << 8);
}

#if SPRITEENGINE_SSE2

// Four pixels, the first in the lowest lanes.
inline __m128i Four(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return _mm_setr_epi32(static_cast<int>(a), static_cast<int>(b), static_cast<int>(c), static_cast<int>(d));
}

// Weights of two pixels (0..256 each) as the 16-bit lanes of their channels,
// for Lerp4's wLo (pixels 0, 1) or wHi (pixels 2, 3).
inline __m128i WeightLanes(uint32_t first, uint32_t second) {
  short a = static_cast<short>(first), b = static_cast<short>(second);
  return _mm_setr_epi16(a, a, a, a, b, b, b, b);
}

// Modulation as 16-bit lanes in the byte order of two pixels (b, g, r, a).
inline __m128i ModulationLanes(const Modulation& m) {
  return _mm_setr_epi16(static_cast<short>(m.b), static_cast<short>(m.g), static_cast<short>(m.r),
                        static_cast<short>(m.a), static_cast<short>(m.b), static_cast<short>(m.g),
                        static_cast<short>(m.r), static_cast<short>(m.a));
}

// Each channel c becomes c x m >> 8, taken as the high half of (c << 8) x m
// (the unpack puts c in the high byte), which saves the shifts.
inline __m128i Modulate4(__m128i s, __m128i lanes) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, s), lanes);
  __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, s), lanes);
  return _mm_packus_epi16(lo, hi);
}

// a x (256 - w) / 256 + b x w / 256 per channel; w as 16-bit lanes for
// pixels 0, 1 (wLo) and 2, 3 (wHi), each 0..256.
inline __m128i Lerp4(__m128i a, __m128i b, __m128i wLo, __m128i wHi) {
  const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(256);
  __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_sub_epi16(full, wLo)),
                             _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wLo));
  __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_sub_epi16(full, wHi)),
                             _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wHi));
  return _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
}

// Each pixel's alpha in all four of its 16-bit lanes, as 256 - alpha.
inline __m128i InverseAlphaLanes(__m128i s16) {
  __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
  return _mm_sub_epi16(_mm_set1_epi16(256), a);
}

inline __m128i BlendAlpha4(__m128i d, __m128i s) {
  const __m128i zero = _mm_setzero_si128();
  __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
  __m128i dlo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), InverseAlphaLanes(slo)), 8);
  __m128i dhi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), InverseAlphaLanes(shi)), 8);
  __m128i out = _mm_packus_epi16(_mm_add_epi16(dlo, slo), _mm_add_epi16(dhi, shi));
  return _mm_and_si128(out, _mm_set1_epi32(0x00FFFFFF));
}

// Times for four pixels; k as 16-bit lanes (1..128, so no lane passes 32767).
inline __m128i Times4(__m128i s, __m128i k) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_packus_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), k),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), k));
}

inline __m128i BlendAdd4(__m128i d, __m128i s) {
  return _mm_and_si128(_mm_adds_epu8(d, s), _mm_set1_epi32(0x00FFFFFF));
}

// Lanes of the four pixels whose alpha is 255, and whose value is 0.
inline int OpaqueMask4(__m128i s) {
  __m128i a = _mm_srli_epi32(s, 24);
  return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a, _mm_set1_epi32(255))));
}
inline bool AllZero4(__m128i s) { return _mm_movemask_epi8(_mm_cmpeq_epi32(s, _mm_setzero_si128())) == 0xFFFF; }

#endif

// Sets `count` pixels to `value`.
inline void Fill(uint32_t* __restrict dst, size_t count, uint32_t value) {
  size_t i = 0;
#if SPRITEENGINE_SSE2
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  for (; i + 8 <= count; i += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4), v);
  }
#endif
  for (; i < count; ++i) dst[i] = value;
}

// Copies `count` opaque texels into the frame (its pixels keep alpha 0).
inline void CopyOpaque(uint32_t* __restrict dst, const uint32_t* __restrict src, size_t count) {
  size_t i = 0;
#if SPRITEENGINE_SSE2
  const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 8 <= count; i += 8) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_and_si128(a, rgb));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4), _mm_and_si128(b, rgb));
  }
#endif
  for (; i < count; ++i) dst[i] = src[i] & 0x00FFFFFF;
}

}  // namespace spriteengine::pixel
