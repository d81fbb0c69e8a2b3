#include "engine_host.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "core/image.h"
#include "test_assets.h"

namespace spriteengine::testing {

bool LoadEngine(const std::string& path, EngineApi& api, std::string* error) {
  void* lib = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    *error = ::dlerror();
    return false;
  }
  bool ok = true;
#define VARNOK_TEST_RESOLVE(ret, name, params)                                  \
  api.name = reinterpret_cast<ret(*) params>(::dlsym(lib, #name));              \
  if (!api.name) {                                                              \
    ok = false;                                                                 \
    *error += std::string(#name) + " ";                                         \
  }
#define VARNOK_TEST_NOTHING(slot)
  VARNOK_ENGINE_TABLE(VARNOK_TEST_RESOLVE, VARNOK_TEST_NOTHING)
  VARNOK_ENGINE_PHASES(VARNOK_TEST_RESOLVE)
#undef VARNOK_TEST_RESOLVE
#undef VARNOK_TEST_NOTHING
  return ok;
}

bool RunHost(const EngineApi& api, const HostCallbacks& cb, bool fullScreen) {
  int32_t block[VARNOK_SETTINGS_BLOCK_SIZE] = {0, 0, 15360000, 0, fullScreen ? -1 : 0, -1};
  api.iEngineOpen(fullScreen ? 0 : 1, 0);
  bool opened = api.iEngineSettings(block) != 0;
  if (opened) {
    while (api.iEngineIsRendering()) {
      if (api.iEngineIsActive() ? api.iEngineMessage(0) : api.iEngineMessage(1)) continue;
      if (!api.iEngineIsActive() || !api.iEngineIsReady()) continue;
      api.iEngineMain();
      if (api.iEngineIsExecuting() && api.iEngineIsInitializing()) {
        api.iEngineInitBegin();
        if (cb.init) cb.init();
        api.iEngineInitEnd();
      }
      if (!api.iEngineIsRendering()) break;
      if (!api.iEngineIsSkippingRunPhase()) {
        api.iEngineRunBegin();
        if (cb.run) cb.run();
        api.iEngineRunEnd();
      }
      if (!api.iEngineIsSkippingRenderPhase()) api.iEngineRender();
    }
  }
  api.iEngineExitBegin();
  if (cb.exit) cb.exit();
  api.iEngineExitEnd();
  api.iEngineClose();
  return opened;
}

void WriteGoldenAssets(const std::string& folder) {
  ::mkdir((folder + "/data").c_str(), 0755);
  WriteFile(folder + "/data/sprite.x", SpriteMeshText());
  WriteFile(folder + "/data/red.dds", WriteDds(SolidImage(16, 16, 0xFFFF0000)));
  WriteFile(folder + "/data/green.dds", WriteDds(SolidImage(16, 16, 0xFF00FF00)));
  WriteFile(folder + "/data/blue.dds", WriteDds(SolidImage(16, 16, 0xFF0000FF)));
  WriteFile(folder + "/data/white.dds", WriteDds(SolidImage(16, 16, 0xFFFFFFFF)));
  WriteFile(folder + "/data/particle.dds", WriteDds(SoftParticleImage(64)));
  WriteFile(folder + "/data/font.wid", BlockFontBytes());
}

EHandle BuildGoldenScene(const EngineApi& api) {
  using L = GoldenLayout;
  EHandle camera = api.iCameraCreate(0, 0, 1.0f, 1.0f);
  EngineVec cameraAt{0, 0, -10};
  api.iCameraLocationSet(camera, &cameraAt);
  api.iCameraFovSet(camera, 45);
  api.iEscEnable(0);
  api.iTextureMipLevelsSet(1);
  EHandle red = api.iTextureCreate("data\\red.dds"), green = api.iTextureCreate("DATA\\Green.dds");
  EHandle blue = api.iTextureCreate("data\\blue.dds"), white = api.iTextureCreate("data\\white.dds");
  auto sprite = [&](EHandle texture, float x, float y, float w, float h) {
    EHandle s = api.iSpriteCreate("data\\Sprite.x", camera);
    api.iSpriteTextureSwap(s, texture);
    EngineVec at{x, y, 0}, scale{w, h, 0};
    api.iSpriteLocationSet(s, &at);
    api.iSpriteScaleSet(s, &scale);
    api.iSpriteShow(s);
    return s;
  };
  for (const auto& c : L::kCorners) sprite(red, c[0], c[1], 1, 1);
  sprite(green, 0, 0, 1, 1);
  EHandle rotated = sprite(red, L::kRotated[0], L::kRotated[1], 3, 0.5f);
  EngineVec turn{0, 0, 30};
  api.iSpriteOrientationSet(rotated, &turn);
  EHandle tinted = sprite(white, L::kTinted[0], L::kTinted[1], 1, 1);
  api.iSpriteColorSet(tinted, 0, 0.5f, 1, 1);
  sprite(blue, L::kHalfAlpha[0], L::kHalfAlpha[1], 2, 2);
  EHandle half = sprite(white, L::kHalfAlpha[0], L::kHalfAlpha[1], 1, 1);
  api.iSpriteColorSet(half, 1, 1, 1, 0.5f);
  // Created in the order 1, 0, 2: drawn 2, 0, 1.
  EHandle p1 = sprite(blue, L::kPriorities[0] + 0.5f, L::kPriorities[1], 1, 1);
  api.iSpritePrioritySet(p1, 1);
  EHandle p0 = sprite(green, L::kPriorities[0], L::kPriorities[1], 1, 1);
  api.iSpritePrioritySet(p0, 0);
  EHandle p2 = sprite(red, L::kPriorities[0] - 0.5f, L::kPriorities[1], 1, 1);
  api.iSpritePrioritySet(p2, 2);
  EHandle font = api.iFontCreate("data\\font.wid", camera);
  api.iPrintColorSet(1, 1, 0, 1);
  EngineVec textAt{L::kText[0], L::kText[1], 0}, textScale{0.5f, 0.5f, 0};
  api.iPrint("AB", &textAt, &textScale, 0.1f, font);
  EHandle particles = api.iParticleCreate("data\\particle.dds", 1000);
  api.iParticleRenderModeSet(particles, 1);
  EngineVec still{0, 0, 0};
  api.iParticleGravitySet(particles, &still);
  EngineVec orange{1, 0.5f, 0}, redColour{1, 0, 0};
  api.iParticleColorSet(particles, &orange, &redColour);
  api.iParticleLifeTimeSet(particles, 1);
  api.iParticleShow(particles);
  EHandle emitter = api.iParticleEmitterCreate(particles);
  EngineVec burstAt{L::kBurst[0] * 5.5f / 16, L::kBurst[1] * 5.5f / 16, 0};
  api.iParticleEmitterLocationSet(emitter, &burstAt);
  api.iParticleEmitterDirectionSet(emitter, &still, &still);
  api.iParticleEmitterSpeedSet(emitter, 1, 1);
  EngineVec size{1.0f, 1.0f, 0};
  api.iParticleEmitterScaleSet(emitter, &size, &size);
  return emitter;
}

Fire MakeFire(const EngineApi& api, float x, float y, float g, EngineVec startSize, EngineVec endSize) {
  Fire f;
  f.system = api.iParticleCreate("data\\particle.dds", 1000);
  api.iParticleRenderModeSet(f.system, 1);
  EngineVec gravity{x * 4.4f / 16, y * 4.4f / 16 + g, 8};
  api.iParticleGravitySet(f.system, &gravity);
  api.iParticleAirResistanceSet(f.system, -10);
  EngineVec c0{1, 0.5f, 0}, c1{1, 0, 0};
  api.iParticleColorSet(f.system, &c0, &c1);
  api.iParticleLifeTimeSet(f.system, 2);
  f.emitter = api.iParticleEmitterCreate(f.system);
  EngineVec at{x * 5.5f / 16, y * 5.5f / 16, 0}, zero{0, 0, 0};
  api.iParticleEmitterLocationSet(f.emitter, &at);
  api.iParticleEmitterDirectionSet(f.emitter, &zero, &zero);
  api.iParticleEmitterSpeedSet(f.emitter, 1, 1);
  api.iParticleEmitterScaleSet(f.emitter, &startSize, &endSize);
  api.iParticleShow(f.system);
  return f;
}

}  // namespace spriteengine::testing
