// ReplayRecorder: records every run as it is played, from the main menu's
// start to the game over or the quit to the menu, and keeps the run that
// ended last in the player folder as "data\replays\last.vreplay". A run that
// a self-restart carries into the next process goes on in the same
// recording: the run so far waits beside the world snapshot.
#pragma once

#include <future>
#include <optional>
#include <thread>

#include "app/run_observer.h"
#include "core/replay_file.h"

namespace app {

inline constexpr const char* kLastReplayFile = "data\\replays\\last.vreplay";
// The run so far, while a self-restart carries it to the next process.
inline constexpr const char* kRestartReplayFile = "data\\replays\\restart.vreplay";

class ReplayRecorder final : public RunObserver {
 public:
  ReplayRecorder() = default;
  // Waits for the last run's file to be written.
  ~ReplayRecorder() override;
  ReplayRecorder(const ReplayRecorder&) = delete;
  ReplayRecorder& operator=(const ReplayRecorder&) = delete;

  void FrameBegun(const core::FrameInput& input) override;
  void RunStarted(const core::FrameInput& input) override;
  void FrameEnded() override;
  void RunClearing() override;
  bool SaveForRestart() override;
  void ResumedAfterRestart() override;

  // The process ends (its window closed) with `restarting` when a
  // self-restart carries the game on. A run cut short is kept as ended; one
  // whose process never showed a frame stays for the next start to resume.
  void ProcessEnding(bool restarting);
  // The run that ended last, packed as its file holds it, when it ended
  // with `score`; the file is read when the run ended in an earlier process.
  std::optional<std::vector<uint8_t>> FinishedRunReplay(int32_t score) override;
  void FinishWrites() override { WaitForWriter(); }

  bool Recording() const { return replay_.has_value(); }
  // The run being recorded (tests).
  const std::optional<core::Replay>& replay() const { return replay_; }

 private:
  void Finish(core::RunOutcome outcome);
  void StartHashingData();
  // Waits until a finished run's file is written.
  void WaitForWriter();

  std::optional<core::Replay> replay_;   // the run in progress, if any
  bool frameOfThisSegment_ = false;  // a frame of this process went into the recording
  std::shared_future<core::Sha256> dataHash_;  // worked out beside the first run's play
  std::thread writer_;             // packs and writes a finished run away from the frames
  // The last finished run, packed (written by the writer; read after it is joined).
  struct FinishedRun {
    int32_t score = 0;
    std::vector<uint8_t> file;
  };
  std::optional<FinishedRun> finished_;
};

}  // namespace app
