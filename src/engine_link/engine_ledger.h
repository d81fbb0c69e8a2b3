// EngineLedger: lets a second game run in the engine beside the first one (a
// replay watched from the high-score table) and leave nothing behind. While
// it lives, every sprite, texture, sound, particle system and emitter the
// game makes is noted, and DestroyAll takes them all away again. What
// cannot be taken away is shared instead: a camera asked for is the one
// given (the engine draws through the last camera made, which must stay the
// game's), and so is a font of a file the owner has already made. Ending
// the engine, reporting game states and placing the pointer belong to the
// game that owns the engine, so they are ignored meanwhile. The owner's own texts can be put
// back each time the game clears the prints.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine_link/engine_calls.h"

namespace engine_link {

class EngineLedger {
 public:
  // Installs the ledger's calls (one ledger at a time, on the frame thread).
  // `camera` and `fonts` (by file) are the owner's, handed out for new ones.
  EngineLedger(EHandle camera, std::map<std::string, EHandle> fonts);
  // Puts the engine's own calls back; what was made stays (see DestroyAll).
  ~EngineLedger();
  EngineLedger(const EngineLedger&) = delete;
  EngineLedger& operator=(const EngineLedger&) = delete;

  // Destroys everything made since the ledger began or since the last call.
  void DestroyAll();
  // Called right after each iPrintsHide of the game (the owner's texts).
  std::function<void()> afterPrintsHide;
  // Things made and not yet destroyed (tests).
  size_t Held() const;

 private:
  enum Kind { kSprite, kTexture, kSound, kParticles, kEmitter, kKinds };
  static EHandle Note(Kind kind, EHandle handle);
  static void Forget(Kind kind, EHandle handle);

  static EHandle CameraCreate(int32_t, int32_t, float, float);
  static EHandle SpriteCreate(const char* mesh, EHandle camera);
  static EHandle SpriteCreateFromMemory(const void* bytes, int32_t size, int32_t u1, int32_t u2, int32_t id,
                                        EHandle camera);
  static void SpriteDestroy(EHandle sprite);
  static EHandle TextureCreate(const char* file);
  static EHandle TextureCreateFromMemory(const void* bytes, int32_t size, int32_t id);
  static void TextureDestroy(EHandle texture);
  static EHandle SoundCreate(const char* file, int32_t flags);
  static EHandle SoundOggCreate(const char* file, int32_t flags1, int32_t flags2);
  static void SoundDestroy(EHandle sound);
  static EHandle FontCreate(const char* file, EHandle camera);
  static EHandle ParticleCreate(const char* file, int32_t capacity);
  static void ParticleDestroy(EHandle system);
  static EHandle ParticleEmitterCreate(EHandle system);
  static void ParticleEmitterDestroy(EHandle emitter);
  static void Exit();
  static void GameStateSet(int32_t);
  static void PrintsHide();
  static void MouseReset(const EngineVec*);

  // The engine's own calls, put back at the end.
  struct Calls {
    decltype(::iCameraCreate) cameraCreate;
    decltype(::iSpriteCreate) spriteCreate;
    decltype(::iSpriteCreateFromMemory) spriteCreateFromMemory;
    decltype(::iSpriteDestroy) spriteDestroy;
    decltype(::iTextureCreate) textureCreate;
    decltype(::iTextureCreateFromMemory) textureCreateFromMemory;
    decltype(::iTextureDestroy) textureDestroy;
    decltype(::iSoundCreate) soundCreate;
    decltype(::iSoundOggCreate) soundOggCreate;
    decltype(::iSoundStop) soundStop;
    decltype(::iSoundDestroy) soundDestroy;
    decltype(::iFontCreate) fontCreate;
    decltype(::iParticleCreate) particleCreate;
    decltype(::iParticleDestroy) particleDestroy;
    decltype(::iParticleEmitterCreate) particleEmitterCreate;
    decltype(::iParticleEmitterDestroy) particleEmitterDestroy;
    decltype(::iExit) exit;
    decltype(::iGameStateSet) gameStateSet;
    decltype(::iPrintsHide) printsHide;
    decltype(::iMouseReset) mouseReset;
  };
  Calls engine_;
  EHandle camera_;
  std::map<std::string, EHandle> fonts_;
  std::vector<EHandle> made_[kKinds];  // in the order made
};

}  // namespace engine_link
