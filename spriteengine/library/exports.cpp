// The exported operations of SYSTEm.DLL: C linkage, by name, each a thin
// call into the process's one Engine.
#include <memory>
#include <vector>

#pragma GCC visibility push(default)
#include "spriteengine/engine_api.h"
#pragma GCC visibility pop

#include "core/engine.h"
#include "headless/headless_video.h"
#include "sdl/sdl_audio.h"
#include "sdl/sdl_codecs.h"
#include "sdl/sdl_video.h"
#include "sdl/window_place.h"

namespace spriteengine {
namespace {

Platform LibraryPlatform() {
  Platform p;
  p.makeVideo = [](const std::string& name) -> std::unique_ptr<VideoBackend> {
    if (name == "headless") return headless::MakeHeadlessVideo();
    return sdl::MakeSdlVideo();
  };
  p.makePlaceholder = [](const std::string& name) -> std::unique_ptr<PlaceholderWindow> {
    if (name == "headless") return nullptr;  // invisible: only the script's frames tick
    return sdl::MakeSdlPlaceholder();
  };
  p.makeAudio = [](const std::string& name) { return sdl::MakeMixerAudio(name == "headless"); };
  p.codecs = sdl::MakeSdlCodecs();
  return p;
}

// At load time, before the game starts any thread.
[[maybe_unused]] const bool kWindowPlaceReserved = (sdl::ReserveWindowPlaceVariable(), true);

// Never destroyed: the game's threads may still call in while the process ends.
Engine& E() {
  static Engine* engine = new Engine(LibraryPlatform());
  return *engine;
}

Vec3 V3(const EngineVec* v) { return v ? Vec3{v->x, v->y, v->z} : Vec3{}; }
Vec2 V2(const EngineVec* v) { return v ? Vec2{v->x, v->y} : Vec2{}; }

}  // namespace
}  // namespace spriteengine

using spriteengine::E;
using spriteengine::V2;
using spriteengine::V3;

extern "C" {

// camera
EHandle iCameraCreate(int32_t left, int32_t top, float width, float height) {
  return E().CameraCreate(left, top, width, height);
}
void iCameraLocationSet(EHandle camera, const EngineVec* location) { E().CameraLocationSet(camera, V3(location)); }
void iCameraFovSet(EHandle camera, float degrees) { E().CameraFovSet(camera, degrees); }

// sprites
EHandle iSpriteCreate(const char* meshFile, EHandle) { return E().SpriteCreate(meshFile); }
EHandle iSpriteCreateFromMemory(const void* bytes, int32_t size, int32_t, int32_t, int32_t resourceId, EHandle) {
  return E().SpriteCreateFromMemory(bytes, size, resourceId);
}
void iSpriteShow(EHandle sprite) { E().SpriteShow(sprite, true); }
void iSpriteHide(EHandle sprite) { E().SpriteShow(sprite, false); }
void iSpriteDestroy(EHandle sprite) { E().SpriteDestroy(sprite); }
void iSpriteTextureSet(EHandle sprite, EHandle texture) { E().SpriteTextureSet(sprite, texture); }
void iSpriteTextureSwap(EHandle sprite, EHandle texture) { E().SpriteTextureSet(sprite, texture); }
void iSpriteLocationSet(EHandle sprite, const EngineVec* location) { E().SpriteLocationSet(sprite, V3(location)); }
void iSpriteLocation(EHandle sprite, EngineVec* location) {
  if (!location) return;
  spriteengine::Vec3 v = E().SpriteLocation(sprite);
  *location = EngineVec{v.x, v.y, v.z};
}
void iSpriteScaleSet(EHandle sprite, const EngineVec* scale) { E().SpriteScaleSet(sprite, V2(scale)); }
void iSpriteOrientationSet(EHandle sprite, const EngineVec* orientation) {
  E().SpriteOrientationSet(sprite, V3(orientation).z);
}
void iSpriteColorSet(EHandle sprite, float r, float g, float b, float a) { E().SpriteColorSet(sprite, {r, g, b, a}); }
void iSpritePrioritySet(EHandle sprite, int32_t priority) { E().SpritePrioritySet(sprite, priority); }
void iSpriteTextureModeSet(EHandle sprite, int32_t mode) { E().SpriteTextureModeSet(sprite, mode); }
void iSpriteMipFilterModeSet(EHandle sprite, int32_t mode) { E().SpriteMipFilterModeSet(sprite, mode); }

// textures
EHandle iTextureCreate(const char* file) { return E().TextureCreate(file); }
EHandle iTextureCreateFromMemory(const void* bytes, int32_t size, int32_t resourceId) {
  return E().TextureCreateFromMemory(bytes, size, resourceId);
}
void iTextureDestroy(EHandle texture) { E().TextureDestroy(texture); }
void iTextureMipLevelsSet(int32_t levels) { E().TextureMipLevelsSet(levels); }

// sounds
EHandle iSoundCreate(const char* wavFile, int32_t) { return E().Sounds().Create(wavFile ? wavFile : "", false); }
EHandle iSoundOggCreate(const char* oggFile, int32_t, int32_t) {
  return E().Sounds().Create(oggFile ? oggFile : "", true);
}
void iSoundPlayNow(EHandle sound, int32_t loops) { E().Sounds().PlayNow(sound, loops); }
void iSoundPlay(EHandle sound, int32_t loops) { E().Sounds().Play(sound, loops); }
void iSoundStop(EHandle sound, int32_t) { E().Sounds().Stop(sound); }
EBool iSoundPlaying(EHandle sound) { return E().Sounds().IsPlaying(sound) ? 1 : 0; }
void iSoundDestroy(EHandle sound) { E().Sounds().Destroy(sound); }

// text
EHandle iFontCreate(const char* fontFile, EHandle) { return E().FontCreate(fontFile); }
void iPrintColorSet(float r, float g, float b, float a) { E().PrintColorSet({r, g, b, a}); }
void iPrint(const char* text, const EngineVec* location, const EngineVec* scale, float spacing, EHandle font) {
  E().Print(text, V2(location), V2(scale), spacing, font, false);
}
void iPrintCentered(const char* text, const EngineVec* location, const EngineVec* scale, float spacing, EHandle font,
                    int32_t) {
  E().Print(text, V2(location), V2(scale), spacing, font, true);
}
void iPrintsHide(void) { E().PrintsHide(); }

// input
EBool iKeyDown(int32_t scanCode) { return E().Input().IsKeyDown(scanCode) ? 1 : 0; }
EBool iKeyClick(int32_t scanCode) { return E().Input().TakeKeyClick(scanCode) ? 1 : 0; }
float iMouseX(void) { return E().Pointer().x; }
float iMouseY(void) { return E().Pointer().y; }
EBool iMouseButtonClick(int32_t button) { return E().Input().TakeMouseClick(button) ? 1 : 0; }
void iMouseReset(const EngineVec* position) { E().MouseReset(V2(position)); }
void iWindowsMouseHide(int32_t hide) { E().WindowsMouseHide(hide != 0); }
void iEscEnable(int32_t enable) { E().EscEnable(enable != 0); }

// particles
EHandle iParticleCreate(const char* textureFile, int32_t capacity) {
  return E().ParticleCreate(textureFile, capacity);
}
void iParticleRenderModeSet(EHandle system, int32_t mode) { E().ParticleRenderModeSet(system, mode); }
void iParticleGravitySet(EHandle system, const EngineVec* gravity) { E().ParticleGravitySet(system, V3(gravity)); }
void iParticleAirResistanceSet(EHandle system, float resistance) {
  E().ParticleAirResistanceSet(system, resistance);
}
void iParticleColorSet(EHandle system, const EngineVec* startColor, const EngineVec* endColor) {
  E().ParticleColorSet(system, V3(startColor), V3(endColor));
}
void iParticleLifeTimeSet(EHandle system, float seconds) { E().ParticleLifeTimeSet(system, seconds); }
void iParticleEnvMapCasterAdd(EHandle system) { E().ParticleEnvMapCasterAdd(system); }
void iParticleShow(EHandle system) { E().ParticleShow(system, true); }
void iParticleHide(EHandle system) { E().ParticleShow(system, false); }
void iParticleDestroy(EHandle system) { E().ParticleDestroy(system); }
EHandle iParticleEmitterCreate(EHandle system) { return E().ParticleEmitterCreate(system); }
void iParticleEmitterLocationSet(EHandle emitter, const EngineVec* location) {
  E().EmitterLocationSet(emitter, V3(location));
}
void iParticleEmitterDirectionSet(EHandle emitter, const EngineVec* min, const EngineVec* max) {
  E().EmitterDirectionSet(emitter, V3(min), V3(max));
}
void iParticleEmitterSpeedSet(EHandle emitter, float min, float max) { E().EmitterSpeedSet(emitter, min, max); }
void iParticleEmitterScaleSet(EHandle emitter, const EngineVec* startSize, const EngineVec* endSize) {
  E().EmitterScaleSet(emitter, V2(startSize), V2(endSize));
}
void iParticleEmitterEmit(EHandle emitter, int32_t count, int32_t) { E().EmitterEmit(emitter, count); }
void iParticleEmitterDestroy(EHandle emitter) { E().EmitterDestroy(emitter); }

// frame
void iRender(void) { E().Render(); }
void iScreenWipe(float r, float g, float b) { E().ScreenWipe(r, g, b); }
void iFrqSet(float secondsPerFrame) { E().FrqSet(secondsPerFrame); }
double iSystemTimer(void) { return E().SystemTimer(); }
void iExit(void) { E().Exit(); }
void iGameStateSet(int32_t state) { E().GameStateSet(state); }

// phases
EBool iEngineOpen(intptr_t window, int32_t flags) { return E().EngineOpen(window, flags) ? 1 : 0; }
EBool iEngineSettings(int32_t* block) { return E().EngineSettings(block) ? 1 : 0; }
EBool iEngineIsRendering(void) { return E().IsRendering() ? 1 : 0; }
EBool iEngineIsActive(void) { return E().IsActive() ? 1 : 0; }
EBool iEngineMessage(int32_t wait) { return E().Message(wait != 0) ? 1 : 0; }
EBool iEngineIsReady(void) { return E().IsReady() ? 1 : 0; }
void iEngineMain(void) { E().Main(); }
EBool iEngineIsExecuting(void) { return E().IsExecuting() ? 1 : 0; }
EBool iEngineIsInitializing(void) { return E().IsInitializing() ? 1 : 0; }
void iEngineInitBegin(void) { E().InitBegin(); }
void iEngineInitEnd(void) { E().InitEnd(); }
EBool iEngineErrorFlag(void) { return E().ErrorFlag() ? 1 : 0; }
EBool iEngineIsSkippingRunPhase(void) { return E().IsSkippingRunPhase() ? 1 : 0; }
void iEngineRunBegin(void) { E().RunBegin(); }
void iEngineRunEnd(void) { E().RunEnd(); }
EBool iEngineIsSkippingRenderPhase(void) { return E().IsSkippingRenderPhase() ? 1 : 0; }
void iEngineRender(void) { E().RenderPhase(); }
void iEngineExitBegin(void) { E().ExitBegin(); }
void iEngineExitEnd(void) { E().ExitEnd(); }
void iEngineClose(void) { E().EngineClose(); }
void i3DLocationToScreen(const EngineVec* world, EngineVec* screen) {
  if (!screen) return;
  spriteengine::Vec3 s = E().LocationToScreen(V3(world));
  *screen = EngineVec{s.x, s.y, s.z};
}
void iWindowLinkSet(const VarnokWindowLink* link) { E().WindowLinkSet(link); }
void iWindowCommand(int32_t command) { E().WindowCommand(command); }
int32_t iPadList(int32_t* pads, int32_t capacity) {
  const std::vector<int> list = E().PadList();
  for (int32_t i = 0; pads && i < capacity && i < static_cast<int32_t>(list.size()); ++i) pads[i] = list[i];
  return static_cast<int32_t>(list.size());
}
EBool iPadButtonDown(int32_t pad, int32_t button) { return E().PadButtonDown(pad, button) ? 1 : 0; }
EBool iPadButtonClick(int32_t pad, int32_t button) { return E().PadButtonClick(pad, button) ? 1 : 0; }
float iPadAxis(int32_t pad, int32_t axis) { return E().PadAxisValue(pad, axis); }
int64_t iEngineFrame(void) { return static_cast<int64_t>(E().ScriptFrame()); }

}  // extern "C"
