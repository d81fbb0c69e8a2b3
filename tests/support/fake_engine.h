// A recording fake engine for tests: every operation of the engine's table
// records what the game asked for in plain state that tests inspect, and the
// input operations answer from state that tests script. Install() hands its
// table to the game's LibInit, exactly as the real library is handed over.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_link/engine_calls.h"

namespace fake {

struct Sprite {
  std::string mesh;            // file name, or "memory:<resource id>"
  EHandle camera = 0;
  bool shown = false;
  EHandle texture = 0;         // last texture set or swapped in
  EngineVec location{0, 0, 0};
  EngineVec scale{1, 1, 0};
  EngineVec orientation{0, 0, 0};
  float color[4] = {1, 1, 1, 1};
  int32_t priority = 0;
  int32_t textureMode = 0;
  int32_t mipFilterMode = 0;
  bool destroyed = false;
};

struct Sound {
  std::string file;
  bool ogg = false;
  bool playing = false;
  int32_t loops = 0;           // loops of the last start
  int playCount = 0;           // starts, by PlayNow or Play
  bool destroyed = false;
};

struct Print {
  std::string text;
  EngineVec location;
  EngineVec scale;
  float spacing;      // letter spacing
  EHandle font;
  float color[4];
  bool centered;
};

struct ParticleSystem {
  std::string texture;
  int32_t capacity = 0;
  bool shown = false;
  EngineVec gravity{0, 0, 0};
  int emitted = 0;             // particles asked for through its emitters
  bool destroyed = false;
};

class FakeEngine {
 public:
  // Hands the fake's operations to the game (LibInit) and makes it current.
  void Install();
  // Puts the game's call table back to doing nothing.
  void Uninstall();
  ~FakeEngine();

  // The engine clock (iSystemTimer) in seconds.
  double clock = 0;

  // Scripted input: keys held, keys clicked this frame, mouse and clicks.
  std::set<int32_t> keysDown;
  std::set<int32_t> keysClicked;   // consumed by iKeyClick
  float mouseX = -1, mouseY = -1;  // outside the frame until a test moves it
  int mouseClicks = 0;             // consumed by iMouseButtonClick(0)

  // Recorded state.
  std::map<EHandle, Sprite> sprites;
  std::map<EHandle, std::string> textures;       // handle -> file ("memory:<id>" from bytes)
  std::map<EHandle, Sound> sounds;
  std::map<EHandle, std::string> fonts;
  std::map<EHandle, ParticleSystem> particles;
  std::map<EHandle, EHandle> emitters;           // emitter -> system
  std::map<EHandle, EngineVec> emitterLocations; // emitter -> last location set
  std::vector<Print> prints;                     // since the last iPrintsHide
  std::vector<std::string> calls;                // every operation name, in order
  std::vector<int32_t> gameStates;               // every iGameStateSet
  float printColor[4] = {1, 1, 1, 1};
  int renders = 0;                               // iRender calls
  int exits = 0;                                 // iExit calls
  float frameSeconds = 0;                        // last iFrqSet
  int32_t mipLevels = 0;
  bool escEnabled = true;
  bool systemCursorHidden = false;
  EngineVec mouseReset{0, 0, 0};
  std::map<EHandle, EngineVec> cameraLocations;
  std::map<EHandle, float> cameraFov;

  // Helpers for assertions.
  int CountCalls(const std::string& name) const;
  // Handles of live sprites whose texture came from `file`.
  std::vector<EHandle> SpritesShowing(const std::string& file) const;
  std::string TextureFile(EHandle texture) const;
  const Sound* SoundFor(const std::string& file) const;
  EHandle NewHandle() { return nextHandle_++; }

 private:
  EHandle nextHandle_ = 1;
};

// The fake that the operations record into (the last installed).
FakeEngine& Current();

}  // namespace fake
