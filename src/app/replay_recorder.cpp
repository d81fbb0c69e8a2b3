#include "app/replay_recorder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
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

// Writes a packed replay the way every player file is written (temporary
// file, flush, rename); the folder is made first.
bool WriteReplayFile(const char* file, std::span<const uint8_t> bytes, core::SaveNotices& notices) {
  const std::string path = platform::PlayerFilePath(file);
  if (!platform::MemoryPlayerFiles::Holding(path)) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  }
  int error = 0;
  if (platform::WriteFileAtomic(path, bytes, &error)) return true;
  notices.Tell(core::SavedFile::kReplay, path, error);
  return false;
}

}  // namespace

ReplayRecorder::~ReplayRecorder() { WaitForWriter(); }

void ReplayRecorder::WaitForWriter() {
  if (writer_.joinable()) writer_.join();
}

void ReplayRecorder::StartHashingData() {
  if (!dataHash_.valid()) dataHash_ = std::async(std::launch::async, core::HashDataFiles).share();
}

void ReplayRecorder::RunStarted(const core::FrameInput& input) {
  // The data files are hashed while the level is played, not before it.
  StartHashingData();
  const core::GameContext& ctx = core::Ctx();
  core::Replay replay;
  replay.version = VARNOK_VERSION;
  std::memcpy(replay.settings.data(), &ctx.ActiveSettings, replay.settings.size());
  core::ReplaySegment first;
  first.seed = ctx.random.seed();
  first.startTicks = platform::GetTickCount();
  // The start frame: its rest (the level build, the first step) follows the start action.
  first.frames.push_back(input);
  replay.segments.push_back(std::move(first));
  replay_ = std::move(replay);
  frameOfThisSegment_ = true;
  platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
}

void ReplayRecorder::FrameBegun(const core::FrameInput& input) {
  if (!replay_) return;
  if (replay_->FrameCount() >= core::kMaxReplayFrames) {
    // Longer than any replay may be: the run goes on unrecorded.
    std::fprintf(stderr, "varnok: this run is too long to record; its replay stops here\n");
    Finish(core::RunOutcome::kEnded);
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
  if (const auto outcome = RunOutcomeOf(core::GameState())) Finish(*outcome);
}

void ReplayRecorder::RunClearing() {
  if (replay_) Finish(core::RunOutcome::kQuit);
}

void ReplayRecorder::Finish(core::RunOutcome outcome) {
  replay_->end = RunEndNow(outcome);
  WaitForWriter();
  StartHashingData();
  // Packing an hour of play takes a good part of a second: not on a frame.
  finished_.reset();
  writer_ = std::thread([this, replay = std::move(*replay_), hash = dataHash_, &notices = core::Ctx().saveNotices]() mutable {
    replay.dataHash = hash.get();
    FinishedRun run{replay.end.score, core::EncodeReplay(replay)};
    WriteReplayFile(kLastReplayFile, run.file, notices);
    platform::RemoveFile(platform::PlayerFilePath(kRestartReplayFile));
    finished_ = std::move(run);
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
  return WriteReplayFile(kRestartReplayFile, core::EncodeReplay(*replay_), core::Ctx().saveNotices);
}

void ReplayRecorder::ResumedAfterRestart() {
  replay_.reset();
  frameOfThisSegment_ = false;
  if (!core::GameInProgress(core::GameState())) return;
  const auto bytes = platform::ReadWholeFile(platform::PlayerFilePath(kRestartReplayFile), core::kMaxReplayBytes);
  if (!bytes) return;
  core::ReplayReadResult read = core::DecodeReplay(*bytes);
  if (!read.replay || read.replay->segments.empty()) {
    std::fprintf(stderr, "varnok: the run's replay could not be carried over (%s)\n", read.why.c_str());
    return;
  }
  replay_ = std::move(read.replay);
  // The file stays until this process has played a frame of the run, so a
  // start that never shows (quit while minimised) leaves it to the next.
  core::ReplaySegment segment;
  segment.seed = core::Ctx().random.seed();
  segment.startTicks = platform::GetTickCount();
  replay_->segments.push_back(std::move(segment));
}

std::optional<std::vector<uint8_t>> ReplayRecorder::FinishedRunReplay(int32_t score) {
  WaitForWriter();
  if (!finished_) {
    // Ended before a restart (the name entry is resumed): its file is all there is.
    auto bytes = platform::ReadWholeFile(platform::PlayerFilePath(kLastReplayFile), core::kMaxReplayBytes);
    if (!bytes) return std::nullopt;
    const core::ReplayReadResult read = core::DecodeReplay(*bytes);
    if (!read.replay) return std::nullopt;
    finished_ = FinishedRun{read.replay->end.score, std::move(*bytes)};
  }
  if (finished_->score != score) return std::nullopt;
  return finished_->file;
}

void ReplayRecorder::ProcessEnding(bool restarting) {
  // Never shown: the next start resumes the game, and the run with it.
  if (replay_ && !restarting && frameOfThisSegment_) Finish(core::RunOutcome::kEnded);
  WaitForWriter();
}

}  // namespace app
