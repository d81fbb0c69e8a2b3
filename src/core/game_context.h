// The game's process-wide state in one place: the game state, the player's
// settings and records, the restart record, the random generator and the
// engine resources made at engine start. Game code reaches it through Ctx();
// tests install a fresh one with ScopedGameContext.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/controls.h"
#include "core/frame_input.h"
#include "core/game_state.h"
#include "core/random.h"
#include "core/restart_record.h"
#include "core/save_notices.h"
#include "core/shell.h"
#include "engine_link/engine_calls.h"
#include "engine_link/pad_reports.h"
#include "core/player_files.h"

namespace world {
class TGame;
class CombatHooks;
}
namespace menus {
struct TFrontEnd;
}

namespace core {

inline constexpr int kLoadingBarStages = 10;

// What the input steps remember from one frame to the next.
struct InputMemory {
  long double previousX = 0, previousY = 0;  // pointer at the last hover test
  bool altTabHeld = false;                   // Alt+Tab was already held last frame
  bool altEnterHeld = false;                 // Alt+Enter was already held last frame
};
inline constexpr int kCursorFrames = 15;

// Engine resources created by the init phase and kept for the process.
struct SharedResources {
  EHandle mainCamera = 0;
  EHandle mainFont = 0;                 // display face
  EHandle secondFont = 0;               // plain sans
  EHandle loadingPicture1 = 0;          // city loading screen
  EHandle loadingPicture2 = 0;          // train loading screen
  EHandle loadingBar = 0;               // sprite of the loading bar
  std::array<EHandle, kLoadingBarStages + 1> loadingBarTextures{};  // [1..10]
  EHandle menuBackground = 0;
  EHandle gameOverPicture = 0;
  EHandle cursorSprite = 0;
  std::array<EHandle, kCursorFrames + 1> cursorTextures{};          // [1..15]
  EHandle gameMusic = 0;
  EHandle menuMusic = 0;
  EHandle clickSound = 0;               // menus, on a change of selection
  EHandle stepSound = 0;
  EHandle gunSound = 0;                 // weapons 1, 2, 5
  EHandle laserSound = 0;               // weapon 3
  EHandle fireSound = 0;                // weapon 4
  EHandle railwaySound = 0;             // train levels
  EHandle hitSound = 0;
  EHandle heroDeathSound = 0;
  std::vector<uint8_t> spriteMesh;      // whole contents of "data\sprite.x"
};

struct GameContext {
  // Out of line: the world is only forward-declared here.
  GameContext();
  ~GameContext();
  GameContext(const GameContext&) = delete;
  GameContext& operator=(const GameContext&) = delete;

  GameStateCell gameState;
  core::TSettings ActiveSettings;      // values in force
  core::TSettings PendingSettings;     // the copy the options menu edits
  core::Controls controls = core::DefaultControls();  // the player's keys and pad buttons for play
  // The pad buttons pressed this frame, for the controls screen's capture
  // alone (it never runs in a recorded run, so replays need not hold them).
  std::bitset<engine_link::kPadButtons> padButtonsPressed;
  core::TRecordsTable records{};
  int32_t pendingRecordRank = 0;        // rank 1..10 a finished run enters at
  uint8_t musicChoice = 1;              // 1 menu music current, 0 game music
  bool pendingSoundRestore = false;     // sound and music muted by the hide key
  uint8_t rememberedSoundOn = 0;        // SoundOn before the hide key
  uint8_t rememberedMusicOn = 0;        // MusicOn before the hide key
  RestartRecord restart;                // last read or written restart record
  bool restarted = false;               // this process was started by a restart
  bool restartRecordPending = false;    // the record it was started by is still on disk, not used up
  RandomGenerator random;
  SharedResources res;
  int cursorFrame = 1;                  // 1..15
  uint32_t cursorTick = 0;              // tick of the last cursor step
  // Made by the layers above, which see these types: a shared_ptr takes its
  // deleter from where it was made, so the core never needs their definitions.
  std::shared_ptr<world::CombatHooks> combat;  // the fight, installed in the world it was made for
  std::shared_ptr<world::TGame> game;   // the game world, made with the main window
  std::shared_ptr<menus::TFrontEnd> frontEnd;  // the menus, made with the main window
  // The menu column goes when the play screen shows (set with the front end).
  std::function<void()> hideMenusForPlay;
  InputMemory input;                    // what the input steps keep between frames
  FrameInputReader frameInput;          // the input of the frame being run
  SaveNotices saveNotices;              // which kinds of file the player was told could not be saved
  Shell* shell = nullptr;               // the main window (or a test's fake) while it exists
};

// The current context.
GameContext& Ctx();

// Installs a fresh context for the lifetime of the object (tests).
class ScopedGameContext {
 public:
  ScopedGameContext();
  ~ScopedGameContext();
  ScopedGameContext(const ScopedGameContext&) = delete;
  ScopedGameContext& operator=(const ScopedGameContext&) = delete;
  GameContext& context() { return context_; }

 private:
  GameContext context_;
  GameContext* previous_;
};

// Makes `context` the current one for the lifetime of the object: a second
// game run on the frame thread beside the first (a replay watched in it).
class ContextSwitch {
 public:
  explicit ContextSwitch(GameContext& context);
  ~ContextSwitch();
  ContextSwitch(const ContextSwitch&) = delete;
  ContextSwitch& operator=(const ContextSwitch&) = delete;

 private:
  GameContext* previous_;
};

// Shorthands used all over the game.
inline uint8_t GameState() { return Ctx().gameState.Get(); }
inline void SetGameState(uint8_t state) { Ctx().gameState.Set(state); }
inline int32_t R(int32_t n) { return Ctx().random.R(n); }
// The frame's input: a key held, a key press (reported once), the click (once).
inline bool KeyHeld(int32_t code) { return Ctx().frameInput.KeyHeld(code); }
inline bool TakeKeyPress(int32_t code) { return Ctx().frameInput.TakeKeyPress(code); }
inline bool TakeClick() { return Ctx().frameInput.TakeClick(); }

}  // namespace core
