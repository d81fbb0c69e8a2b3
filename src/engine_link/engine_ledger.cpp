#include "engine_link/engine_ledger.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace engine_link {
namespace {

EngineLedger* active = nullptr;

}  // namespace

EngineLedger::EngineLedger(EHandle camera, std::map<std::string, EHandle> fonts)
    : engine_{::iCameraCreate,         ::iSpriteCreate,   ::iSpriteCreateFromMemory, ::iSpriteDestroy,
              ::iTextureCreate,        ::iTextureCreateFromMemory, ::iTextureDestroy, ::iSoundCreate,
              ::iSoundOggCreate,       ::iSoundStop,      ::iSoundDestroy,           ::iFontCreate,
              ::iParticleCreate,       ::iParticleDestroy, ::iParticleEmitterCreate, ::iParticleEmitterDestroy,
              ::iExit,                 ::iGameStateSet,   ::iPrintsHide,
              ::iMouseReset},
      camera_(camera),
      fonts_(std::move(fonts)) {
  if (active != nullptr) {
    std::fputs("varnok: a second engine ledger was begun\n", stderr);
    std::abort();
  }
  active = this;
  ::iCameraCreate = &CameraCreate;
  ::iSpriteCreate = &SpriteCreate;
  ::iSpriteCreateFromMemory = &SpriteCreateFromMemory;
  ::iSpriteDestroy = &SpriteDestroy;
  ::iTextureCreate = &TextureCreate;
  ::iTextureCreateFromMemory = &TextureCreateFromMemory;
  ::iTextureDestroy = &TextureDestroy;
  ::iSoundCreate = &SoundCreate;
  ::iSoundOggCreate = &SoundOggCreate;
  ::iSoundDestroy = &SoundDestroy;
  ::iFontCreate = &FontCreate;
  ::iParticleCreate = &ParticleCreate;
  ::iParticleDestroy = &ParticleDestroy;
  ::iParticleEmitterCreate = &ParticleEmitterCreate;
  ::iParticleEmitterDestroy = &ParticleEmitterDestroy;
  ::iExit = &Exit;
  ::iGameStateSet = &GameStateSet;
  ::iPrintsHide = &PrintsHide;
  ::iMouseReset = &MouseReset;
}

EngineLedger::~EngineLedger() {
  ::iCameraCreate = engine_.cameraCreate;
  ::iSpriteCreate = engine_.spriteCreate;
  ::iSpriteCreateFromMemory = engine_.spriteCreateFromMemory;
  ::iSpriteDestroy = engine_.spriteDestroy;
  ::iTextureCreate = engine_.textureCreate;
  ::iTextureCreateFromMemory = engine_.textureCreateFromMemory;
  ::iTextureDestroy = engine_.textureDestroy;
  ::iSoundCreate = engine_.soundCreate;
  ::iSoundOggCreate = engine_.soundOggCreate;
  ::iSoundDestroy = engine_.soundDestroy;
  ::iFontCreate = engine_.fontCreate;
  ::iParticleCreate = engine_.particleCreate;
  ::iParticleDestroy = engine_.particleDestroy;
  ::iParticleEmitterCreate = engine_.particleEmitterCreate;
  ::iParticleEmitterDestroy = engine_.particleEmitterDestroy;
  ::iExit = engine_.exit;
  ::iGameStateSet = engine_.gameStateSet;
  ::iPrintsHide = engine_.printsHide;
  ::iMouseReset = engine_.mouseReset;
  active = nullptr;
}

void EngineLedger::DestroyAll() {
  // Emitters before their systems, sprites before their textures.
  for (EHandle h : made_[kEmitter]) engine_.particleEmitterDestroy(h);
  for (EHandle h : made_[kParticles]) engine_.particleDestroy(h);
  for (EHandle h : made_[kSprite]) engine_.spriteDestroy(h);
  for (EHandle h : made_[kTexture]) engine_.textureDestroy(h);
  for (EHandle h : made_[kSound]) {
    engine_.soundStop(h, 0);
    engine_.soundDestroy(h);
  }
  for (auto& handles : made_) handles.clear();
}

size_t EngineLedger::Held() const {
  size_t held = 0;
  for (const auto& handles : made_) held += handles.size();
  return held;
}

EHandle EngineLedger::Note(Kind kind, EHandle handle) {
  if (handle != 0) active->made_[kind].push_back(handle);
  return handle;
}

void EngineLedger::Forget(Kind kind, EHandle handle) {
  auto& handles = active->made_[kind];
  if (auto it = std::find(handles.begin(), handles.end(), handle); it != handles.end()) handles.erase(it);
}

EHandle EngineLedger::CameraCreate(int32_t, int32_t, float, float) { return active->camera_; }

EHandle EngineLedger::SpriteCreate(const char* mesh, EHandle camera) {
  return Note(kSprite, active->engine_.spriteCreate(mesh, camera));
}

EHandle EngineLedger::SpriteCreateFromMemory(const void* bytes, int32_t size, int32_t u1, int32_t u2, int32_t id,
                                             EHandle camera) {
  return Note(kSprite, active->engine_.spriteCreateFromMemory(bytes, size, u1, u2, id, camera));
}

void EngineLedger::SpriteDestroy(EHandle sprite) {
  Forget(kSprite, sprite);
  active->engine_.spriteDestroy(sprite);
}

EHandle EngineLedger::TextureCreate(const char* file) { return Note(kTexture, active->engine_.textureCreate(file)); }

EHandle EngineLedger::TextureCreateFromMemory(const void* bytes, int32_t size, int32_t id) {
  return Note(kTexture, active->engine_.textureCreateFromMemory(bytes, size, id));
}

void EngineLedger::TextureDestroy(EHandle texture) {
  Forget(kTexture, texture);
  active->engine_.textureDestroy(texture);
}

EHandle EngineLedger::SoundCreate(const char* file, int32_t flags) {
  return Note(kSound, active->engine_.soundCreate(file, flags));
}

EHandle EngineLedger::SoundOggCreate(const char* file, int32_t flags1, int32_t flags2) {
  return Note(kSound, active->engine_.soundOggCreate(file, flags1, flags2));
}

void EngineLedger::SoundDestroy(EHandle sound) {
  Forget(kSound, sound);
  active->engine_.soundDestroy(sound);
}

EHandle EngineLedger::FontCreate(const char* file, EHandle camera) {
  // The engine cannot destroy a font: one of another file stays made.
  auto [it, added] = active->fonts_.try_emplace(file ? file : "", 0);
  if (added) it->second = active->engine_.fontCreate(file, camera);
  return it->second;
}

EHandle EngineLedger::ParticleCreate(const char* file, int32_t capacity) {
  return Note(kParticles, active->engine_.particleCreate(file, capacity));
}

void EngineLedger::ParticleDestroy(EHandle system) {
  Forget(kParticles, system);
  active->engine_.particleDestroy(system);
}

EHandle EngineLedger::ParticleEmitterCreate(EHandle system) {
  return Note(kEmitter, active->engine_.particleEmitterCreate(system));
}

void EngineLedger::ParticleEmitterDestroy(EHandle emitter) {
  Forget(kEmitter, emitter);
  active->engine_.particleEmitterDestroy(emitter);
}

void EngineLedger::Exit() {}

void EngineLedger::GameStateSet(int32_t) {}

void EngineLedger::MouseReset(const EngineVec*) {}

void EngineLedger::PrintsHide() {
  active->engine_.printsHide();
  if (active->afterPrintsHide) active->afterPrintsHide();
}

}  // namespace engine_link
