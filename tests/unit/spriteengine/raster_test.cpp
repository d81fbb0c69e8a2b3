// The rasteriser's fast paths draw what its general path draws: a scaled
// picture unrotated (weighed column by column) or mirrored, and pictures at
// their own size with clear and opaque texels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "core/image.h"
#include "core/pixel_ops_avx2.h"
#include "core/raster.h"

namespace spriteengine {
namespace {

Image NoisyPicture(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  Image img;
  img.width = w, img.height = h;
  for (int i = 0; i < w * h; ++i) img.pixels.push_back(0xFF000000u | (rng() & 0x00FFFFFF));
  MarkOpacity(img);
  return img;
}

int WorstChannelDifference(const Frame& a, const Frame& b) {
  int worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16})
      worst = std::max(worst, std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                       static_cast<int>((b.pixels[i] >> shift) & 0xFF)));
  return worst;
}

QuadDraw Scaled(const Image& img, float x, float y, float scale) {
  QuadDraw q;
  q.image = &img;
  q.originX = x, q.originY = y;
  q.uAxisX = scale, q.vAxisY = scale;
  q.u1 = static_cast<float>(img.width), q.v1 = static_cast<float>(img.height);
  q.filter = Filter::kBilinear;
  return q;
}

// The same quad with a turn too small to move any pixel centre across a
// texel, which sends it down the general (rotated) path.
QuadDraw NearlyUnrotated(QuadDraw q) {
  q.uAxisY = 1e-6f * q.uAxisX;
  q.vAxisX = -1e-6f * q.vAxisY;
  return q;
}

TEST(Raster, ScaledPictureDrawsAsTheGeneralPathDoes) {
  Image img = NoisyPicture(64, 48, 3);
  for (float scale : {1.6f, 0.7f, 3.3f}) {
    Frame fast(200, 200), general(200, 200);
    DrawQuad(fast, Scaled(img, 10.3f, 7.8f, scale));
    DrawQuad(general, NearlyUnrotated(Scaled(img, 10.3f, 7.8f, scale)));
    // Weighing rows first rounds differently: at most one step per weighing.
    EXPECT_LE(WorstChannelDifference(fast, general), 2) << "scale " << scale;
    EXPECT_NE(fast.At(20, 15), 0u);
  }
}

TEST(Raster, MirroredScaledPictureDrawsAsTheGeneralPathDoes) {
  Image img = NoisyPicture(40, 40, 4);
  QuadDraw q = Scaled(img, 150.2f, 20.6f, 2.2f);
  q.uAxisX = -2.2f;  // mirrored left to right: u runs from right to left
  Frame fast(200, 200), general(200, 200);
  DrawQuad(fast, q);
  DrawQuad(general, NearlyUnrotated(q));
  EXPECT_LE(WorstChannelDifference(fast, general), 2);
  EXPECT_NE(fast.At(100, 60), 0u);
}

TEST(Raster, PictureAtItsOwnSizeSkipsClearTexelsAndCopiesOpaqueOnes) {
  // Columns: 5 clear, 6 opaque red, 3 half-transparent white (premultiplied), 5 clear.
  Image img;
  img.width = 19, img.height = 3;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 19; ++x)
      img.pixels.push_back(x < 5 || x >= 14 ? 0u : x < 11 ? 0xFFFF0000u : 0x80808080u);
  MarkOpacity(img);
  Frame frame(40, 10);
  frame.Clear(0x000000FF);
  QuadDraw q;
  q.image = &img;
  q.originX = 3, q.originY = 2;
  q.u1 = 19, q.v1 = 3;
  q.filter = Filter::kNearest;
  DrawQuad(frame, q);
  for (int x = 0; x < 40; ++x) {
    int u = x - 3;
    uint32_t want = u < 5 || u >= 14 ? 0x0000FFu : u < 11 ? 0xFF0000u : 0x8080FFu;  // half the blue kept, plus the white
    EXPECT_EQ(frame.At(x, 3), want) << "column " << x;
  }
  EXPECT_EQ(frame.At(10, 1), 0x0000FFu);  // above the picture
}

// A picture at its own size drawn by its runs of clear, opaque and other
// texels gives what blending every texel gives (the picture without its
// runs), for rows cut anywhere by the frame's edges and by the runs.
TEST(Raster, PictureAtItsOwnSizeDrawsByItsRunsWhatBlendingEveryTexelDraws) {
  Image img;
  img.width = 150, img.height = 4;
  // Columns per row: runs long and short of clear, opaque and half-transparent texels.
  const struct {
    int width;
    uint32_t texel;
  } columns[] = {{20, 0}, {40, 0xFF30A050u}, {7, 0x80404040u}, {3, 0}, {30, 0xFFC02010u}, {5, 0xFF102030u},
                 {20, 0}, {9, 0x40202020u}, {16, 0xFF0000FFu}};
  for (int y = 0; y < img.height; ++y)
    for (const auto& c : columns)
      for (int i = 0; i < c.width; ++i) img.pixels.push_back(c.texel + static_cast<uint32_t>(y));
  MarkOpacity(img);
  ASSERT_FALSE(img.rowRuns.empty());
  Image blended = img;
  blended.rowRuns.clear();
  for (float x : {0.0f, 13.0f, -25.0f, -61.0f, 70.0f, 0.4f}) {
    Frame byRuns(160, 8), everyTexel(160, 8);
    for (size_t i = 0; i < byRuns.pixels.size(); ++i) byRuns.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    everyTexel.pixels = byRuns.pixels;
    QuadDraw q;
    q.originX = x, q.originY = 2;
    q.u1 = 150, q.v1 = 4;
    q.filter = Filter::kNearest;
    q.image = &img;
    DrawQuad(byRuns, q);
    q.image = &blended;
    DrawQuad(everyTexel, q);
    for (size_t i = 0; i < byRuns.pixels.size(); ++i)
      ASSERT_EQ(byRuns.pixels[i], everyTexel.pixels[i]) << "pixel " << i << " with the picture at " << x;
  }
}

#if SPRITEENGINE_AVX2_PATHS
// Every span the eight-pixel forms draw, drawn again with them turned off:
// the frames must be the same to the byte.
TEST(Raster, EightPixelSpansDrawWhatFourPixelSpansDraw) {
  if (!pixel::avx2::Available()) GTEST_SKIP() << "no AVX2 on this processor";
  Image noisy = NoisyPicture(64, 48, 6);
  Image soft = NoisyPicture(16, 16, 7);  // a particle: clear corners, translucent edges
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint32_t a = static_cast<uint32_t>(std::max(0, 255 - 30 * std::abs(x - 8) - 30 * std::abs(y - 8)));
      uint32_t& p = soft.pixels[static_cast<size_t>(y) * 16 + x];
      p = a << 24 | ((p >> 16 & 0xFF) * a / 255) << 16 | ((p >> 8 & 0xFF) * a / 255) << 8 | (p & 0xFF) * a / 255;
    }
  MarkOpacity(soft);
  Image tiny = NoisyPicture(8, 8, 8);  // a particle's smaller picture: a row's eight texels in one load
  std::vector<QuadDraw> quads;
  // Particles: additive, modulated, nearest, narrower and wider than their
  // texels (one, two, three eights of pixels a row, and more), across the
  // right, top and bottom edges of the frame (their rows are found eight at
  // a time from wherever they start).
  for (const Image* picture : {&soft, &tiny})
    for (float scale : {0.4f, 0.9f, 1.3f, 2.7f, 6.5f})
      for (float x : {3.2f, 180.6f, 190.5f})
        for (float y : {11.3f * scale, -7.6f, 193.45f}) {
          QuadDraw q = Scaled(*picture, x, y, scale);
          q.filter = Filter::kNearest;
          q.blend = Blend::kAdditive;
          SetModulation(q, 0.9f, 0.5f, 0.2f, 0.7f);
          quads.push_back(q);
        }
  // Pictures at their own size, scaled, turned; plain and modulated.
  for (bool modulated : {false, true}) {
    QuadDraw own = Scaled(noisy, 20, 30, 1);
    QuadDraw scaled = Scaled(noisy, 5.5f, 60.2f, 1.7f);
    QuadDraw turned = Scaled(noisy, 90.3f, 20.7f, 1.4f);
    turned.uAxisY = 0.5f, turned.vAxisX = -0.5f;
    // Shrunk: more texel columns than pixels, weighed eight at a time.
    QuadDraw shrunk = Scaled(noisy, 120.4f, 130.3f, 0.78f);
    QuadDraw shrunkTurned = Scaled(noisy, 140.2f, 60.6f, 0.7f);
    shrunkTurned.uAxisY = 0.3f, shrunkTurned.vAxisX = -0.3f;
    // Columns far apart (gathered), mirrored, across the frame's right
    // edge, narrower than eight pixels, added.
    QuadDraw sparse = Scaled(noisy, 10.5f, 150.2f, 0.3f);
    QuadDraw mirrored = Scaled(noisy, 190.7f, 100.1f, 1.3f);
    mirrored.uAxisX = -1.3f;
    QuadDraw edge = Scaled(noisy, 170.3f, 140.2f, 1.1f);
    QuadDraw narrow = Scaled(noisy, 60.6f, 5.2f, 0.1f);
    QuadDraw added = Scaled(noisy, 30.2f, 170.9f, 0.9f);
    added.blend = Blend::kAdditive;
    for (QuadDraw* q : {&own, &scaled, &turned, &shrunk, &shrunkTurned, &sparse, &mirrored, &edge, &narrow, &added}) {
      if (modulated) SetModulation(*q, 0.8f, 1, 0.6f, 0.75f);
      quads.push_back(*q);
    }
  }
  auto draw = [&](bool eight) {
    pixel::avx2::Allow(eight);
    Frame frame(200, 200);
    frame.Clear(0x203040);
    for (const QuadDraw& q : quads) {  // in two bands, as the drawing threads do
      DrawQuad(frame, q, 0, 97);
      DrawQuad(frame, q, 97, 200);
    }
    pixel::avx2::Allow(true);
    return frame;
  };
  Frame eight = draw(true), four = draw(false);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(eight.At(x, y), four.At(x, y)) << "at " << x << "," << y;
}
#endif

// Which columns of a row a quad covers is decided once for unrotated quads
// (when the quad is prepared) and row by row for turned ones. A square
// picture drawn transposed (u down, v across) goes the turned way through
// the same float sums, so both must reach the same pixels, with the
// eight-pixel spans or without: at half-pixel and negative positions and for
// quads narrower than a pixel.
TEST(Raster, ColumnsOfARowAreFoundAlikeForUnrotatedAndTurnedQuads) {
  Image img;
  img.width = 4, img.height = 4;
  img.pixels.assign(16, 0xFFFFFFFFu);
  MarkOpacity(img);
  struct Case {
    float x, y, scale;
  } cases[] = {
      {10.5f, 3.5f, 1},      {10.25f, 2.75f, 1.5f}, {-3.5f, -2.5f, 2},     {-0.5f, 4.0f, 1.25f},
      {-4.0f, -4.0f, 1},     {45.5f, 6.5f, 1},      {46.0f, 7.0f, 2},      {20.4f, 5.4f, 0.075f},
      {20.6f, 5.6f, 0.075f}, {30.5f, 8.5f, 0.25f},  {31.5f, 9.0f, 0.125f}, {-0.45f, 0.55f, 0.25f},
  };
  int covered = 0;
  for (bool eight : {true, false}) {
    for (const Case& c : cases) {
      QuadDraw q = Scaled(img, c.x, c.y, c.scale);
      q.filter = Filter::kNearest;
      QuadDraw transposed = q;
      transposed.uAxisX = 0, transposed.uAxisY = c.scale;
      transposed.vAxisX = c.scale, transposed.vAxisY = 0;
      Frame unrotated(48, 24), turned(48, 24);
#if SPRITEENGINE_AVX2_PATHS
      pixel::avx2::Allow(eight);
#endif
      DrawQuad(unrotated, q);
      DrawQuad(turned, transposed);
#if SPRITEENGINE_AVX2_PATHS
      pixel::avx2::Allow(true);
#endif
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 48; ++x) {
          ASSERT_EQ(unrotated.At(x, y), turned.At(x, y))
              << "at " << x << "," << y << " for a quad at " << c.x << "," << c.y << " scaled " << c.scale;
          covered += unrotated.At(x, y) != 0;
        }
    }
  }
  EXPECT_GT(covered, 100);  // the cases do draw
  // A row whose span starts billions of pixels to the right (a long,
  // slightly slanted strip whose near end lies above the frame) draws
  // nothing there, not the whole row.
  QuadDraw strip = Scaled(img, 0, -5000, 1);
  strip.uAxisY = 2e-6f;
  strip.u1 = 3e9f;
  strip.v1 = 10;
  Frame frame(48, 24);
  DrawQuad(frame, strip);
  for (uint32_t p : frame.pixels) ASSERT_EQ(p, 0u);
}

// A scaled picture whose texel coordinates come near the least a 16.16
// number holds (far left of the picture): the columns a row reads must be
// found by the same sums the row then runs, with the eight-pixel forms or
// without, so nothing is read outside them.
TEST(Raster, ScaledRowsNearTheEndOfTheTexelRangeReadTheirOwnColumns) {
  Image img;
  img.width = 2, img.height = 2;
  img.pixels = {0xFFFF0000u, 0xFF0000FFu, 0xFFFF0000u, 0xFF0000FFu};
  MarkOpacity(img);
  QuadDraw q = Scaled(img, 65546.1f, 0, 2);
  q.u0 = -32767.9f, q.u1 = -32740;  // u at column 10 is about -32767.8 texels
  Frame frames[2] = {Frame(64, 8), Frame(64, 8)};
  for (bool eight : {true, false}) {
#if SPRITEENGINE_AVX2_PATHS
    pixel::avx2::Allow(eight);
#endif
    DrawQuad(frames[eight], q);
#if SPRITEENGINE_AVX2_PATHS
    pixel::avx2::Allow(true);
#endif
  }
  for (int x = 0; x < 64; ++x) {
    ASSERT_EQ(frames[0].At(x, 1), frames[1].At(x, 1)) << "column " << x;
    EXPECT_EQ(frames[1].At(x, 1) != 0, x >= 10) << "column " << x;
  }
}

// An additive quad drawn k times over as one (coinciding particles) adds
// what drawing it k times adds, on every path that draws such quads: the
// indexed rows (eight pixels, four, one), a picture at its own size, a
// quad wider than the indexed rows take, modulated or not, over a frame
// bright enough for the sums to stop at 255.
TEST(Raster, ARepeatedAdditiveQuadAddsWhatDrawingItThatOftenAdds) {
  Image img = NoisyPicture(16, 16, 6);
  for (uint32_t& p : img.pixels) p &= 0x3FFFFFFF;  // soft texels
  MarkOpacity(img);
  const struct {
    float scale, r, g, b, a;
  } looks[] = {{0.7f, 1, 0.5f, 0, 0.1f}, {0.7f, 1, 1, 1, 1}, {1, 0.5f, 0.5f, 0.2f, 0.3f}, {1.3f, 1, 0.5f, 0, 0.2f},
               {9.5f, 1, 0.5f, 0, 0.05f}};
  for (int k : {2, 10, kMostRepeats}) {
    for (const auto& look : looks) {
      for (bool eight : {true, false}) {
        QuadDraw d = Scaled(img, 3.3f, 2.6f, look.scale);
        d.blend = Blend::kAdditive, d.filter = Filter::kNearest;
        SetModulation(d, look.r, look.g, look.b, look.a);
        PreparedQuad p;
        ASSERT_TRUE(PrepareQuad(d, 180, 180, p));
        Frame once(180, 180), repeated(180, 180);
        for (size_t i = 0; i < once.pixels.size(); ++i) once.pixels[i] = static_cast<uint32_t>(i * 0x010203) & 0x7F7F7F;
        repeated.pixels = once.pixels;
#if SPRITEENGINE_AVX2_PATHS
        pixel::avx2::Allow(eight);
#endif
        for (int i = 0; i < k; ++i) DrawPrepared(once, p, 0, 180);
        p.repeat = k;
        DrawPrepared(repeated, p, 0, 180);
#if SPRITEENGINE_AVX2_PATHS
        pixel::avx2::Allow(true);
#endif
        for (size_t i = 0; i < once.pixels.size(); ++i)
          ASSERT_EQ(once.pixels[i], repeated.pixels[i]) << "pixel " << i << ", " << k << " times, scale " << look.scale;
      }
    }
  }
}

TEST(Raster, QuadsFarOutsideTheFrameOrNotANumberDrawNothing) {
  Image img = NoisyPicture(8, 8, 5);
  Frame frame(50, 50);
  frame.Clear(0x123456);
  const float nan = std::nanf("");
  for (float at : {1e30f, -1e30f, 3e9f, nan}) {
    for (bool turned : {false, true}) {
      QuadDraw q = Scaled(img, at, 10, 2);
      if (turned) q = NearlyUnrotated(q);
      DrawQuad(frame, q);
      q = Scaled(img, 10, at, 2);
      if (turned) q = NearlyUnrotated(q);
      DrawQuad(frame, q);
    }
  }
  DrawQuad(frame, Scaled(img, 10, 10, nan));
  for (uint32_t p : frame.pixels) ASSERT_EQ(p, 0x123456u);
  // A huge quad that covers the frame still draws it.
  DrawQuad(frame, Scaled(img, -1e6f, -1e6f, 1e6f));
  EXPECT_NE(frame.At(25, 25), 0x123456u);
}

}  // namespace
}  // namespace spriteengine
