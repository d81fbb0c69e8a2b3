// The four-pixel forms of the rasteriser's arithmetic give the same bytes as
// the one-pixel forms, so a frame does not depend on which drew a pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "core/pixel_ops.h"
#include "core/pixel_ops_avx2.h"

namespace spriteengine::pixel {
namespace {

// A premultiplied source pixel: no channel above its alpha.
uint32_t Premultiplied(std::mt19937& rng) {
  uint32_t a = rng() % 256;
  if (rng() % 4 == 0) a = 255;
  if (rng() % 8 == 0) a = 0;
  auto channel = [&] { return a == 0 ? 0u : static_cast<uint32_t>(rng() % (a + 1)); };
  return a << 24 | channel() << 16 | channel() << 8 | channel();
}

uint32_t FramePixel(std::mt19937& rng) { return rng() & 0x00FFFFFF; }

#if SPRITEENGINE_SSE2

struct Four {
  uint32_t p[4];
};

__m128i Load(const Four& f) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(f.p)); }
Four Store(__m128i v) {
  Four f;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(f.p), v);
  return f;
}

TEST(PixelOps, FourPixelBlendsMatchOnePixelBlends) {
  std::mt19937 rng(11);
  for (int n = 0; n < 20000; ++n) {
    Four d, s;
    for (int i = 0; i < 4; ++i) d.p[i] = FramePixel(rng), s.p[i] = Premultiplied(rng);
    Four alpha = Store(BlendAlpha4(Load(d), Load(s)));
    Four add = Store(BlendAdd4(Load(d), Load(s)));
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(alpha.p[i], BlendAlpha(d.p[i], s.p[i])) << std::hex << d.p[i] << " " << s.p[i];
      ASSERT_EQ(add.p[i], BlendAdd(d.p[i], s.p[i])) << std::hex << d.p[i] << " " << s.p[i];
    }
  }
}

TEST(PixelOps, FourPixelModulationMatchesOnePixel) {
  std::mt19937 rng(12);
  for (int n = 0; n < 20000; ++n) {
    Modulation m;
    m.a = rng() % 257;
    m.r = rng() % (m.a + 1), m.g = rng() % (m.a + 1), m.b = rng() % (m.a + 1);
    m.identity = false;
    Four s;
    for (int i = 0; i < 4; ++i) s.p[i] = Premultiplied(rng);
    Four out = Store(Modulate4(Load(s), ModulationLanes(m)));
    for (int i = 0; i < 4; ++i) ASSERT_EQ(out.p[i], Modulate(s.p[i], m)) << std::hex << s.p[i];
  }
}

TEST(PixelOps, FourPixelWeighingMatchesOnePixel) {
  std::mt19937 rng(13);
  for (int n = 0; n < 20000; ++n) {
    Four a, b;
    uint16_t w[4];
    for (int i = 0; i < 4; ++i) a.p[i] = rng(), b.p[i] = rng(), w[i] = static_cast<uint16_t>(rng() % 257);
    __m128i wLo = _mm_setr_epi16(w[0], w[0], w[0], w[0], w[1], w[1], w[1], w[1]);
    __m128i wHi = _mm_setr_epi16(w[2], w[2], w[2], w[2], w[3], w[3], w[3], w[3]);
    Four out = Store(Lerp4(Load(a), Load(b), wLo, wHi));
    for (int i = 0; i < 4; ++i) ASSERT_EQ(out.p[i], Lerp(a.p[i], b.p[i], w[i])) << std::hex << a.p[i] << " " << b.p[i];
  }
}

TEST(PixelOps, MasksFindOpaqueAndEmptyPixels) {
  Four s{{0xFF102030u, 0x80101010u, 0xFF000000u, 0u}};
  EXPECT_EQ(OpaqueMask4(Load(s)), 0b0101);
  EXPECT_FALSE(AllZero4(Load(s)));
  EXPECT_TRUE(AllZero4(_mm_setzero_si128()));
}

#endif

#if SPRITEENGINE_AVX2_PATHS

SPRITEENGINE_AVX2_INLINE __m256i Load8(const uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
SPRITEENGINE_AVX2_INLINE void Store8(uint32_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// The eight-pixel forms against the one-pixel forms; the first pixel that
// differs, as text, or "" when none does.
[[gnu::target("avx2")]] std::string EightPixelMismatch() {
  using namespace avx2;
  std::mt19937 rng(14);
  auto hex = [](uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", v);
    return std::string(text);
  };
  for (int n = 0; n < 20000; ++n) {
    uint32_t d[8], s[8], a[8], b[8], w[8], out[8];
    Modulation m;
    m.a = rng() % 257;
    m.r = rng() % (m.a + 1), m.g = rng() % (m.a + 1), m.b = rng() % (m.a + 1);
    m.identity = false;
    for (int i = 0; i < 8; ++i)
      d[i] = FramePixel(rng), s[i] = Premultiplied(rng), a[i] = rng(), b[i] = rng(), w[i] = rng() % 257;
    auto check = [&](const char* what, auto want) -> std::string {
      for (int i = 0; i < 8; ++i)
        if (out[i] != want(i)) return std::string(what) + " pixel " + std::to_string(i) + ": " + hex(out[i]);
      return "";
    };
    Store8(out, BlendAlpha8(Load8(d), Load8(s)));
    std::string bad = check("alpha", [&](int i) { return BlendAlpha(d[i], s[i]); });
    Store8(out, BlendAdd8(Load8(d), Load8(s)));
    if (bad.empty()) bad = check("add", [&](int i) { return BlendAdd(d[i], s[i]); });
    Store8(out, Modulate8(Load8(s), Lanes(m)));
    if (bad.empty()) bad = check("modulate", [&](int i) { return Modulate(s[i], m); });
    __m256i wLo, wHi;
    WeightLanes8(Load8(w), wLo, wHi);
    Store8(out, Lerp8(Load8(a), Load8(b), wLo, wHi));
    if (bad.empty()) bad = check("weigh", [&](int i) { return Lerp(a[i], b[i], w[i]); });
    if (!bad.empty()) return bad;
  }
  return "";
}

TEST(PixelOps, EightPixelFormsMatchOnePixelForms) {
  if (!avx2::Available()) GTEST_SKIP() << "no AVX2 on this processor";
  EXPECT_EQ(EightPixelMismatch(), "");
}

#endif

TEST(PixelOps, OpaqueSourceReplacesAndClearSourceKeepsTheFrame) {
  EXPECT_EQ(BlendAlpha(0x123456, 0xFF808080u), 0x808080u);
  EXPECT_EQ(BlendAlpha(0x123456, 0), 0x123456u);
  EXPECT_EQ(BlendAdd(0xF0F0F0, 0x00202020), 0xFFFFFFu);  // additive light stops at white
}

}  // namespace
}  // namespace spriteengine::pixel
