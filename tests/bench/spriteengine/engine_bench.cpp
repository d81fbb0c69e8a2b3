// Cost per frame of simulating and drawing particles and sprites, on the
// headless path (rasterise only) and, with --sdl under a display, also
// showing the frame in the SDL window; and of stretching the frame to the
// letterbox of common full screens. Prints medians in milliseconds.
// The busy level (fires, the flamethrower, buildings, enemies and the HUD)
// prints its processor time a frame and where one thread's frame goes by
// stage, and a hash of its last frame (the same before and after a change
// that must not move a pixel, given the same --frames).
//   engine_bench [--sdl] [--frames N] [--only fires|sprites|stretch|busy]
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/engine.h"
#include "core/scene_renderer.h"
#include "core/stretch.h"
#include "fake_platform.h"
#include "sdl/sdl_video.h"
#include "test_assets.h"

using namespace spriteengine;

namespace {

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of the whole process (both drawing threads), ms.
double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Fire {
  uint32_t system, emitter;
};

// A fire with the game's own numbers at sprite units (x, y).
Fire MakeFire(Engine& e, float x, float y, float g) {
  Fire f;
  f.system = e.ParticleCreate("data/particle.dds", 1000);
  e.ParticleRenderModeSet(f.system, 1);
  e.ParticleGravitySet(f.system, {x * 4.4f / 16, y * 4.4f / 16 + g, 8});
  e.ParticleAirResistanceSet(f.system, -10);
  e.ParticleColorSet(f.system, {1, 0.5f, 0}, {1, 0, 0});
  e.ParticleLifeTimeSet(f.system, 2);
  f.emitter = e.ParticleEmitterCreate(f.system);
  e.EmitterLocationSet(f.emitter, {x * 5.5f / 16, y * 5.5f / 16, 0});
  e.EmitterScaleSet(f.emitter, {1, 2}, {2, 4});
  e.ParticleShow(f.system, true);
  return f;
}

// The busy level of the play benchmark as the engine sees it (its numbers
// read off a frame of the real game): a sky and a street of opaque
// pictures, buildings with transparent sky above them, enemies, the HUD,
// the fires in view and the flamethrower's fifteen streams.
struct Busy {
  std::vector<Fire> fires;
  std::vector<Fire> flames;
  std::vector<Vec3> fireGravity;
};

// A picture of straight-alpha texels, `at(x, y)` each.
template <typename At>
Image Picture(int w, int h, At at) {
  Image image = testing::SolidImage(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.pixels[static_cast<size_t>(y) * w + x] = at(x, y);
  return image;
}

// Buildings: opaque below a skyline of blocks 40..130 px wide, clear above,
// a half-transparent texel on the edge.
Image Skyline(int w, int h, uint32_t seed) {
  std::vector<int> top(static_cast<size_t>(w));
  for (int x = 0; x < w;) {
    seed = seed * 1664525u + 1013904223u;
    int width = 40 + static_cast<int>(seed >> 24) % 90, height = h / 4 + static_cast<int>(seed >> 8) % (h / 2);
    for (int i = 0; i < width && x < w; ++i, ++x) top[static_cast<size_t>(x)] = h - height;
  }
  return Picture(w, h, [&](int x, int y) -> uint32_t {
    int edge = top[static_cast<size_t>(x)];
    if (y < edge) return 0;
    uint32_t wall = ((x / 12 + y / 16) % 3 == 0) ? 0xFFE0D070 : 0xFF404858;  // lit windows
    return y == edge ? (wall & 0x00FFFFFF) | 0x80000000 : wall;
  });
}

// A round figure (enemies, HUD signs): opaque inside an ellipse, soft at its rim.
Image Figure(int w, int h, uint32_t rgb) {
  return Picture(w, h, [&](int x, int y) -> uint32_t {
    float dx = (x + 0.5f) / w * 2 - 1, dy = (y + 0.5f) / h * 2 - 1, d = dx * dx + dy * dy;
    if (d >= 1) return 0;
    return (d > 0.85f ? 0x80000000u : 0xFF000000u) | rgb;
  });
}

// A picture drawn at its own size with its top left at frame pixel (left, top).
uint32_t Place(Engine& e, uint32_t texture, int w, int h, int left, int top, int priority) {
  uint32_t s = e.SpriteCreate("data/sprite.x");
  e.SpriteTextureSet(s, texture);
  e.SpriteScaleSet(s, {w / 40.0f, h / 40.0f});
  e.SpriteLocationSet(s, {(left + w / 2.0f) / 25 - 16, 12 - (top + h / 2.0f) / 25, 0});
  e.SpritePrioritySet(s, priority);
  e.SpriteShow(s, true);
  return s;
}

Busy MakeBusy(Engine& e) {
  testing::WriteFile("data/sky.dds", WriteDds(Picture(800, 400, [](int, int y) { return 0xFF3060A0u + y / 4; })));
  testing::WriteFile("data/street.dds", WriteDds(Picture(800, 200, [](int x, int y) {
                       return (x / 50 + y / 50) % 2 ? 0xFF505050u : 0xFF606060u;
                     })));
  const struct {
    const char* file;
    int w, h, left, top;
  } buildings[] = {{"data/b0.dds", 1568, 487, 76, -10},
                   {"data/b1.dds", 846, 482, -793, 0},
                   {"data/b2.dds", 521, 236, -498, 342},
                   {"data/b3.dds", 363, 128, 143, 436},
                   {"data/b4.dds", 231, 140, 569, 430}};
  uint32_t sky = e.TextureCreate("data/sky.dds"), street = e.TextureCreate("data/street.dds");
  Place(e, sky, 800, 400, -205, 25, 3), Place(e, sky, 800, 400, 595, 25, 3);
  Place(e, street, 800, 200, -410, 400, 3), Place(e, street, 800, 200, 390, 400, 3);
  uint32_t seed = 1;
  for (const auto& b : buildings) {
    testing::WriteFile(b.file, WriteDds(Skyline(b.w, b.h, seed++)));
    Place(e, e.TextureCreate(b.file), b.w, b.h, b.left, b.top, 2);
  }
  // Enemies and the hero, then the HUD.
  const struct {
    int w, h, left, top, priority;
  } figures[] = {{80, 80, 357, 406, 0},  {120, 70, 340, 417, 0}, {120, 70, 342, 416, 0}, {100, 150, 367, 338, 0},
                 {60, 60, 375, 368, 0},  {128, 128, 261, 371, 0}, {120, 120, 600, 387, 0}, {135, 81, 592, 327, 0},
                 {138, 73, 736, 111, 0}, {802, 134, 0, 0, 1},    {235, 88, 7, -1, 1},     {22, 28, 269, 28, 1},
                 {64, 64, 68, -6, 1},    {479, 70, 324, 0, 1}};
  int n = 0;
  for (const auto& f : figures) {
    std::string file = "data/figure" + std::to_string(n++) + ".dds";
    testing::WriteFile(file, WriteDds(Figure(f.w, f.h, 0x00C04020u + 0x1020u * static_cast<uint32_t>(n))));
    uint32_t s = Place(e, e.TextureCreate(file.c_str()), f.w, f.h, f.left, f.top, f.priority);
    if (n == 8) e.SpriteColorSet(s, {1, 0.5f, 0.5f, 1});  // a hit enemy flashes
  }
  testing::WriteFile("data/font.wid", testing::BlockFontBytes());
  uint32_t font = e.FontCreate("data/font.wid");
  e.Print("SCORE 0012450", {-15, 11}, {0.5f, 0.5f}, 0.1f, font, false);
  e.Print("x3", {10, 11}, {0.5f, 0.5f}, 0.1f, font, false);

  Busy busy;
  // Fires on the street and in the buildings' windows, all in view.
  const struct {
    float x, y, lift;
  } fires[] = {{-12, -7, 1}, {-5, -8, 1}, {3, -7.5f, 1}, {11, -8, 1}, {-9, 4.4f, 0.5f}, {1, 2.5f, 0.5f}, {8, 4.4f, 0.5f}};
  for (const auto& f : fires) {
    busy.fires.push_back(MakeFire(e, f.x, f.y, f.lift));
    busy.fireGravity.push_back({f.x * 4.4f / 16, f.y * 4.4f / 16 + f.lift, 8});
  }
  // The flamethrower aimed ahead from the hero at (-4, -6): stream i
  // leaves 0.5 i further along.
  testing::WriteFile("data/particle_clot.dds", WriteDds(testing::SoftParticleImage(64)));
  const float heroX = -4, heroY = -6;
  for (int i = 0; i < 15; ++i) {
    Fire f;
    f.system = e.ParticleCreate("data/particle_clot.dds", 1000);
    e.ParticleRenderModeSet(f.system, 1);
    e.ParticleGravitySet(f.system, {(15 + heroX) * 4.4f / 16, heroY * 5.5f / 16 + 0.7f, 8});
    e.ParticleAirResistanceSet(f.system, -10);
    e.ParticleColorSet(f.system, {1, 0.5f, 0}, {1, 0, 0});
    e.ParticleLifeTimeSet(f.system, 0.3f);
    f.emitter = e.ParticleEmitterCreate(f.system);
    e.EmitterLocationSet(f.emitter, {(i * 0.5f + 2.5f + heroX) * 5.5f / 16, (heroY + 0.35f) * 5.5f / 16, 0});
    e.EmitterDirectionSet(f.emitter, {-1, -1, -1}, {1, 1, 1});
    e.EmitterSpeedSet(f.emitter, 1, 1.1f);
    e.EmitterScaleSet(f.emitter, {0.8f, 0.8f}, {2.5f, 2.5f});
    e.ParticleShow(f.system, true);
    busy.flames.push_back(f);
  }
  return busy;
}

// A frame of the game: the fires re-aimed, every system emits its ten.
void BusyStep(Engine& e, const Busy& busy) {
  for (size_t i = 0; i < busy.fires.size(); ++i) {
    e.ParticleGravitySet(busy.fires[i].system, busy.fireGravity[i]);
    e.EmitterEmit(busy.fires[i].emitter, 10);
  }
  for (const Fire& f : busy.flames) e.EmitterEmit(f.emitter, 10);
  e.StepParticles(0.015f);
}

// FNV-1a of the frame's pixels: equal before and after a change that must
// not move a pixel.
uint64_t FrameHash(const Frame& frame) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t p : frame.pixels) h = (h ^ p) * 1099511628211ull;
  return h;
}

struct Result {
  double step = 0, draw = 0, present = 0;
  double cpu = 0;      // processor time per frame, all threads
  double cpuBest = 0;  // the least of any frame (a loaded machine stretches the median)
  int particles = 0;
};

// Runs `frames` frames: emit, step, draw (and present); medians per part.
Result Measure(Engine& e, const std::vector<Fire>& fires, int frames, VideoBackend* video) {
  std::vector<double> step, draw, present, cpu;
  Frame frame(kFrameWidth, kFrameHeight);
  Result r;
  for (int i = 0; i < frames + 150; ++i) {  // 150 frames to fill the systems
    for (const Fire& f : fires) e.EmitterEmit(f.emitter, 10);
    double c0 = CpuMs();
    auto t0 = std::chrono::steady_clock::now();
    e.StepParticles(0.015f);
    auto t1 = std::chrono::steady_clock::now();
    frame = e.Snapshot();
    auto t2 = std::chrono::steady_clock::now();
    if (video) video->Present(frame);
    auto t3 = std::chrono::steady_clock::now();
    double c1 = CpuMs();
    if (i >= 150) {
      step.push_back(Ms(t1 - t0));
      draw.push_back(Ms(t2 - t1));
      present.push_back(Ms(t3 - t2));
      cpu.push_back(c1 - c0);
    }
  }
  r.step = Median(step), r.draw = Median(draw), r.present = Median(present), r.cpu = Median(cpu);
  r.cpuBest = cpu.empty() ? 0 : *std::min_element(cpu.begin(), cpu.end());
  return r;
}

class NoEvents : public WindowEvents {
  void OnKey(int, bool) override {}
  void OnPointer(float, float) override {}
  void OnMouseButton(int, bool) override {}
  void OnWindowCommand(int) override {}
  void OnVisible(bool) override {}
};

}  // namespace

int main(int argc, char** argv) {
  bool sdl = false;
  int frames = 200;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--sdl")) sdl = true;
    if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) frames = std::atoi(argv[++i]);
    if (!std::strcmp(argv[i], "--only") && i + 1 < argc) only = argv[++i];
  }
  std::string folder = testing::MakeTempFolder("engine_bench");
  if (::chdir(folder.c_str()) != 0) return 1;
  ::mkdir("data", 0755);
  testing::WriteFile("data/particle.dds", WriteDds(testing::SoftParticleImage(64)));
  testing::WriteFile("data/sprite.x", testing::SpriteMeshText());
  testing::WriteFile("data/tile.dds", WriteDds(testing::SolidImage(128, 128, 0xC08040FF)));
  testing::WriteFile("data/tile100.dds", WriteDds(testing::SolidImage(100, 100, 0xC08040FF)));
  testing::WriteFile("data/back.dds", WriteDds(testing::SolidImage(800, 600, 0xFF203040)));

  NoEvents events;
  std::unique_ptr<VideoBackend> video;
  if (sdl) {
    video = sdl::MakeSdlVideo();
    if (!video->Open(false, &events)) {
      std::printf("SDL window cannot open (no display?)\n");
      return 1;
    }
  }
  const char* backend = sdl ? "sdl" : "headless";

  // 1) 20 fires' worth of particles, all in view (worst case) and spread over a level (2 in view).
  for (int layout = 0; layout < 2 && (only.empty() || only == "fires"); ++layout) {
    Engine e(testing::MakeFakePlatform(std::make_shared<testing::FakeRecord>()));
    std::vector<Fire> fires;
    for (int i = 0; i < 20; ++i) {
      float x = layout == 0 ? -14 + 28.0f * (i % 10) / 9 : -10 + 40.0f * i;  // 40 units apart: off screen
      float y = layout == 0 ? (i < 10 ? -8 : 2) : -8;
      fires.push_back(MakeFire(e, x, y, i % 2 ? 0.5f : 1.0f));
    }
    Result r = Measure(e, fires, frames, video.get());
    std::printf(
        "%s: 20 fires x 1000 particles (%s): simulate %.3f ms, draw %.3f ms, present %.3f ms, total %.3f ms "
        "(processor time %.3f ms, least %.3f ms)\n",
        backend, layout == 0 ? "all 20 in view" : "spread over a level, 1 in view", r.step, r.draw, r.present,
        r.step + r.draw + r.present, r.cpu, r.cpuBest);
  }

  // 2) 300 sprites of 100 x 100 px over a full-screen background: pictures
  // of 128 px (scaled, bilinear) and of 100 px (drawn at their own size).
  for (const char* picture : {"data/tile.dds", "data/tile100.dds"}) {
    if (!only.empty() && only != "sprites") break;
    Engine e(testing::MakeFakePlatform(std::make_shared<testing::FakeRecord>()));
    uint32_t back = e.SpriteCreate("data/sprite.x");
    e.SpriteTextureSet(back, e.TextureCreate("data/back.dds"));
    e.SpriteScaleSet(back, {20, 15});
    e.SpritePrioritySet(back, 2);
    e.SpriteShow(back, true);
    uint32_t tile = e.TextureCreate(picture);
    for (int i = 0; i < 300; ++i) {
      uint32_t s = e.SpriteCreate("data/sprite.x");
      e.SpriteTextureSet(s, tile);
      e.SpriteScaleSet(s, {2.5f, 2.5f});
      e.SpriteLocationSet(s, {-14 + (i * 37 % 280) / 10.0f, -10 + (i * 53 % 200) / 10.0f, 0});
      if (i % 5 == 0) e.SpriteOrientationSet(s, static_cast<float>(i));
      e.SpriteShow(s, true);
    }
    Result r = Measure(e, {}, frames, video.get());
    std::printf("%s: 300 sprites of 100x100 px (1 in 5 rotated) from %s + background: draw %.3f ms, present %.3f ms, "
                "total %.3f ms (processor time %.3f ms, least %.3f ms)\n",
                backend, picture, r.draw, r.present, r.draw + r.present, r.cpu, r.cpuBest);
  }

  // 3) The frame stretched to the letterbox of a full screen, on one thread
  // and on the two drawing threads.
  for (auto [w, h] : {std::pair{1066, 800}, {1440, 1080}, {1920, 1440}, {2880, 2160}}) {
    if (!only.empty() && only != "stretch") break;
    Frame frame(kFrameWidth, kFrameHeight);
    for (size_t i = 0; i < frame.pixels.size(); ++i)
      frame.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    FrameStretch stretch;
    stretch.Resize(frame.width, frame.height, w, h);
    std::vector<uint32_t> target(static_cast<size_t>(w) * h);
    ParallelRenderer threads;
    for (int split = 0; split < 2; ++split) {
      std::vector<double> wall, cpu;
      for (int i = 0; i < frames; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        double c0 = CpuMs();
        auto rows = [&](int begin, int end) { stretch.Rows(frame, target.data(), w * 4, begin, end); };
        if (split) threads.Split(h, rows); else rows(0, h);
        cpu.push_back(CpuMs() - c0);
        wall.push_back(Ms(std::chrono::steady_clock::now() - t0));
      }
      std::printf("stretch 800x600 -> %dx%d on %s: %.3f ms (processor time %.3f ms, least %.3f ms)\n", w, h,
                  split ? "two threads" : "one thread", Median(wall), Median(cpu),
                  *std::min_element(cpu.begin(), cpu.end()));
    }
  }
  // 4) The busy level: processor time a frame drawn on both drawing threads
  // and on one (the engine's choice for a frame this light), then the same
  // frames on one thread split by stage (means). The last frame is drawn
  // both ways again: the two must agree to the pixel.
  if (only.empty() || only == "busy") {
    struct Threads {
      double cpu = 0, least = 0, step = 0, present = 0;
    } two, one;
    StageTimes t;
    unsigned long long hash = 0;
    bool same = false;
    for (Threads* threads : {&two, &one}) {
      ::setenv("VARNOK_ENGINE_DRAW_THREADS", threads == &two ? "2" : "1", 1);
      Engine e(testing::MakeFakePlatform(std::make_shared<testing::FakeRecord>()));
      Busy busy = MakeBusy(e);
      for (int i = 0; i < 150; ++i) BusyStep(e, busy);  // the fires grow to their size
      std::vector<double> cpu, step, present;
      Frame frame;
      for (int i = 0; i < frames; ++i) {
        double c0 = CpuMs();
        BusyStep(e, busy);
        double c1 = CpuMs();
        frame = e.Snapshot();
        double c2 = CpuMs();
        if (video) video->Present(frame);
        double c3 = CpuMs();
        step.push_back(c1 - c0), cpu.push_back(c3 - c0), present.push_back(c3 - c2);
      }
      *threads = {Median(cpu), *std::min_element(cpu.begin(), cpu.end()), Median(step), Median(present)};
      if (threads != &two) continue;
      for (int i = 0; i < frames; ++i) {
        BusyStep(e, busy);
        frame = e.Snapshot(t);
      }
      hash = FrameHash(frame);
      same = FrameHash(e.Snapshot()) == hash;  // the same scene on both threads
    }
    ::unsetenv("VARNOK_ENGINE_DRAW_THREADS");
    double n = frames;
    std::printf("%s: busy level: processor time a frame on two drawing threads %.3f ms (least %.3f ms), on one "
                "%.3f ms (least %.3f ms); one thread, ms a frame: particles step %.3f, plan %.3f, particles %.3f, "
                "clear %.3f, sprites %.3f, additive %.3f, layer %.3f, text %.3f, present %.3f; frame %016llx%s\n",
                backend, two.cpu, two.least, one.cpu, one.least, two.step, t.plan / n, t.particles / n, t.clear / n,
                t.sprites / n, t.additive / n, t.layer / n, t.text / n, two.present, hash,
                same ? "" : " (two threads drew another frame!)");
  }
  if (video) video->Close();
  return 0;
}
