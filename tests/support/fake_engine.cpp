#include "fake_engine.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace fake {
namespace {
FakeEngine* current = nullptr;

// The game calls the engine from its engine thread and its main thread.
std::recursive_mutex& Mutex() {
  static std::recursive_mutex mutex;
  return mutex;
}
using Guard = std::lock_guard<std::recursive_mutex>;

FakeEngine& F(const char* call) {
  current->calls.emplace_back(call);
  return *current;
}

Sprite* FindSprite(EHandle s) {
  auto it = current->sprites.find(s);
  return it == current->sprites.end() || it->second.destroyed ? nullptr : &it->second;
}

Sound* FindSound(EHandle s) {
  auto it = current->sounds.find(s);
  return it == current->sounds.end() || it->second.destroyed ? nullptr : &it->second;
}

ParticleSystem* FindSystem(EHandle s) {
  auto it = current->particles.find(s);
  return it == current->particles.end() || it->second.destroyed ? nullptr : &it->second;
}

EngineVec Vec(const EngineVec* v) { return v ? *v : EngineVec{0, 0, 0}; }

}  // namespace

namespace ops {
using namespace ::fake;

EHandle iCameraCreate(int32_t, int32_t, float, float) { Guard guard(Mutex()); return F("iCameraCreate").NewHandle(); }
void iCameraLocationSet(EHandle c, const EngineVec* v) { Guard guard(Mutex()); F("iCameraLocationSet").cameraLocations[c] = Vec(v); }
void iCameraFovSet(EHandle c, float fov) { Guard guard(Mutex()); F("iCameraFovSet").cameraFov[c] = fov; }

EHandle iSpriteCreate(const char* mesh, EHandle camera) { Guard guard(Mutex());
  FakeEngine& f = F("iSpriteCreate");
  const EHandle h = f.NewHandle();
  f.sprites[h].mesh = mesh ? mesh : "";
  f.sprites[h].camera = camera;
  return h;
}
EHandle iSpriteCreateFromMemory(const void*, int32_t, int32_t, int32_t, int32_t resourceId, EHandle camera) { Guard guard(Mutex());
  FakeEngine& f = F("iSpriteCreateFromMemory");
  const EHandle h = f.NewHandle();
  f.sprites[h].mesh = "memory:" + std::to_string(resourceId);
  f.sprites[h].camera = camera;
  return h;
}
void iSpriteShow(EHandle s) { Guard guard(Mutex()); F("iSpriteShow"); if (auto* p = FindSprite(s)) p->shown = true; }
void iSpriteHide(EHandle s) { Guard guard(Mutex()); F("iSpriteHide"); if (auto* p = FindSprite(s)) p->shown = false; }
void iSpriteDestroy(EHandle s) { Guard guard(Mutex()); F("iSpriteDestroy"); if (auto* p = FindSprite(s)) p->destroyed = true; }
void iSpriteTextureSet(EHandle s, EHandle t) { Guard guard(Mutex()); F("iSpriteTextureSet"); if (auto* p = FindSprite(s)) p->texture = t; }
void iSpriteTextureSwap(EHandle s, EHandle t) { Guard guard(Mutex()); F("iSpriteTextureSwap"); if (auto* p = FindSprite(s)) p->texture = t; }
void iSpriteLocationSet(EHandle s, const EngineVec* v) { Guard guard(Mutex()); F("iSpriteLocationSet"); if (auto* p = FindSprite(s)) p->location = Vec(v); }
void iSpriteLocation(EHandle s, EngineVec* out) { Guard guard(Mutex());
  F("iSpriteLocation");
  if (!out) return;
  if (auto* p = FindSprite(s)) *out = p->location; else *out = {0, 0, 0};
}
void iSpriteScaleSet(EHandle s, const EngineVec* v) { Guard guard(Mutex()); F("iSpriteScaleSet"); if (auto* p = FindSprite(s)) p->scale = Vec(v); }
void iSpriteOrientationSet(EHandle s, const EngineVec* v) { Guard guard(Mutex()); F("iSpriteOrientationSet"); if (auto* p = FindSprite(s)) p->orientation = Vec(v); }
void iSpriteColorSet(EHandle s, float r, float g, float b, float a) { Guard guard(Mutex());
  F("iSpriteColorSet");
  if (auto* p = FindSprite(s)) { p->color[0] = r; p->color[1] = g; p->color[2] = b; p->color[3] = a; }
}
void iSpritePrioritySet(EHandle s, int32_t priority) { Guard guard(Mutex()); F("iSpritePrioritySet"); if (auto* p = FindSprite(s)) p->priority = priority; }
void iSpriteTextureModeSet(EHandle s, int32_t mode) { Guard guard(Mutex()); F("iSpriteTextureModeSet"); if (auto* p = FindSprite(s)) p->textureMode = mode; }
void iSpriteMipFilterModeSet(EHandle s, int32_t mode) { Guard guard(Mutex()); F("iSpriteMipFilterModeSet"); if (auto* p = FindSprite(s)) p->mipFilterMode = mode; }

EHandle iTextureCreate(const char* file) { Guard guard(Mutex());
  FakeEngine& f = F("iTextureCreate");
  const EHandle h = f.NewHandle();
  f.textures[h] = file ? file : "";
  return h;
}
EHandle iTextureCreateFromMemory(const void*, int32_t, int32_t resourceId) { Guard guard(Mutex());
  FakeEngine& f = F("iTextureCreateFromMemory");
  const EHandle h = f.NewHandle();
  f.textures[h] = "memory:" + std::to_string(resourceId);
  return h;
}
void iTextureDestroy(EHandle t) { Guard guard(Mutex()); F("iTextureDestroy").textures.erase(t); }
void iTextureMipLevelsSet(int32_t n) { Guard guard(Mutex()); F("iTextureMipLevelsSet").mipLevels = n; }

EHandle NewSound(const char* call, const char* file, bool ogg) {
  FakeEngine& f = F(call);
  const EHandle h = f.NewHandle();
  f.sounds[h].file = file ? file : "";
  f.sounds[h].ogg = ogg;
  return h;
}
EHandle iSoundCreate(const char* file, int32_t) { Guard guard(Mutex()); return NewSound("iSoundCreate", file, false); }
EHandle iSoundOggCreate(const char* file, int32_t, int32_t) { Guard guard(Mutex()); return NewSound("iSoundOggCreate", file, true); }
void iSoundPlayNow(EHandle s, int32_t loops) { Guard guard(Mutex());
  F("iSoundPlayNow");
  if (auto* p = FindSound(s)) { p->playing = true; p->loops = loops; ++p->playCount; }
}
void iSoundPlay(EHandle s, int32_t loops) { Guard guard(Mutex());
  F("iSoundPlay");
  if (auto* p = FindSound(s); p && !p->playing) { p->playing = true; p->loops = loops; ++p->playCount; }
}
void iSoundStop(EHandle s, int32_t) { Guard guard(Mutex()); F("iSoundStop"); if (auto* p = FindSound(s)) p->playing = false; }
EBool iSoundPlaying(EHandle s) { Guard guard(Mutex()); F("iSoundPlaying"); auto* p = FindSound(s); return p && p->playing; }
void iSoundDestroy(EHandle s) { Guard guard(Mutex()); F("iSoundDestroy"); if (auto* p = FindSound(s)) p->destroyed = true; }

EHandle iFontCreate(const char* file, EHandle) { Guard guard(Mutex());
  FakeEngine& f = F("iFontCreate");
  const EHandle h = f.NewHandle();
  f.fonts[h] = file ? file : "";
  return h;
}
void iPrintColorSet(float r, float g, float b, float a) { Guard guard(Mutex());
  FakeEngine& f = F("iPrintColorSet");
  f.printColor[0] = r; f.printColor[1] = g; f.printColor[2] = b; f.printColor[3] = a;
}
void AddPrint(FakeEngine& f, const char* text, const EngineVec* loc, const EngineVec* scale, float spacing, EHandle font,
              bool centered) {
  Print p{text ? text : "", Vec(loc), Vec(scale), spacing, font, {}, centered};
  std::copy(std::begin(f.printColor), std::end(f.printColor), p.color);
  f.prints.push_back(p);
}
void iPrint(const char* text, const EngineVec* loc, const EngineVec* scale, float spacing, EHandle font) {
  Guard guard(Mutex());
  AddPrint(F("iPrint"), text, loc, scale, spacing, font, false);
}
void iPrintCentered(const char* text, const EngineVec* loc, const EngineVec* scale, float spacing, EHandle font,
                    int32_t) {
  Guard guard(Mutex());
  AddPrint(F("iPrintCentered"), text, loc, scale, spacing, font, true);
}
void iPrintsHide() { Guard guard(Mutex()); F("iPrintsHide").prints.clear(); }

EBool iKeyDown(int32_t code) { Guard guard(Mutex()); return F("iKeyDown").keysDown.count(code) > 0; }
EBool iKeyClick(int32_t code) { Guard guard(Mutex()); return F("iKeyClick").keysClicked.erase(code) > 0; }
float iMouseX() { Guard guard(Mutex()); return F("iMouseX").mouseX; }
float iMouseY() { Guard guard(Mutex()); return F("iMouseY").mouseY; }
EBool iMouseButtonClick(int32_t button) { Guard guard(Mutex());
  FakeEngine& f = F("iMouseButtonClick");
  if (button != 0 || f.mouseClicks == 0) return 0;
  --f.mouseClicks;
  return 1;
}
void iMouseReset(const EngineVec* v) { Guard guard(Mutex()); F("iMouseReset").mouseReset = Vec(v); }
void iWindowsMouseHide(int32_t hide) { Guard guard(Mutex()); F("iWindowsMouseHide").systemCursorHidden = hide != 0; }
void iEscEnable(int32_t enable) { Guard guard(Mutex()); F("iEscEnable").escEnabled = enable != 0; }

EHandle iParticleCreate(const char* texture, int32_t capacity) { Guard guard(Mutex());
  FakeEngine& f = F("iParticleCreate");
  const EHandle h = f.NewHandle();
  f.particles[h].texture = texture ? texture : "";
  f.particles[h].capacity = capacity;
  return h;
}
void iParticleRenderModeSet(EHandle, int32_t) { Guard guard(Mutex()); F("iParticleRenderModeSet"); }
void iParticleGravitySet(EHandle s, const EngineVec* g) { Guard guard(Mutex()); F("iParticleGravitySet"); if (auto* p = FindSystem(s)) p->gravity = Vec(g); }
void iParticleAirResistanceSet(EHandle, float) { Guard guard(Mutex()); F("iParticleAirResistanceSet"); }
void iParticleColorSet(EHandle, const EngineVec*, const EngineVec*) { Guard guard(Mutex()); F("iParticleColorSet"); }
void iParticleLifeTimeSet(EHandle, float) { Guard guard(Mutex()); F("iParticleLifeTimeSet"); }
void iParticleEnvMapCasterAdd(EHandle) { Guard guard(Mutex()); F("iParticleEnvMapCasterAdd"); }
void iParticleShow(EHandle s) { Guard guard(Mutex()); F("iParticleShow"); if (auto* p = FindSystem(s)) p->shown = true; }
void iParticleHide(EHandle s) { Guard guard(Mutex()); F("iParticleHide"); if (auto* p = FindSystem(s)) p->shown = false; }
void iParticleDestroy(EHandle s) { Guard guard(Mutex()); F("iParticleDestroy"); if (auto* p = FindSystem(s)) p->destroyed = true; }
EHandle iParticleEmitterCreate(EHandle system) { Guard guard(Mutex());
  FakeEngine& f = F("iParticleEmitterCreate");
  const EHandle h = f.NewHandle();
  f.emitters[h] = system;
  return h;
}
void iParticleEmitterLocationSet(EHandle e, const EngineVec* v) { Guard guard(Mutex()); F("iParticleEmitterLocationSet").emitterLocations[e] = Vec(v); }
void iParticleEmitterDirectionSet(EHandle, const EngineVec*, const EngineVec*) { Guard guard(Mutex()); F("iParticleEmitterDirectionSet"); }
void iParticleEmitterSpeedSet(EHandle, float, float) { Guard guard(Mutex()); F("iParticleEmitterSpeedSet"); }
void iParticleEmitterScaleSet(EHandle, const EngineVec*, const EngineVec*) { Guard guard(Mutex()); F("iParticleEmitterScaleSet"); }
void iParticleEmitterEmit(EHandle e, int32_t count, int32_t) { Guard guard(Mutex());
  FakeEngine& f = F("iParticleEmitterEmit");
  auto it = f.emitters.find(e);
  if (it != f.emitters.end()) {
    if (auto* p = FindSystem(it->second)) p->emitted += count;
  }
}
void iParticleEmitterDestroy(EHandle e) { Guard guard(Mutex()); F("iParticleEmitterDestroy").emitters.erase(e); }

void iRender() { Guard guard(Mutex()); ++F("iRender").renders; }
void iScreenWipe(float, float, float) { Guard guard(Mutex()); F("iScreenWipe"); }
void iFrqSet(float seconds) { Guard guard(Mutex()); F("iFrqSet").frameSeconds = seconds; }
double iSystemTimer() { Guard guard(Mutex()); return F("iSystemTimer").clock; }
void iExit() { Guard guard(Mutex()); ++F("iExit").exits; }
void iGameStateSet(int32_t state) { Guard guard(Mutex()); F("iGameStateSet").gameStates.push_back(state); }

}  // namespace ops

void FakeEngine::Install() {
  current = this;
  void* table[VARNOK_ENGINE_TABLE_SIZE] = {};
  int slot = 0;
#define VARNOK_FAKE_SLOT(ret, name, params) table[slot++] = reinterpret_cast<void*>(&ops::name);
#define VARNOK_FAKE_RESERVED(n) table[slot++] = nullptr;
  VARNOK_ENGINE_TABLE(VARNOK_FAKE_SLOT, VARNOK_FAKE_RESERVED)
#undef VARNOK_FAKE_SLOT
#undef VARNOK_FAKE_RESERVED
  LibInit(table);
}

void FakeEngine::Uninstall() {
  if (current != this) return;
  engine_link::ResetEngineCalls();
  current = nullptr;
}

FakeEngine::~FakeEngine() { Uninstall(); }

int FakeEngine::CountCalls(const std::string& name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

std::string FakeEngine::TextureFile(EHandle texture) const {
  auto it = textures.find(texture);
  return it == textures.end() ? "" : it->second;
}

std::vector<EHandle> FakeEngine::SpritesShowing(const std::string& file) const {
  std::vector<EHandle> result;
  for (const auto& [handle, sprite] : sprites) {
    if (!sprite.destroyed && TextureFile(sprite.texture) == file) result.push_back(handle);
  }
  return result;
}

const Sound* FakeEngine::SoundFor(const std::string& file) const {
  for (const auto& [handle, sound] : sounds) {
    if (!sound.destroyed && sound.file == file) return &sound;
  }
  return nullptr;
}

FakeEngine& Current() { return *current; }

}  // namespace fake
