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

WatchableReplay ReadWatchableReplay(const std::string& path, const Sha256& dataHash) {
  WatchableReplay watchable;
  const auto bytes = platform::ReadWholeFile(path, kMaxReplayBytes);
  if (!bytes) {
    watchable.why = "The replay cannot be read: it is missing, not a file, or too large.";
    return watchable;
  }
  ReplayReadResult read = DecodeReplay(*bytes);
  watchable.otherGame = read.error == ReplayReadError::kOtherFormat ||
                        (read.replay && (read.replay->version != VARNOK_VERSION || read.replay->dataHash != dataHash));
  if (!read.replay) {
    watchable.why = read.error == ReplayReadError::kOtherFormat
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

// Follows the watched run as the verifier does: seeds each relaunched
// process as the recording process was seeded, and notes the end.
class ReplayWatch::Observer final : public RunObserver {
 public:
  void FrameBegun(const FrameInput&) override {}
  void RunStarted(const FrameInput&) override {}
  void FrameEnded() override {
    if (!end) {
      if (const auto outcome = RunOutcomeOf(GameState())) end = RunEndNow(*outcome);
    }
  }
  void RunClearing() override {
    if (!end) end = RunEndNow(RunOutcome::kQuit);
  }
  void ResumedAfterRestart() override { Ctx().random.Seed(segmentSeed); }

  uint32_t segmentSeed = 0;
  std::optional<ReplayEnd> end;
};

// One process of the watched run: its context and main window.
struct ReplayWatch::Process {
  GameContext context;
  engine::EngineLibrary library;  // never loaded: the watch draws through the game's engine
  std::unique_ptr<TMainForm> form;
};

ReplayWatch::ReplayWatch(Replay replay, Host host)
    : replay_(std::move(replay)),
      host_(std::move(host)),
      ledger_(host_.camera, {{kMainFontFile, host_.mainFont}, {kSecondFontFile, host_.secondFont}}),
      observer_(std::make_unique<Observer>()) {
  ledger_.afterPrintsHide = host_.printOverlay;
  // The run's settings, as its first process read them; sound and music as
  // the watcher has them (they change nothing the run does).
  std::vector<uint8_t> settings(replay_.settings.begin(), replay_.settings.end());
  menus::TSettings recorded;
  menus::ParseSettings(settings, recorded);
  recorded.SoundOn = host_.soundOn;
  recorded.MusicOn = host_.musicOn;
  const auto* raw = reinterpret_cast<const uint8_t*>(&recorded);
  platform::WriteFileAtomic(platform::LastingPlayerFilePath(menus::kSettingsFile),
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
    ContextSwitch use(process_->context);
    process_->form.reset();
    process_.reset();
  }
  ledger_.DestroyAll();
}

void ReplayWatch::StartSegment(size_t index) {
  EndSegment();
  segment_ = index;
  const ReplaySegment& segment = replay_.segments[index];
  clock_.Set(segment.startTicks);
  observer_->segmentSeed = segment.seed;
  process_ = std::make_unique<Process>();
  ContextSwitch use(process_->context);
  process_->form = std::make_unique<TMainForm>(process_->library);
  TMainForm& form = *process_->form;
  form.runObserver = observer_.get();
  form.ReadStartupFiles();
  next_ = 0;
  if (index == 0) {
    SetGameState(gsMainMenu);
    form.EngineInit();
    // The start frame, as the recording took it: the start action, the seed, the rest of the frame.
    menus::Menus().mainMenu.Start();
    Ctx().random.Seed(segment.seed);
    form.RunStartFrame(segment.frames.front());
    next_ = 1;
    return;
  }
  if (!Ctx().restarted || !GameInProgress(GameState())) {
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
        ContextSwitch use(process_->context);
        observer_->end = RunEndNow(RunOutcome::kEnded);
      }
      stopped_ = true;
      return false;
    }
    StartSegment(segment_ + 1);
    if (stopped_) return false;
  }
  TMainForm& form = *process_->form;
  {
    ContextSwitch use(process_->context);
    clock_.Advance(kFrameMs);
    form.Window().RunPending();
    form.RunFrameTasks();
    form.RunFrame(replay_.segments[segment_].frames[next_++]);
  }
  if (observer_->end) {
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

const std::optional<ReplayEnd>& ReplayWatch::End() const { return observer_->end; }

bool ReplayWatch::Frame(const FrameInput& viewer) {
  FrameInputReader keys;
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
