// Fires seen through a camera that moves, as the game moves it while the
// world scrolls: each step the camera goes 0.06875 to the right, every fire
// 0.2 sprite units to the left, and the fire's gravity is aimed again at its
// new place (x 4.4/16, y 4.4/16 + lift, 8). Its emitter stays where it was
// first put. Through the real library on the headless backend, screenshots
// by the input script: while scrolling and after it, each fire must still
// be an upright flame standing on its place, at the left, centre and right.
// Window fires (lift 0.5, the wide window shape) burn above the round ones:
// with their gentler lift they must still show a flame rising above the
// emitter, not just a glow around it.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "engine_host.h"
#include "test_assets.h"

namespace spriteengine::testing {
namespace {

constexpr int kScrollFrom = 61;            // the flames have built up for 60 frames
constexpr int kScrollSteps = 60;           // then the world scrolls for 60 frames
constexpr int kMidScrollShot = 90;
constexpr int kEndScrollShot = kScrollFrom + kScrollSteps - 1;
constexpr int kStillShot = 200;            // 80 frames after the scroll stopped
constexpr float kScrollStep = 0.2f;        // sprite units per step
constexpr float kCameraStep = 0.06875f;    // world units per step
constexpr float kFireY = -6;
constexpr float kLift = 1;
constexpr float kWindowFireY = 4.36f;      // a window row of the city's buildings
constexpr float kWindowLift = 0.5f;
constexpr EngineVec kWideWindowStart{1.5f, 3, 0}, kWideWindowEnd{4, 8, 0};
constexpr int kRoundFireRise = 30;         // pixels of flame above the emitter, at least
constexpr int kWindowFireRise = 24;        // about a window's height
// Where the fires stand when the scroll ends: left, centre and right.
constexpr std::array<float, 3> kEndX = {-11, 0, 11};

struct Rgb {
  int r, g, b;
};

struct Shot {
  SDL_Surface* surface = nullptr;
  Rgb At(int x, int y) const {
    uint32_t p = static_cast<const uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x];
    return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
  }
  bool Lit(int x, int y) const { return At(x, y).r > 60; }
};

float FireXAt(int fire, int frame) {
  int stepsLeft = kScrollFrom + kScrollSteps - 1 - std::clamp(frame, kScrollFrom - 1, kScrollFrom + kScrollSteps - 1);
  return kEndX[fire] + stepsLeft * kScrollStep;
}

int PixelX(float units) { return static_cast<int>(std::lround((units + 16) * 25)); }
int PixelY(float units) { return static_cast<int>(std::lround((12 - units) * 25)); }

class ScrollingFireTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string folder = MakeTempFolder("fire_golden");
    WriteGoldenAssets(folder);
    WriteFile(folder + "/script.txt", "90 shot mid.png\n120 shot end.png\n200 shot still.png\n");
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    ::setenv("VARNOK_ENGINE", "headless", 1);
    ::setenv("VARNOK_ENGINE_SCRIPT", (folder + "/script.txt").c_str(), 1);
    ::unsetenv("VARNOK_ENGINE_LOG");
    EngineApi api;
    std::string error;
    ASSERT_TRUE(LoadEngine(SPRITEENGINE_DLL, api, &error)) << error;
    EHandle camera = 0;
    EngineVec cameraAt{0, 0, -10};
    std::array<Fire, 3> fires;
    std::array<Fire, 3> windowFires;
    int frame = 0;
    HostCallbacks cb;
    cb.init = [&] {
      camera = api.iCameraCreate(0, 0, 1, 1);
      api.iCameraLocationSet(camera, &cameraAt);
      api.iCameraFovSet(camera, 45);
    };
    cb.run = [&] {
      ++frame;
      if (frame == 1)
        for (int i = 0; i < 3; ++i) {
          fires[i] = MakeFire(api, FireXAt(i, 1), kFireY, kLift);
          windowFires[i] = MakeFire(api, FireXAt(i, 1), kWindowFireY, kWindowLift, kWideWindowStart, kWideWindowEnd);
        }
      if (frame >= kScrollFrom && frame < kScrollFrom + kScrollSteps) {
        cameraAt.x += kCameraStep;
        api.iCameraLocationSet(camera, &cameraAt);
      }
      for (int i = 0; i < 3; ++i) {
        float x = FireXAt(i, frame);
        EngineVec gravity{x * 4.4f / 16, kFireY * 4.4f / 16 + kLift, 8};
        api.iParticleGravitySet(fires[i].system, &gravity);
        api.iParticleEmitterEmit(fires[i].emitter, 10, 1);
        EngineVec windowGravity{x * 4.4f / 16, kWindowFireY * 4.4f / 16 + kWindowLift, 8};
        api.iParticleGravitySet(windowFires[i].system, &windowGravity);
        api.iParticleEmitterEmit(windowFires[i].emitter, 10, 1);
      }
      if (frame == kStillShot + 1) api.iExit();
    };
    ASSERT_TRUE(RunHost(api, cb));
    for (const char* name : {"mid.png", "end.png", "still.png"}) {
      SDL_Surface* loaded = IMG_Load((folder + "/" + name).c_str());
      ASSERT_NE(loaded, nullptr) << IMG_GetError();
      Shots().push_back({SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0)});
      SDL_FreeSurface(loaded);
    }
  }
  static void TearDownTestSuite() {
    for (Shot& s : Shots()) SDL_FreeSurface(s.surface);
    Shots().clear();
  }
  static std::vector<Shot>& Shots() {
    static std::vector<Shot> shots;
    return shots;
  }

  // The fire at sprite (x, y) in `shot` is an upright flame on its place:
  // lit at its base, rising at least `rise` pixels above it (and further than
  // it reaches below), narrow, and nothing lit beside it (a flame that
  // trails off sideways lights the rows above its neighbours).
  static void ExpectUprightFlame(const Shot& shot, float x, const char* what, float fireY = kFireY,
                                 int rise = kRoundFireRise) {
    SCOPED_TRACE(what);
    int cx = PixelX(x), cy = PixelY(fireY);
    if (cx < 0 || cx >= shot.surface->w) return;
    int top = cy, bottom = cy;
    while (top > 0 && shot.Lit(cx, top - 1)) --top;
    while (bottom < shot.surface->h - 1 && shot.Lit(cx, bottom + 1)) ++bottom;
    EXPECT_GT(cy - top, rise) << "the flame at (" << x << ", " << fireY << ") does not rise above its place";
    EXPECT_GT(cy - top, bottom - cy) << "the flame at (" << x << ", " << fireY << ") hangs below its place";
    for (int y = top; y <= cy; y += 4) {
      int left = cx, right = cx;
      while (left > 0 && shot.Lit(left - 1, y)) --left;
      while (right < shot.surface->w - 1 && shot.Lit(right + 1, y)) ++right;
      EXPECT_LT(right - left, 60) << "row " << y << " of the fire at x " << x << " is lit from " << left << " to "
                                  << right;
    }
    // Beside the flame, at its own height, the frame stays dark.
    for (int dx : {-120, -60, 60, 120}) {
      int px = cx + dx;
      if (px < 0 || px >= shot.surface->w) continue;
      for (int y = top; y <= cy; y += 4)
        EXPECT_FALSE(shot.Lit(px, y)) << "lit " << dx << " px beside the fire at x " << x << ", row " << y;
    }
  }
};

TEST_F(ScrollingFireTest, FlamesStayUprightWhileTheWorldScrolls) {
  for (int i = 0; i < 3; ++i) ExpectUprightFlame(Shots()[0], FireXAt(i, kMidScrollShot), "mid-scroll");
}

TEST_F(ScrollingFireTest, FlamesStandOnTheirPlacesAtTheLeftCentreAndRightWhenTheScrollEnds) {
  for (int i = 0; i < 3; ++i) ExpectUprightFlame(Shots()[1], FireXAt(i, kEndScrollShot), "end of scroll");
}

TEST_F(ScrollingFireTest, FlamesThroughTheMovedCameraAfterTheScrollStopped) {
  for (int i = 0; i < 3; ++i) ExpectUprightFlame(Shots()[2], kEndX[i], "camera moved, standing");
}

TEST_F(ScrollingFireTest, WindowFiresRiseAboveTheirWindowsWhileScrollingAndStanding) {
  for (int i = 0; i < 3; ++i) {
    ExpectUprightFlame(Shots()[0], FireXAt(i, kMidScrollShot), "window, mid-scroll", kWindowFireY, kWindowFireRise);
    ExpectUprightFlame(Shots()[2], kEndX[i], "window, standing", kWindowFireY, kWindowFireRise);
  }
}

}  // namespace
}  // namespace spriteengine::testing
