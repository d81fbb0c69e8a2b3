// Golden images of the headless backend, through SYSTEm.DLL as the game
// loads it: one run of the golden scene, a screenshot by the input script,
// then checks against analytically expected pixels.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine_host.h"
#include "test_assets.h"

namespace spriteengine::testing {
namespace {

constexpr int kShotFrame = 5;
constexpr int kFireShotFrame = 80;                  // the fire has burnt for 80 frames
constexpr float kFireX = -8, kFireY = -8;          // sprite units

struct Rgb {
  int r, g, b;
};

class GoldenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new std::string(MakeTempFolder("golden"));
    WriteGoldenAssets(*folder_);
    WriteFile(*folder_ + "/script.txt", "5 shot golden.png\n80 shot fire.png\n");
    ASSERT_EQ(::chdir(folder_->c_str()), 0);
    ::setenv("VARNOK_ENGINE", "headless", 1);
    ::setenv("VARNOK_ENGINE_SCRIPT", (*folder_ + "/script.txt").c_str(), 1);
    ::setenv("VARNOK_ENGINE_LOG", (*folder_ + "/engine.log").c_str(), 1);
    // Both drawing threads, each its band, as a heavy frame is drawn (the
    // fire goldens see the light frame, on one).
    ::setenv("VARNOK_ENGINE_DRAW_THREADS", "2", 1);
    EngineApi api;
    std::string error;
    ASSERT_TRUE(LoadEngine(SPRITEENGINE_DLL, api, &error)) << error;
    EHandle emitter = 0;
    Fire fire;
    int runs = 0;
    HostCallbacks cb;
    cb.init = [&] { emitter = BuildGoldenScene(api); };
    cb.run = [&] {
      ++runs;
      if (runs == 1) api.iParticleEmitterEmit(emitter, 40, 1);
      if (runs == kShotFrame + 1) fire = MakeFire(api, kFireX, kFireY, 1.0f);  // after the golden shot
      if (fire.emitter) api.iParticleEmitterEmit(fire.emitter, 10, 1);
      if (runs == kFireShotFrame + 1) api.iExit();
    };
    ASSERT_TRUE(RunHost(api, cb));
    SDL_Surface* loaded = IMG_Load((*folder_ + "/golden.png").c_str());
    ASSERT_NE(loaded, nullptr) << IMG_GetError();
    shot_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    SDL_Surface* fireLoaded = IMG_Load((*folder_ + "/fire.png").c_str());
    ASSERT_NE(fireLoaded, nullptr) << IMG_GetError();
    fireShot_ = SDL_ConvertSurfaceFormat(fireLoaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(fireLoaded);
  }
  static void TearDownTestSuite() {
    if (shot_) SDL_FreeSurface(shot_);
    if (fireShot_) SDL_FreeSurface(fireShot_);
    shot_ = fireShot_ = nullptr;
  }

  void SetUp() override { ASSERT_NE(shot_, nullptr); }

  static Rgb At(int x, int y, SDL_Surface* from = nullptr) {
    if (!from) from = shot_;
    uint32_t p = static_cast<const uint32_t*>(from->pixels)[y * from->pitch / 4 + x];
    return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
  }
  static int PixelX(float units) { return static_cast<int>(std::lround((units + 16) * 25)); }
  static int PixelY(float units) { return static_cast<int>(std::lround((12 - units) * 25)); }

  static void ExpectColour(int x, int y, Rgb want, int tolerance = 4) {
    Rgb got = At(x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << "," << y;
  }

  // First x from `from` stepping by `step` where the pixel is not black.
  static int FirstLit(int from, int y, int step) {
    for (int x = std::clamp(from, 0, shot_->w - 1); x >= 0 && x < shot_->w; x += step) {
      Rgb p = At(x, y);
      if (p.r + p.g + p.b > 30) return x;
    }
    return -1;
  }

  static std::string* folder_;
  static SDL_Surface* shot_;
  static SDL_Surface* fireShot_;
};

std::string* GoldenTest::folder_ = nullptr;
SDL_Surface* GoldenTest::shot_ = nullptr;
SDL_Surface* GoldenTest::fireShot_ = nullptr;

TEST_F(GoldenTest, ScreenshotIsTheWholeFrame) {
  EXPECT_EQ(shot_->w, 800);
  EXPECT_EQ(shot_->h, 600);
}

TEST_F(GoldenTest, CornerSpritesSitWithinOnePixelOf25PixelsPerUnit) {
  for (const auto& c : GoldenLayout::kCorners) {
    int cx = PixelX(c[0]), cy = PixelY(c[1]);
    ExpectColour(cx, cy, {255, 0, 0});
    // A scale-1 sprite is 40 px wide: edges 20 px either side of the centre.
    EXPECT_NEAR(FirstLit(cx - 30, cy, 1), cx - 20, 1) << c[0] << "," << c[1];
    EXPECT_NEAR(FirstLit(cx + 30, cy, -1), cx + 19, 1) << c[0] << "," << c[1];
  }
}

TEST_F(GoldenTest, CentreSpriteIsCentred) {
  ExpectColour(400, 300, {0, 255, 0});
  EXPECT_NEAR(FirstLit(370, 300, 1), 380, 1);
  EXPECT_NEAR(FirstLit(430, 300, -1), 419, 1);
}

TEST_F(GoldenTest, RotatedSpriteTurnsCounterClockwise) {
  int cx = PixelX(GoldenLayout::kRotated[0]), cy = PixelY(GoldenLayout::kRotated[1]);
  float a = 30 * 3.14159265f / 180;
  // 50 px along the bar (up and right on screen) is red; 50 px across it is not.
  ExpectColour(cx + static_cast<int>(50 * std::cos(a)), cy - static_cast<int>(50 * std::sin(a)), {255, 0, 0});
  ExpectColour(cx + static_cast<int>(50 * std::sin(a)), cy + static_cast<int>(50 * std::cos(a)), {0, 0, 0});
  ExpectColour(cx + 55, cy, {0, 0, 0});
}

TEST_F(GoldenTest, ColourModulatesTheTexture) {
  ExpectColour(PixelX(GoldenLayout::kTinted[0]), PixelY(GoldenLayout::kTinted[1]), {0, 128, 255});
}

TEST_F(GoldenTest, OpacityBlendsOverWhatIsBehind) {
  ExpectColour(PixelX(GoldenLayout::kHalfAlpha[0]), PixelY(GoldenLayout::kHalfAlpha[1]), {128, 128, 255});
  ExpectColour(PixelX(GoldenLayout::kHalfAlpha[0]) + 30, PixelY(GoldenLayout::kHalfAlpha[1]), {0, 0, 255});
}

TEST_F(GoldenTest, PriorityOneOverZeroOverTwo) {
  int y = PixelY(GoldenLayout::kPriorities[1]);
  ExpectColour(375, y, {255, 0, 0});  // only the priority-2 sprite
  ExpectColour(385, y, {0, 255, 0});  // 0 over 2
  ExpectColour(400, y, {0, 0, 255});  // 1 over both
  ExpectColour(425, y, {0, 0, 255});  // 1 over 0
}

TEST_F(GoldenTest, PrintedTextStandsWhereTheMetricsSay) {
  // "AB" at scale 0.5: 15 px advance, blocks 20 px tall from 2.5 px below the line top.
  int left = PixelX(GoldenLayout::kText[0]);
  int lineTop = PixelY(GoldenLayout::kText[1] + 0.5f);
  ExpectColour(left + 7, lineTop + 12, {255, 255, 0});
  ExpectColour(left + 22, lineTop + 12, {255, 255, 0});
  ExpectColour(left + 7, lineTop - 3, {0, 0, 0});
  ExpectColour(left + 33, lineTop + 12, {0, 0, 0});
  EXPECT_NEAR(FirstLit(left - 10, lineTop + 12, 1), left, 1);
}

TEST_F(GoldenTest, ParticleBurstGlowsAdditivelyAtItsEmitter) {
  int cx = PixelX(GoldenLayout::kBurst[0]), cy = PixelY(GoldenLayout::kBurst[1]);
  Rgb centre = At(cx, cy);
  EXPECT_EQ(centre.r, 255);
  EXPECT_GT(centre.g, 100);
  EXPECT_LT(centre.b, 40);
  ExpectColour(cx + 60, cy, {0, 0, 0});  // particles of 0.3 world units: ~22 px across
}

// The fire of docs/architecture.md after 80 frames: a flame standing on its emitter,
// taller than wide, yellow at the base and red at the tip.
TEST_F(GoldenTest, FireRisesAsANarrowFlameAboveItsEmitter) {
  int cx = PixelX(kFireX), cy = PixelY(kFireY);
  int top = cy, bottom = cy, left = cx, right = cx;
  auto lit = [](Rgb p) { return p.r > 60; };
  while (top > 0 && lit(At(cx, top - 1, fireShot_))) --top;
  while (bottom < 599 && lit(At(cx, bottom + 1, fireShot_))) ++bottom;
  int mid = (top + bottom) / 2;
  while (left > 0 && lit(At(left - 1, mid, fireShot_))) --left;
  while (right < 799 && lit(At(right + 1, mid, fireShot_))) ++right;
  std::printf("fire: x %d..%d, y %d..%d around the emitter at %d,%d\n", left, right, top, bottom, cx, cy);
  EXPECT_GT(cy - top, 2 * (bottom - cy));        // it rises: most of the flame above the emitter
  EXPECT_GT(bottom - top, 2 * (right - left));   // taller than wide
  EXPECT_GT(cy - top, 30);                       // and visibly tall
  EXPECT_LT(right - left, 60);
  Rgb base = At(cx, cy, fireShot_), tip = At(cx, top + 3, fireShot_);
  EXPECT_GT(base.g, 150);  // yellow core
  EXPECT_GT(tip.r, 2 * tip.g);  // red tip
}

TEST_F(GoldenTest, EmptyFrameIsBlack) { ExpectColour(300, 520, {0, 0, 0}); }

}  // namespace
}  // namespace spriteengine::testing
