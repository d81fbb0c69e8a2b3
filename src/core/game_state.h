// GameState: one byte that alone decides what a frame does. It is written by
// the frame thread, the main window's timers and the score client, so it is
// atomic; every change is also reported to the engine (for its test log).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace core {

enum GameStateValue : uint8_t {
  gsPlaying = 2,               // a level is running
  gsMainMenu = 3,              // main menu
  gsOptions = 4,               // options menu
  gsHelp = 6,                  // help pages
  gsOptionsTextEdit = 7,       // options: typing the add text
  gsOptionsKeyCapture = 8,     // options: waiting for the hide hot key
  gsExitConfirm = 9,           // quit dialog over the main menu
  gsRecords = 10,              // high-score table
  gsRecordsResetConfirm = 11,  // clear-table dialog over the high-score table
  gsPaused = 12,               // game paused
  gsLevelIntro = 13,           // between lives or levels
  gsGameExitConfirm = 14,      // quit dialog during play
  gsLevelBuild = 15,           // the next frame builds a level
  gsRecordButtons = 17,        // high-score entry, focus on its buttons
  gsRecordName = 18,           // high-score entry, typing the name
  gsRecordAdd = 19,            // high-score entry, typing the add text
  gsGameOver = 21,             // last life lost
  gsSubmitConfirm = 22,        // after saving a record: submit online?
  gsGameOverWait = 23,         // waiting for the high-score check
  gsSubmitting = 24,           // score client running
  gsSubmitResult = 25,         // score client finished
  gsShareScreen = 26,          // exit promotion screen
  gsControls = 27,             // controls screen
  gsControlsCapture = 28,      // controls: waiting for a key or pad button, or offering a swap
};

inline constexpr uint8_t kLastGameState = gsControlsCapture;

// The screen a state belongs to: it does the state's frame work, and a
// restart brings it back for the state.
enum class StateScreen : uint8_t {
  kNone,         // a number the game never enters
  kPlay,         // the play screen with nothing over it
  kMainMenu,
  kOptions,      // beside the main menu column
  kHelp,         // beside the main menu column
  kRecords,      // beside the main menu column
  kDialog,       // the yes/no dialog, over the menus or over the lowered world
  kRecordEntry,  // the high-score entry over the lowered world
  kGameOver,
  kShareScreen,
  kControls,     // beside the main menu column
};

// The input step that takes a state's keys and clicks.
enum class StateInput : uint8_t {
  kNone,
  kPlaying,
  kPaused,
  kMainMenu,
  kOptions,
  kOptionsText,  // typing the add text
  kOptionsKey,   // capturing the hide hot key
  kHelp,
  kRecords,
  kDialog,
  kRecordEntry,
  kControls,
};

// What a state means to the rest of the game. Every flag is false for a
// number the game never enters, which is how such a number behaves.
struct GameStateTraits {
  StateScreen screen = StateScreen::kNone;
  StateInput input = StateInput::kNone;
  uint8_t resumesAs = 0;            // the state a restart resumes instead; 0 the state itself
  bool inProgress = false;          // a game is in progress: a restart saves the world
  bool playScreen = false;          // the play screen is up
  bool firesBurn = false;           // the fires burn and the HUD texts are printed
  bool railwayPlays = false;        // a train level's railway sound keeps looping
  bool mainMenuBeside = false;      // the main menu's highlight fades beside the screen
  bool cursorStill = false;         // the pointer's animation rests
  bool closeBoxAsksToQuit = false;  // the window's close box opens the quit dialog
  bool padPlays = false;            // the play layout: pads and the player's controls press the play keys
  bool ignoresHideKey = false;      // the hot key and Alt+Tab do not hide the game

  bool operator==(const GameStateTraits&) const = default;
};

namespace state_traits_detail {

using S = StateScreen;
using I = StateInput;

constexpr std::array<GameStateTraits, kLastGameState + 1> Table() {
  std::array<GameStateTraits, kLastGameState + 1> t{};
  t[gsPlaying] = {.screen = S::kPlay, .input = I::kPlaying, .inProgress = true, .playScreen = true,
                  .firesBurn = true, .railwayPlays = true, .cursorStill = true, .padPlays = true};
  t[gsMainMenu] = {.screen = S::kMainMenu, .input = I::kMainMenu, .mainMenuBeside = true,
                   .closeBoxAsksToQuit = true};
  t[gsOptions] = {.screen = S::kOptions, .input = I::kOptions, .mainMenuBeside = true, .closeBoxAsksToQuit = true};
  t[gsHelp] = {.screen = S::kHelp, .input = I::kHelp, .mainMenuBeside = true, .closeBoxAsksToQuit = true};
  t[gsOptionsTextEdit] = {.screen = S::kOptions, .input = I::kOptionsText, .closeBoxAsksToQuit = true};
  t[gsOptionsKeyCapture] = {.screen = S::kOptions, .input = I::kOptionsKey, .closeBoxAsksToQuit = true,
                            .ignoresHideKey = true};
  t[gsExitConfirm] = {.screen = S::kDialog, .input = I::kDialog};
  t[gsRecords] = {.screen = S::kRecords, .input = I::kRecords, .mainMenuBeside = true, .closeBoxAsksToQuit = true};
  t[gsRecordsResetConfirm] = {.screen = S::kDialog, .input = I::kDialog, .closeBoxAsksToQuit = true};
  t[gsPaused] = {.screen = S::kPlay, .input = I::kPaused, .inProgress = true, .playScreen = true,
                 .firesBurn = true, .cursorStill = true, .padPlays = true};
  t[gsLevelIntro] = {.screen = S::kPlay, .inProgress = true, .playScreen = true, .cursorStill = true,
                     .padPlays = true};
  t[gsGameExitConfirm] = {.screen = S::kDialog, .input = I::kDialog, .inProgress = true, .playScreen = true,
                          .firesBurn = true, .railwayPlays = true};
  t[gsLevelBuild] = {.screen = S::kPlay, .inProgress = true, .playScreen = true, .padPlays = true};
  t[gsRecordButtons] = {.screen = S::kRecordEntry, .input = I::kRecordEntry, .inProgress = true};
  t[gsRecordName] = {.screen = S::kRecordEntry, .input = I::kRecordEntry, .inProgress = true};
  t[gsRecordAdd] = {.screen = S::kRecordEntry, .input = I::kRecordEntry, .inProgress = true};
  // A restart during the last life's fall brings the wait for the records check.
  t[gsGameOver] = {.screen = S::kGameOver, .resumesAs = gsGameOverWait, .cursorStill = true, .ignoresHideKey = true};
  t[gsSubmitConfirm] = {.screen = S::kDialog, .input = I::kDialog, .inProgress = true};
  t[gsGameOverWait] = {.screen = S::kGameOver, .inProgress = true};
  // A submission cut by a restart is offered again.
  t[gsSubmitting] = {.screen = S::kDialog, .resumesAs = gsSubmitResult};
  t[gsSubmitResult] = {.screen = S::kDialog, .input = I::kDialog, .inProgress = true};
  t[gsShareScreen] = {.screen = S::kShareScreen};
  t[gsControls] = {.screen = S::kControls, .input = I::kControls, .mainMenuBeside = true, .closeBoxAsksToQuit = true};
  // A restart while a key is awaited comes back to the screen without waiting.
  t[gsControlsCapture] = {.screen = S::kControls, .input = I::kControls, .resumesAs = gsControls,
                          .closeBoxAsksToQuit = true, .ignoresHideKey = true};
  return t;
}

inline constexpr std::array<GameStateTraits, kLastGameState + 1> kTable = Table();
inline constexpr GameStateTraits kUnknown{};

}  // namespace state_traits_detail

// The traits of any byte (a number the game never enters has none).
constexpr const GameStateTraits& TraitsOf(uint8_t state) {
  return state <= kLastGameState ? state_traits_detail::kTable[state] : state_traits_detail::kUnknown;
}

// A state the game enters (a restart record naming another is refused).
constexpr bool EnteredState(uint8_t state) { return TraitsOf(state).screen != StateScreen::kNone; }

// States in which a game is in progress (a restart saves the world in them).
constexpr bool GameInProgress(uint8_t state) { return TraitsOf(state).inProgress; }

// States in which the play screen is up (2, 12-15).
constexpr bool PlayScreenState(uint8_t state) { return TraitsOf(state).playScreen; }

class GameStateCell {
 public:
  uint8_t Get() const { return value_.load(std::memory_order_acquire); }
  // Stores the state and tells the engine when it changed.
  void Set(uint8_t state);

 private:
  std::atomic<uint8_t> value_{0};
};

}  // namespace core
