// The engine as the game sees it: SYSTEm.DLL loaded with dlopen, every
// operation resolved by name, and the host's engine thread body around
// init/run/exit callbacks. Used by the golden, e2e and bench
// programs; also the golden scene they draw.
#pragma once

#include <functional>
#include <string>

#include "spriteengine/engine_api.h"

namespace spriteengine::testing {

struct EngineApi {
#define VARNOK_TEST_FIELD(ret, name, params) ret(*name) params = nullptr;
#define VARNOK_TEST_NOTHING(slot)
  VARNOK_ENGINE_TABLE(VARNOK_TEST_FIELD, VARNOK_TEST_NOTHING)
  VARNOK_ENGINE_PHASES(VARNOK_TEST_FIELD)
#undef VARNOK_TEST_FIELD
#undef VARNOK_TEST_NOTHING
};

// dlopens the library and resolves every operation; false (and `error`) if any is missing.
bool LoadEngine(const std::string& path, EngineApi& api, std::string* error);

struct HostCallbacks {
  std::function<void()> init, run, exit;
};

// The host's engine thread body, run on the calling thread. fullScreen sets
// settings value 4. Returns false when iEngineSettings refused.
bool RunHost(const EngineApi& api, const HostCallbacks& callbacks, bool fullScreen = false);

// Writes the golden scene's files into `folder` (data/sprite.x, data/*.dds,
// data/font.wid) so a game folder can be made there.
void WriteGoldenAssets(const std::string& folder);

// Creates the golden scene (files from WriteGoldenAssets, current directory
// = that folder): sprites at the four corners and the centre, rotated,
// tinted and half-transparent sprites, overlapping priorities, a print and a
// particle system. Returns the emitter of the particle burst.
EHandle BuildGoldenScene(const EngineApi& api);

// A fire as the game makes it (particle system, gravity
// (x 4.4/16, y 4.4/16 + g, 8), air resistance -10, orange to red, life 2,
// still emitter at (x 5.5/16, y 5.5/16, 0), sizes (1, 2) to (2, 4)), shown.
// Each frame the caller emits 10 particles from `emitter`.
struct Fire {
  EHandle system = 0, emitter = 0;
};
Fire MakeFire(const EngineApi& api, float x, float y, float g, EngineVec startSize = {1, 2, 0},
              EngineVec endSize = {2, 4, 0});

// Expected positions (sprite units) used by the checks.
struct GoldenLayout {
  static constexpr float kCorners[4][2] = {{-15, 11}, {15, 11}, {-15, -11}, {15, -11}};
  static constexpr float kRotated[2] = {-8, 5};      // red 3 x 0.5 bar at 30 degrees
  static constexpr float kTinted[2] = {-8, -2};      // white picture tinted (0, 0.5, 1)
  static constexpr float kHalfAlpha[2] = {8, 5};     // white at alpha 0.5 over blue
  static constexpr float kPriorities[2] = {0, -6};   // 2 (red) under 0 (green) under 1 (blue), offset 0.5
  static constexpr float kText[2] = {-6, 8};         // "AB" at scale 0.5
  static constexpr float kBurst[2] = {8, -6};        // particle burst (sprite units on screen)
};

}  // namespace spriteengine::testing
