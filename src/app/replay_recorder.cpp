#include "app/replay_recorder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/run_end.h"
#include "core/data_hash.h"
#include "core/game_context.h"
#include "platform/file_io.h"
#include "platform/memory_player_files.h"
#include "platform/player_path.h"
#include "platform/tick_clock.h"

namespace app {
namespace {

// Writes a replay the way every player file is written (temporary file,
// flush, rename); the folder is made first.
bool WriteReplayFile(const char* file, std::span<const uint8_t> bytes, SaveNotices& notices) {
  const std::string path = platform::PlayerFilePath(file);
  if (!platform::MemoryPlayerFiles::Holding(path)) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  }
  int error = 0;
  if (platform::WriteFileAtomic(path, bytes, &error)) return true;
  notices.Tell(SavedFile::kReplay, path, error);
  return false;
}

}  // namespace

ReplayRecorder::~ReplayRecorder() { WaitForWriter(); }

void ReplayRecorder::WaitForWriter() {
  if (writer_.joinable()) writer_.join();
}

void ReplayRecorder::StartHashingData() {
  if (!dataHash_.valid()) dataHash_ = std::async(std::launch::async, HashDataFiles).share();
}

void ReplayRecorder::RunStarted(const FrameInput& input) {
  // The data files are hashed while the level is played, not before it.
  StartHashingData();
  const GameContext& ctx = Ctx();
  Replay replay;
  replay.version = VARNOK_VERSION;
  std::memcpy(replay.settings.data(), &ctx.ActiveSettings, replay.settings.size());
  ReplaySegment first;
  first.seed = ctx.random.seed();
  first.startTicks = platform::GetTickCount();
  // The start frame: its rest (the level build, the first step) follows the start action.
  first.frames.push_back(input);
  replay.segments.push_back(std::move(first));
  replay_ = std::move(replay);
  frameOfThisSegment_ = true;
  platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
}

void ReplayRecorder::FrameBegun(const FrameInput& input) {
  if (!replay_) return;
  if (replay_->FrameCount() >= kMaxReplayFrames) {
    // Longer than any replay may be: the run goes on unrecorded.
    std::fprintf(stderr, "varnok: this run is too long to record; its replay stops here\n");
    Finish(RunOutcome::kEnded);
    return;
  }
  replay_->segments.back().frames.push_back(input);
  if (!frameOfThisSegment_) {
    // Carried over and playing: the run waits for no later start any more.
    platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
    frameOfThisSegment_ = true;
  }
}

void ReplayRecorder::FrameEnded() {
  if (!replay_) return;
  if (const auto outcome = RunOutcomeOf(GameState())) Finish(*outcome);
}

void ReplayRecorder::RunClearing() {
  if (replay_) Finish(RunOutcome::kQuit);
}

void ReplayRecorder::Finish(RunOutcome outcome) {
  replay_->end = RunEndNow(outcome);
  WaitForWriter();
  StartHashingData();
  // Packing an hour of play takes a good part of a second: not on a frame.
  writer_ = std::thread([replay = std::move(*replay_), hash = dataHash_, &notices = Ctx().saveNotices,
                         &finished = finished_]() mutable {
    replay.dataHash = hash.get();
    finished = EncodeReplay(replay);
    WriteReplayFile(kLastReplayFile, finished, notices);
    platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
  });
  replay_.reset();
}

bool ReplayRecorder::SaveForRestart() {
  // A finished run's writer must not remove what this restart saves.
  WaitForWriter();
  if (!replay_) {
    // No run goes with this restart: none left from another may seem to.
    platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
    return true;
  }
  StartHashingData();
  replay_->dataHash = dataHash_.get();
  return WriteReplayFile(kRestartReplayFile, EncodeReplay(*replay_), Ctx().saveNotices);
}

void ReplayRecorder::ResumedAfterRestart() {
  replay_.reset();
  frameOfThisSegment_ = false;
  if (!GameInProgress(GameState())) return;
  const auto bytes = platform::ReadWholeFile(platform::PlayerFilePath(kRestartReplayFile), kMaxReplayBytes);
  if (!bytes) return;
  ReplayReadResult read = DecodeReplay(*bytes);
  if (!read.replay || read.replay->segments.empty()) {
    std::fprintf(stderr, "varnok: the run's replay could not be carried over (%s)\n", read.why.c_str());
    return;
  }
  replay_ = std::move(read.replay);
  // The file stays until this process has played a frame of the run, so a
  // start that never shows (quit while minimised) leaves it to the next.
  ReplaySegment segment;
  segment.seed = Ctx().random.seed();
  segment.startTicks = platform::GetTickCount();
  replay_->segments.push_back(std::move(segment));
}

std::string ReplayRecorder::FinishedRunFile(size_t maxBytes) {
  WaitForWriter();
  if (finished_.size() > maxBytes) return {};
  return std::string(finished_.begin(), finished_.end());
}

void ReplayRecorder::ProcessEnding(bool restarting) {
  // Never shown: the next start resumes the game, and the run with it.
  if (replay_ && !restarting && frameOfThisSegment_) Finish(RunOutcome::kEnded);
  WaitForWriter();
}

}  // namespace app
