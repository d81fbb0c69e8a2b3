// The frame stretched for a full-screen or resized window: the picture
// SDL's linear stretch gave, on either arithmetic path and from any split of
// rows between threads; and the window-surface path that shows it.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/geometry.h"
#include "core/pixel_ops_avx2.h"
#include "core/scene_renderer.h"
#include "core/stretch.h"
#include "sdl/frame_presenter.h"

namespace spriteengine {
namespace {

// Noise (the worst case for any rounding) beside gradients and hard edges.
Frame TestFrame() {
  Frame f(kFrameWidth, kFrameHeight);
  std::mt19937 rng(5);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      uint32_t& p = f.pixels[static_cast<size_t>(y) * f.width + x];
      if (x < 300) p = rng() & 0x00FFFFFF;
      else if (x < 550) p = static_cast<uint32_t>((x - 300) & 0xFF) << 16 | static_cast<uint32_t>(y & 0xFF) << 8 | 0x40;
      else p = ((x / 7 + y / 5) % 2) ? 0x00FFFFFF : 0;
    }
  return f;
}

int MaxChannelDifference(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift : {0, 8, 16})
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return most;
}

std::vector<uint32_t> Stretched(const Frame& frame, int w, int h) {
  FrameStretch stretch;
  EXPECT_TRUE(stretch.Resize(frame.width, frame.height, w, h));
  std::vector<uint32_t> out(static_cast<size_t>(w) * h, 0xDEADBEEF);
  stretch.Rows(frame, out.data(), static_cast<ptrdiff_t>(w) * 4, 0, h);
  return out;
}

TEST(FrameStretch, MatchesSdlsLinearStretchOnEveryPathAndSplit) {
  const Frame frame = TestFrame();
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.pixels.data()), frame.width,
                                                            frame.height, 32, frame.width * 4, SDL_PIXELFORMAT_RGB888);
  ASSERT_NE(source, nullptr);
  ParallelRenderer threads(DrawThreads::kTwo);
  // Full screens, a resized window (smaller, and one pixel off the frame), a sliver.
  const std::pair<int, int> sizes[] = {{1067, 800}, {1440, 1080}, {2880, 2160}, {640, 480}, {801, 601}, {13, 2}};
  for (auto [w, h] : sizes) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    std::vector<uint32_t> ours = Stretched(frame, w, h);
    SDL_Surface* sdl = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
    ASSERT_NE(sdl, nullptr);
    ASSERT_EQ(SDL_SoftStretchLinear(source, nullptr, sdl, nullptr), 0);
    int most = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        most =
            std::max(most, MaxChannelDifference(ours[static_cast<size_t>(y) * w + x],
                                                static_cast<const uint32_t*>(sdl->pixels)[y * (sdl->pitch / 4) + x]));
    SDL_FreeSurface(sdl);
    EXPECT_LE(most, 2) << "a channel differs from SDL's stretch by " << most;

    // The drawing threads, each its band, into a target with a wider pitch:
    // the same bytes, nothing outside.
    FrameStretch stretch;
    ASSERT_TRUE(stretch.Resize(frame.width, frame.height, w, h));
    const int pitch = w + 5;
    std::vector<uint32_t> banded(static_cast<size_t>(pitch) * h, 0xDEADBEEF);
    threads.Split(h, [&](int begin, int end) { stretch.Rows(frame, banded.data(), pitch * 4, begin, end); });
    for (int y = 0; y < h; ++y) {
      auto row = ours.begin() + static_cast<ptrdiff_t>(y) * w;
      ASSERT_TRUE(std::equal(row, row + w, banded.begin() + static_cast<ptrdiff_t>(y) * pitch)) << "row " << y;
      for (int x = w; x < pitch; ++x) ASSERT_EQ(banded[static_cast<size_t>(y) * pitch + x], 0xDEADBEEFu);
    }

#if SPRITEENGINE_AVX2_PATHS
    pixel::avx2::Allow(false);
    std::vector<uint32_t> narrow = Stretched(frame, w, h);
    pixel::avx2::Allow(true);
    EXPECT_EQ(narrow, ours) << "the eight-pixel forms give other bytes";
#endif
  }
  SDL_FreeSurface(source);
}

// A frame that differs from the last in a few places, its changed columns
// given per row: only the shown pixels those make are written, and every
// shown pixel that differs between the two pictures is among them.
TEST(FrameStretch, WritesOnlyWhatTheChangedColumnsMakeAndMissesNothing) {
  const Frame before = TestFrame();
  Frame after = before;
  auto change = [&](int x, int y) { after.pixels[static_cast<size_t>(y) * after.width + x] ^= 0x00A05010; };
  for (int y = 100; y < 140; ++y)
    for (int x = 300; x < 340; ++x) change(x, y);  // a sprite's square
  change(0, 0), change(799, 599), change(401, 450), change(7, 451);  // the corners, lone pixels
  for (int x = 0; x < 800; ++x) change(x, 300);                      // a whole row
  std::vector<ColumnSpan> spans(after.height);
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x < after.width; ++x)
      if (after.pixels[static_cast<size_t>(y) * after.width + x] != before.pixels[static_cast<size_t>(y) * before.width + x])
        spans[y] = spans[y].Empty() ? ColumnSpan{x, x + 1} : ColumnSpan{spans[y].begin, x + 1};
  ParallelRenderer threads(DrawThreads::kTwo);
  for (bool wide : {true, false}) {
#if SPRITEENGINE_AVX2_PATHS
    pixel::avx2::Allow(wide);
#endif
    for (auto [w, h] : {std::pair{1440, 1080}, {2880, 2160}, {1067, 800}, {640, 480}, {13, 2}}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (wide ? "" : " narrow"));
      const std::vector<uint32_t> was = Stretched(before, w, h), is = Stretched(after, w, h);
      FrameStretch stretch;
      ASSERT_TRUE(stretch.Resize(after.width, after.height, w, h));
      constexpr uint32_t kUntouched = 0xDEADBEEF;
      std::vector<uint32_t> target(static_cast<size_t>(w) * h, kUntouched);
      threads.Split(h, [&](int begin, int end) { stretch.Rows(after, target.data(), w * 4, begin, end, spans.data()); });
      size_t written = 0;
      for (int y = 0; y < h; ++y) {
        const ColumnSpan shown = stretch.ShownChange(y, spans.data());
        for (int x = 0; x < w; ++x) {
          const size_t i = static_cast<size_t>(y) * w + x;
          if (x >= shown.begin && x < shown.end) {
            ASSERT_EQ(target[i], is[i]) << x << "," << y;
            ++written;
          } else {
            ASSERT_EQ(target[i], kUntouched) << "written outside the change at " << x << "," << y;
            ASSERT_EQ(was[i], is[i]) << "a changed pixel left out at " << x << "," << y;
          }
        }
      }
      if (w > 100) {
        EXPECT_LT(written, static_cast<size_t>(w) * h / 8);
      }
    }
  }
#if SPRITEENGINE_AVX2_PATHS
  pixel::avx2::Allow(true);
#endif
}

TEST(FrameStretch, RefusesSizesItCannotStretchAndWritesNothing) {
  const Frame frame = TestFrame();
  FrameStretch stretch;
  std::vector<uint32_t> target(64, 7);
  for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {FrameStretch::kMaxSide + 1, 10}}) {
    EXPECT_FALSE(stretch.Resize(frame.width, frame.height, w, h));
    stretch.Rows(frame, target.data(), 32, 0, 2);
  }
  ASSERT_TRUE(stretch.Resize(frame.width, frame.height, 8, 8));
  stretch.Rows(Frame(10, 10), target.data(), 32, 0, 8);  // not the frame it was sized for
  EXPECT_EQ(target, std::vector<uint32_t>(64, 7));
}

// The SDL window's surface path on SDL's dummy video driver (no display):
// the frame stretched into its letterbox, black bars on a surface that held
// something else; no renderer where none can be made.
TEST(FramePresenter, SurfaceShowsTheLetterboxedFrameAndRendererFallsBack) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("t", 0, 0, 1280, 800, 0);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  for (const char* driver : {"opengl", "no-such-driver"})
    EXPECT_EQ(sdl::MakeRendererPresenter(window, {driver, true}), nullptr) << driver;

  SDL_Surface* surface = SDL_GetWindowSurface(window);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->format->format, static_cast<Uint32>(SDL_PIXELFORMAT_RGB888));
  SDL_FillRect(surface, nullptr, 0x00FFFFFF);
  int splits = 0;
  std::vector<SDL_Rect> sent;
  auto presenter = sdl::MakeSurfacePresenter(
      window,
      [&](int rows, const std::function<void(int, int)>& work) {
        ++splits;
        work(0, rows / 2);
        work(rows / 2, rows);
      },
      [&](const std::vector<SDL_Rect>& rects) { sent = rects; });
  // Whether the last send held shown row y (of the surface).
  auto sentRow = [&](int y) {
    return std::any_of(sent.begin(), sent.end(), [&](const SDL_Rect& r) { return y >= r.y && y < r.y + r.h; });
  };
  const SDL_Rect box = sdl::Letterbox(1280, 800);
  ASSERT_EQ(box.x, 107);
  ASSERT_EQ(box.w, 1066);
  auto expectShown = [&](const Frame& frame) {
    std::vector<uint32_t> expected = Stretched(frame, box.w, box.h);
    const uint32_t* pixels = static_cast<const uint32_t*>(surface->pixels);
    for (int y = 0; y < 800; ++y)
      for (int x = 0; x < 1280; ++x) {
        bool inside = x >= box.x && x < box.x + box.w;
        uint32_t want = inside ? expected[static_cast<size_t>(y) * box.w + x - box.x] : 0;
        ASSERT_EQ(pixels[y * (surface->pitch / 4) + x] & 0x00FFFFFF, want) << x << "," << y;
      }
  };
  Frame frame = TestFrame();
  presenter->Show(frame);
  EXPECT_EQ(splits, 1);
  expectShown(frame);
  // The next frame changes a few rows (the last included): the surface
  // shows all of it, though only the rows they make are stretched again.
  // Prepared when drawn, it is in the surface before it is due, and the
  // frame shown is the prepared one.
  auto changeRows = [](Frame& f, std::initializer_list<int> rows) {
    for (int y : rows)
      for (int x = 0; x < f.width; x += 3) f.pixels[static_cast<size_t>(y) * f.width + x] ^= 0x00808080;
  };
  changeRows(frame, {0, 300, 301, 599});
  presenter->Prepare(frame);
  expectShown(frame);
  presenter->Show(TestFrame());
  expectShown(frame);
  EXPECT_TRUE(sentRow(400) && !sentRow(200)) << "only the changed rows are sent";
  // Two frames prepared and the first never shown: the rows either changed
  // are sent.
  Frame first = frame;
  changeRows(first, {10, 20});
  Frame second = first;
  changeRows(second, {400});
  presenter->Prepare(first);
  presenter->Prepare(second);
  presenter->Show(second);
  expectShown(second);
  EXPECT_TRUE(sentRow(10 * 800 / 600) && sentRow(20 * 800 / 600) && sentRow(400 * 800 / 600));
  frame = second;
  // A few pixels in the middle of a row: only the columns they make are
  // stretched and sent.
  for (int x = 400; x < 410; ++x) frame.pixels[static_cast<size_t>(450) * frame.width + x] ^= 0x00FFFFFF;
  presenter->Prepare(frame);
  presenter->Show(frame);
  expectShown(frame);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_TRUE(sent[0].x <= box.x + 400 * box.w / 800 && sent[0].x + sent[0].w >= box.x + 410 * box.w / 800 &&
              sent[0].w < 30)
      << sent[0].x << "+" << sent[0].w;
  // Shown black again (exposed, resized): the whole frame comes back.
  presenter->ShowBlack();
  presenter->Show(frame);
  expectShown(frame);
  EXPECT_EQ(presenter->SendEstimate(), 0);  // nothing prepared
  // A window of the frame's own size: the frame as it is, on either path.
  SDL_SetWindowSize(window, kFrameWidth, kFrameHeight);
  presenter->Resized();
  for (bool wide : {true, false}) {
#if SPRITEENGINE_AVX2_PATHS
    pixel::avx2::Allow(wide);
#endif
    frame.pixels[static_cast<size_t>(wide ? 7 : 8) * frame.width + 9] ^= 0x00FFFFFF;  // a new frame each time
    presenter->Prepare(frame);
    presenter->Show(frame);
    surface = SDL_GetWindowSurface(window);
    ASSERT_TRUE(surface && surface->w == kFrameWidth && surface->h == kFrameHeight);
    const uint32_t* pixels = static_cast<const uint32_t*>(surface->pixels);
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x < kFrameWidth; ++x)
        ASSERT_EQ(pixels[y * (surface->pitch / 4) + x] & 0x00FFFFFF, frame.At(x, y)) << x << "," << y;
  }
#if SPRITEENGINE_AVX2_PATHS
  pixel::avx2::Allow(true);
#endif
  presenter.reset();
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The send's cost a pixel: from sends of a fair size only, and a stalled
// send moves it by at most an eighth of double.
TEST(FramePresenter, SendCostLearnsFromFairSendsAndShrugsOffAStall) {
  sdl::SendCost cost;
  EXPECT_EQ(cost.Estimate(1e6), 0);
  cost.Sent(sdl::SendCost::kLeastPixels / 2, 1.0);  // a few rows: mostly the round trip
  EXPECT_EQ(cost.Estimate(1e6), 0);
  cost.Sent(4e6, 0.004);
  EXPECT_DOUBLE_EQ(cost.Estimate(1e6), 0.001);
  cost.Sent(4e6, 0.1);  // stalled
  EXPECT_DOUBLE_EQ(cost.Estimate(1e6), 0.001 * (1 + 1.0 / 8));
  for (int i = 0; i < 100; ++i) cost.Sent(2e6, 0.001);
  EXPECT_NEAR(cost.Estimate(1e6), 0.0005, 1e-6);
}

}  // namespace
}  // namespace spriteengine
