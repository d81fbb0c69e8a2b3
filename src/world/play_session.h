// PlaySession: the run between its levels. The hero reports a finished level
// or a lost life (the pause before the next level's build) and a lost game
// (the game-over picture, then the wait before the records check); the
// session times each pause on the game's clock and, at the start of the
// frame it falls due in, does what comes after it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace world {

inline constexpr uint32_t kLevelTransitionMs = 2000;  // a finished level or a lost life, before the next build
inline constexpr uint32_t kGameOverMs = 1000;         // the game-over picture, before the wait
inline constexpr uint32_t kRecordsCheckMs = 2000;     // the wait, before the records check

class TGame;

class PlaySession {
 public:
  explicit PlaySession(TGame& game) : game_(game) {}

  // The hero's reports.
  void LevelLeft();  // a finished level or a lost life: the pause before the next build
  void GameLost();   // the last life: the game-over pause
  // A game resumed on its game-over screen waits for the records check from now.
  void AwaitRecordsCheck();

  // At the start of every frame, before its work: the pauses that are over.
  void FrameStart();

  // The records check at the end of a lost game, installed by the menus'
  // owner: true when it opened the name entry (a score for the table).
  std::function<bool()> recordsCheck;

 private:
  TGame& game_;
  // When each pause began (the game's clock), while it lasts.
  std::optional<uint32_t> levelPauseSince_, gameOverSince_, recordsWaitSince_;
};

}  // namespace world
