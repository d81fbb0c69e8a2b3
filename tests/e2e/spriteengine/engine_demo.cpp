// A test program (not the game) that loads SYSTEm.DLL like the game, runs
// the host's engine thread body and draws the golden scene plus fires.
// Reports every key it sees and the frame intervals on standard output:
//   key CODE frame N
//   frames N median_ms X p99_ms Y
// Usage: engine_demo FOLDER SECONDS [FIRES [full|window [still]]]   (FOLDER gets the
// scene's files; "full" opens the desktop full screen; "still" emits no
// bursts, so with no fires the picture does not change)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine_host.h"

using namespace spriteengine::testing;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER SECONDS [FIRES]\n", argv[0]);
    return 2;
  }
  std::string folder = argv[1];
  double seconds = std::atof(argv[2]);
  int fireCount = argc > 3 ? std::atoi(argv[3]) : 2;
  bool fullScreen = argc > 4 && std::string(argv[4]) == "full";
  bool still = argc > 5 && std::string(argv[5]) == "still";
  WriteGoldenAssets(folder);
  if (::chdir(folder.c_str()) != 0) return 2;
  EngineApi api;
  std::string error;
  if (!LoadEngine(SPRITEENGINE_DLL, api, &error)) {
    std::fprintf(stderr, "cannot load the engine: %s\n", error.c_str());
    return 1;
  }
  std::vector<Fire> fires;
  EHandle burst = 0;
  std::vector<double> times;
  int frame = 0;
  HostCallbacks cb;
  cb.init = [&] {
    burst = BuildGoldenScene(api);
    // Fires along the bottom, like window and round fires on a street.
    // The game's fire shapes: default, wide window, car, ember.
    const EngineVec shapes[4][2] = {{{1, 2, 0}, {2, 4, 0}}, {{1.5f, 3, 0}, {4, 8, 0}}, {{2, 2, 0}, {4, 4, 0}},
                                    {{1.4f, 1.4f, 0}, {2.8f, 2.8f, 0}}};
    for (int i = 0; i < fireCount; ++i) {
      float x = fireCount == 1 ? 0 : -12 + 24.0f * i / (fireCount - 1);
      fires.push_back(MakeFire(api, x, -9, i % 2 ? 0.5f : 1.0f, shapes[i % 4][0], shapes[i % 4][1]));
    }
    api.iFrqSet(0.015f);
    std::printf("init\n");
    std::fflush(stdout);
  };
  cb.run = [&] {
    ++frame;
    times.push_back(api.iSystemTimer());
    for (int code = 1; code < 256; ++code)
      if (api.iKeyClick(code)) std::printf("key %d frame %d\n", code, frame);
    if (api.iMouseButtonClick(0)) std::printf("click frame %d x %.3f y %.3f\n", frame, api.iMouseX(), api.iMouseY());
    std::fflush(stdout);
    for (const Fire& f : fires) api.iParticleEmitterEmit(f.emitter, 10, 1);
    if (frame % 60 == 1 && !still) api.iParticleEmitterEmit(burst, 40, 1);
    if (times.back() - times.front() >= seconds) api.iExit();
  };
  if (!RunHost(api, cb, fullScreen)) {
    std::printf("refused\n");
    return 1;
  }
  std::vector<double> gaps;
  for (size_t i = 1; i < times.size(); ++i) gaps.push_back((times[i] - times[i - 1]) * 1000);
  std::sort(gaps.begin(), gaps.end());
  if (gaps.empty()) gaps.push_back(0);
  std::printf("frames %zu median_ms %.3f p99_ms %.3f\n", times.size(), gaps[gaps.size() / 2],
              gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)]);
  return 0;
}
