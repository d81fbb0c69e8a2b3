// The additive particle layer: adding it back gives every frame pixel the
// 3:1-weighted half-resolution pixels around it, whichever form (one pixel,
// four or eight at a time) computes it, wherever particles fell, and leaves
// the layer clear.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/additive_layer.h"
#include "core/pixel_ops_avx2.h"

namespace spriteengine {
namespace {

// The enlargement written out for one frame pixel, clamped at the layer's
// edges: a band of rows comes out as the whole frame does.
uint32_t Expected(const Frame& half, uint32_t base, int x, int y) {
  auto at = [&](int hx, int hy) {
    return half.At(std::clamp(hx, 0, half.width - 1), std::clamp(hy, 0, half.height - 1));
  };
  int hx = (x - 1) >> 1, hy = (y - 1) >> 1;
  uint32_t wx = (x & 1) ? 64 : 192, wy = (y & 1) ? 64 : 192;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    auto c = [&](uint32_t p) { return (p >> shift) & 0xFF; };
    uint32_t top = (c(at(hx, hy)) * (256 - wx) + c(at(hx + 1, hy)) * wx) >> 8;
    uint32_t bottom = (c(at(hx, hy + 1)) * (256 - wx) + c(at(hx + 1, hy + 1)) * wx) >> 8;
    uint32_t add = (top * (256 - wy) + bottom * wy) >> 8;
    out |= std::min<uint32_t>(255, c(base) + add) << shift;
  }
  return out;
}

TEST(AdditiveLayer, AddingBackMatchesTheWeighedSumAndClearsTheLayer) {
  std::mt19937 rng(5);
  for (bool eight : {true, false}) {  // with the eight-pixel form and without
    for (auto [rowBegin, rowEnd] : {std::pair{0, 300}, std::pair{300, 600}, std::pair{0, 600}}) {
#if SPRITEENGINE_AVX2_PATHS
      pixel::avx2::Allow(eight);
#endif
      AdditiveLayer layer;
      layer.Begin(rowBegin, rowEnd);
      Frame& half = layer.Pixels();
      // Patches of random light, one touching the left and right edges, and
      // more side by side on the same rows than a block keeps runs (some
      // joined, some overlapping: each frame pixel must be added to once).
      struct Patch {
        int x0, x1, y0, y1;
      };
      const int r = layer.RowBegin();
      const Patch patches[] = {
          {0, 9, r, r + 5},           {37, 61, r + 20, r + 33},   {65, 70, r + 21, r + 30},
          {120, 130, r + 18, r + 26}, {200, 204, r + 25, r + 40}, {260, 300, r + 20, r + 22},
          {290, 310, r + 22, r + 29}, {380, 400, r + 27, r + 31}, {390, 400, layer.RowEnd() - 6, layer.RowEnd()}};
      for (const Patch& p : patches) {
        for (int y = p.y0; y < p.y1; ++y)
          for (int x = p.x0; x < p.x1; ++x) half.pixels[static_cast<size_t>(y) * half.width + x] = rng() & 0x00FFFFFF;
        layer.Touch(p.y0, p.y1 - 1, static_cast<float>(p.x0), static_cast<float>(p.x1 - 1));
      }
      Frame snapshot = half;
      Frame frame(800, 600);
      for (uint32_t& p : frame.pixels) p = rng() & 0x00FFFFFF;
      Frame before = frame;
      layer.AddTo(frame, rowBegin, rowEnd);
#if SPRITEENGINE_AVX2_PATHS
      pixel::avx2::Allow(true);
#endif
      for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
          uint32_t want = y >= rowBegin && y < rowEnd
                              ? Expected(snapshot, before.At(x, y), x, y)
                              : before.At(x, y);
          ASSERT_EQ(frame.At(x, y), want)
              << "at " << x << "," << y << " band " << rowBegin << (eight ? ", eights" : "");
        }
      for (uint32_t p : half.pixels) ASSERT_EQ(p, 0u);
    }
  }
}

}  // namespace
}  // namespace spriteengine
