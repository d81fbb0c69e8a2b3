// Cost per frame of simulating and drawing particles and sprites, on the
// headless path (rasterise only) and, with --sdl under a display, also
// showing the frame in the SDL window; and of stretching the frame to the
// letterbox of common full screens. Prints medians in milliseconds.
//   engine_bench [--sdl] [--frames N] [--only fires|sprites|stretch]
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
  if (video) video->Close();
  return 0;
}
