// GameState: one byte that alone decides what a frame does. It is written by
// the frame thread, the main window's timers and the score client, so it is
// atomic; every change is also reported to the engine (for its test log).
#pragma once

#include <atomic>
#include <cstdint>

namespace app {

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
};

inline constexpr uint8_t kLastGameState = gsShareScreen;

// States in which a game is in progress (a restart saves the world in them).
constexpr bool GameInProgress(uint8_t state) {
  switch (state) {
    case gsPlaying: case gsPaused: case gsLevelIntro: case gsGameExitConfirm: case gsLevelBuild:
    case gsRecordButtons: case gsRecordName: case gsRecordAdd: case gsSubmitConfirm:
    case gsGameOverWait: case gsSubmitResult:
      return true;
    default:
      return false;
  }
}

// States in which the play screen is up (2, 12-15).
constexpr bool PlayScreenState(uint8_t state) {
  return state == gsPlaying || (state >= gsPaused && state <= gsLevelBuild);
}

class GameStateCell {
 public:
  uint8_t Get() const { return value_.load(std::memory_order_acquire); }
  // Stores the state and tells the engine when it changed.
  void Set(uint8_t state);

 private:
  std::atomic<uint8_t> value_{0};
};

}  // namespace app
