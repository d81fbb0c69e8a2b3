// ReplayWatch: a recorded run played back in the running game for the player
// to watch, from the high-score table or from a replay file. The run is made
// again as the verifier makes it (a context, a main form and a clock of its
// own, the player's files in memory, every self-restart of the run made
// again as a fresh process would), but through the engine that draws the
// game, so the watcher sees and hears it as it was played. Nothing of the
// game beside it changes: its context, clock and files are the watched
// run's only while a watched frame runs, and all the run made in the engine
// goes when the watch ends.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/run_end.h"
#include "core/frame_input.h"
#include "core/game_context.h"
#include "core/replay_file.h"
#include "engine_link/engine_ledger.h"
#include "platform/memory_player_files.h"
#include "platform/tick_clock.h"

namespace app {

inline constexpr int kWatchFastForward = 4;     // frames a frame while F is held
inline constexpr int kWatchEndHoldFrames = 120;  // the end stays this long before the table returns

// A replay file checked for watching: this game's version and data.
struct WatchableReplay {
  std::optional<core::Replay> replay;
  std::string why;  // one line for the player when there is no replay
  bool otherGame = false;  // made by another version of the game or with other data
};
// Reads and checks the file at `path`; `dataHash` is this game's (HashDataFiles).
WatchableReplay ReadWatchableReplay(const std::string& path, const core::Sha256& dataHash);

class ReplayWatch {
 public:
  // What the watch borrows from the game beside it.
  struct Host {
    EHandle camera = 0;
    EHandle mainFont = 0, secondFont = 0;
    uint8_t soundOn = 1, musicOn = 1;  // the watcher's, not the recorded player's
    // Puts the watch's own texts back after the watched game clears the prints.
    std::function<void()> printOverlay;
  };
  ReplayWatch(core::Replay replay, Host host);
  // The run's engine objects go with it.
  ~ReplayWatch();
  ReplayWatch(const ReplayWatch&) = delete;
  ReplayWatch& operator=(const ReplayWatch&) = delete;

  // One frame of the game: `viewer` is the watcher's own input (Space
  // pauses, F held runs four frames at once, Esc leaves). False once the
  // watch is over: left, or its run ended and was shown a moment.
  bool Frame(const core::FrameInput& viewer);
  bool Paused() const { return paused_; }
  bool FastForward() const { return fastForward_; }
  // How the run ended, once it has (as the verifier tells it).
  const std::optional<core::ReplayEnd>& End() const;
  // Why the run stopped before its end, when its frames did not fit the game.
  const std::string& Failure() const { return failure_; }

 private:
  struct Process;
  // Runs one recorded frame; false when the run has stopped.
  bool Step();
  void StartSegment(size_t index);
  void EndSegment();

  core::Replay replay_;
  Host host_;
  platform::MemoryPlayerFiles files_;
  platform::FakeTickClock clock_;
  engine_link::EngineLedger ledger_;
  ReplayedRunWatch observer_;  // the watched run's end, and each segment's seed
  std::unique_ptr<Process> process_;
  size_t segment_ = 0;
  size_t next_ = 0;       // the next frame of the segment
  bool stopped_ = false;  // the run ended, or its frames did not fit
  int heldFrames_ = 0;    // frames shown since it stopped
  bool paused_ = false;
  bool fastForward_ = false;
  std::string failure_;
};

}  // namespace app
