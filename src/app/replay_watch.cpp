#include "app/replay_watch.h"

#include <cstdio>

#include "app/main_form.h"
#include "app/run_end.h"
#include "core/game_files.h"
#include "engine_link/engine_library.h"
#include "engine_link/scan_codes.h"
#include "menus/front_end.h"
#include "platform/file_io.h"
#include "platform/player_path.h"

namespace app {
namespace {

constexpr int32_t kSpaceKey = 0x39, kFKey = 0x21;

}  // namespace

WatchableReplay ReadWatchableReplay(const std::string& path, const core::Sha256& dataHash) {
  WatchableReplay watchable;
  const auto bytes = platform::ReadWholeFile(path, core::kMaxReplayBytes);
  if (!bytes) {
    watchable.why = "The replay cannot be read: it is missing, not a file, or too large.";
    return watchable;
  }
  core::ReplayReadResult read = core::DecodeReplay(*bytes);
  watchable.otherGame = read.error == core::ReplayReadError::kOtherFormat ||
                        (read.replay && (read.replay->version != VARNOK_VERSION || read.replay->dataHash != dataHash));
  if (!read.replay) {
    watchable.why = read.error == core::ReplayReadError::kOtherFormat
                        ? "The replay was made by another version of Varnok (" + read.why + ")."
                        : "The replay is damaged (" + read.why + ").";
  } else if (read.replay->version != VARNOK_VERSION) {
    watchable.why = "The replay was made by Varnok " + read.replay->version.substr(0, 16) + "; this is Varnok " +
                    VARNOK_VERSION + ".";
  } else if (read.replay->dataHash != dataHash) {
    watchable.why = "The replay was made with other data files than this game's.";
  } else if (read.replay->segments.empty() || read.replay->segments.front().frames.empty()) {
    watchable.why = "The replay holds no frames.";
  } else {
    watchable.replay = std::move(read.replay);
  }
  return watchable;
}


// One process of the watched run: its context and main window.
struct ReplayWatch::Process {
  core::GameContext context;
  engine_link::EngineLibrary library;  // never loaded: the watch draws through the game's engine
  std::unique_ptr<TMainForm> form;
};

ReplayWatch::ReplayWatch(core::Replay replay, Host host)
    : replay_(std::move(replay)),
      host_(std::move(host)),
      ledger_(host_.camera, {{core::kMainFontFile, host_.mainFont}, {core::kSecondFontFile, host_.secondFont}}) {
  ledger_.afterPrintsHide = host_.printOverlay;
  // The run's settings, as its first process read them; sound and music as
  // the watcher has them (they change nothing the run does).
  std::vector<uint8_t> settings(replay_.settings.begin(), replay_.settings.end());
  core::TSettings recorded;
  core::ParseSettings(settings, recorded);
  recorded.SoundOn = host_.soundOn;
  recorded.MusicOn = host_.musicOn;
  const auto* raw = reinterpret_cast<const uint8_t*>(&recorded);
  platform::WriteFileAtomic(platform::LastingPlayerFilePath(core::kSettingsFile),
                            std::span<const uint8_t>(raw, sizeof recorded));
  platform::TickClock* gameClock = platform::InstalledTickClock();
  platform::SetTickClock(&clock_);
  StartSegment(0);
  platform::SetTickClock(gameClock);
}

ReplayWatch::~ReplayWatch() {
  platform::TickClock* gameClock = platform::InstalledTickClock();
  platform::SetTickClock(&clock_);
  EndSegment();
  platform::SetTickClock(gameClock);
}

void ReplayWatch::EndSegment() {
  if (process_) {
    core::ContextSwitch use(process_->context);
    process_->form.reset();
    process_.reset();
  }
  ledger_.DestroyAll();
}

void ReplayWatch::StartSegment(size_t index) {
  EndSegment();
  segment_ = index;
  const core::ReplaySegment& segment = replay_.segments[index];
  clock_.Set(segment.startTicks);
  observer_.segmentSeed = segment.seed;
  process_ = std::make_unique<Process>();
  core::ContextSwitch use(process_->context);
  process_->form = std::make_unique<TMainForm>(process_->library);
  TMainForm& form = *process_->form;
  form.runObserver = &observer_;
  form.ReadStartupFiles();
  next_ = 0;
  if (index == 0) {
    core::SetGameState(core::gsMainMenu);
    form.EngineInit();
    // The start frame, as the recording took it: the start action, the seed, the rest of the frame.
    menus::Menus().mainMenu.Start();
    core::Ctx().random.Seed(segment.seed);
    form.RunStartFrame(segment.frames.front());
    next_ = 1;
    return;
  }
  if (!core::Ctx().restarted || !core::GameInProgress(core::GameState())) {
    failure_ = "segment " + std::to_string(index + 1) + " does not follow a restart of a game in progress";
    stopped_ = true;
    return;
  }
  form.EngineInit();
}

bool ReplayWatch::Step() {
  if (stopped_) return false;
  if (next_ >= replay_.segments[segment_].frames.size()) {
    // A segment ends where its process restarted; the last one anywhere (a game closed).
    if (!process_->form->Restarting() || segment_ + 1 >= replay_.segments.size()) {
      if (segment_ + 1 < replay_.segments.size()) {
        failure_ = "the run does not match this game's";
      } else {
        // The recording ends here without an outcome: its game was closed.
        core::ContextSwitch use(process_->context);
        observer_.end = RunEndNow(core::RunOutcome::kEnded);
      }
      stopped_ = true;
      return false;
    }
    StartSegment(segment_ + 1);
    if (stopped_) return false;
  }
  TMainForm& form = *process_->form;
  {
    core::ContextSwitch use(process_->context);
    clock_.Advance(kFrameMs);
    form.Window().RunPending();
    form.RunFrameTasks();
    form.RunFrame(replay_.segments[segment_].frames[next_++]);
  }
  if (observer_.end) {
    stopped_ = true;
    return false;
  }
  if (form.Restarting() && next_ < replay_.segments[segment_].frames.size()) {
    failure_ = "the run does not match this game's";
    stopped_ = true;
    return false;
  }
  return true;
}

const std::optional<core::ReplayEnd>& ReplayWatch::End() const { return observer_.end; }

bool ReplayWatch::Frame(const core::FrameInput& viewer) {
  core::FrameInputReader keys;
  keys.Begin(viewer);
  if (keys.TakeKeyPress(keys::kEscape)) return false;
  if (stopped_) return ++heldFrames_ < kWatchEndHoldFrames;
  if (keys.TakeKeyPress(kSpaceKey)) paused_ = !paused_;
  fastForward_ = keys.KeyHeld(kFKey);
  const int frames = paused_ ? 0 : fastForward_ ? kWatchFastForward : 1;
  platform::TickClock* gameClock = platform::InstalledTickClock();
  platform::SetTickClock(&clock_);
  for (int i = 0; i < frames && Step(); ++i) {
  }
  platform::SetTickClock(gameClock);
  if (!failure_.empty() && heldFrames_ == 0) std::fprintf(stderr, "varnok: the replay stops here: %s\n", failure_.c_str());
  return true;
}

}  // namespace app
