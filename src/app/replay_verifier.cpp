#include "app/replay_verifier.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

#include "app/main_form.h"
#include "app/run_end.h"
#include "core/data_hash.h"
#include "core/game_context.h"
#include "engine_link/engine_calls.h"
#include "menus/front_end.h"
#include "platform/file_io.h"
#include "platform/memory_player_files.h"
#include "platform/player_path.h"
#include "platform/tick_clock.h"

namespace app {
namespace {

constexpr const char* kOutcomeNames[] = {"ended", "game over", "quit"};


// One process of the run: a fresh context and main window, as a relaunch
// makes them, over the same player files.
class VerifiedProcess {
 public:
  VerifiedProcess(ReplayedRunWatch& watch) : form_(library_) { form_.runObserver = &watch; }
  TMainForm& form() { return form_; }

 private:
  core::ScopedGameContext context_;
  engine_link::EngineLibrary library_;  // never loaded: the null engine answers
  TMainForm form_;
};

std::string Hex(const core::Sha256& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

// The replay's strings come from outside: only what JSON carries plainly.
std::string JsonString(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<ReplayVerdict> RunReplay(const core::Replay& replay, std::string& why) {
  if (replay.segments.empty() || replay.segments.front().frames.empty()) {
    why = "the replay holds no frames";
    return std::nullopt;
  }
  platform::MemoryPlayerFiles files;
  engine_link::InstallNullEngine();
  platform::FakeTickClock clock;
  platform::SetTickClock(&clock);
  struct Restore {
    ~Restore() {
      platform::SetTickClock(nullptr);
      engine_link::ResetEngineCalls();
    }
  } restore;

  // The run's settings, as the first process read them.
  platform::WriteFileAtomic(platform::LastingPlayerFilePath(core::kSettingsFile), replay.settings);
  ReplayedRunWatch watch;
  ReplayVerdict verdict;
  for (size_t s = 0; s < replay.segments.size(); ++s) {
    const core::ReplaySegment& segment = replay.segments[s];
    clock.Set(segment.startTicks);
    watch.segmentSeed = segment.seed;
    VerifiedProcess process(watch);
    TMainForm& form = process.form();
    form.ReadStartupFiles();
    size_t next = 0;
    if (s == 0) {
      core::SetGameState(core::gsMainMenu);
      form.EngineInit();
      // The start frame: the main menu's start action, then the rest of the
      // frame; the recording took the generator's state after the action.
      menus::Menus().mainMenu.Start();
      core::Ctx().random.Seed(segment.seed);
      form.RunStartFrame(segment.frames.front());
      ++verdict.frames;
      next = 1;
    } else {
      if (!core::Ctx().restarted || !core::GameInProgress(core::GameState())) {
        why = "segment " + std::to_string(s + 1) + " does not follow a restart of a game in progress";
        return std::nullopt;
      }
      form.EngineInit();
    }
    for (; next < segment.frames.size() && !watch.end && !form.Restarting(); ++next) {
      clock.Advance(kFrameMs);
      form.Window().RunPending();
      form.RunFrameTasks();
      form.RunFrame(segment.frames[next]);
      ++verdict.frames;
    }
    const bool lastSegment = s + 1 == replay.segments.size();
    if (next < segment.frames.size() || (!lastSegment && !form.Restarting())) {
      why = "the run does not match this game's: segment " + std::to_string(s + 1) + " ends at frame " +
            std::to_string(next) + " of " + std::to_string(segment.frames.size());
      return std::nullopt;
    }
    if (lastSegment) verdict.end = watch.end ? *watch.end : RunEndNow(core::RunOutcome::kEnded);
  }
  return verdict;
}

std::string VerdictJson(const core::Replay& replay, const ReplayVerdict& verdict) {
  char line[512];
  std::snprintf(line, sizeof line,
                "{\"format\":%" PRIu32 ",\"version\":\"%s\",\"frames\":%zu,\"score\":%" PRId32 ",\"level\":%" PRId32
                ",\"lives\":%" PRId32 ",\"outcome\":\"%s\",\"world\":\"%s\"}",
                replay.format, JsonString(replay.version).c_str(), verdict.frames, verdict.end.score,
                verdict.end.level, verdict.end.lives, kOutcomeNames[static_cast<int>(verdict.end.outcome)],
                Hex(verdict.end.world).c_str());
  return line;
}

int VerifyReplayFile(const char* path) {
  const auto bytes = platform::ReadWholeFile(path, core::kMaxReplayBytes);
  if (!bytes) {
    std::fprintf(stderr, "varnok: %s: cannot be read as a replay (missing, not a file, or over %zu bytes)\n", path,
                 core::kMaxReplayBytes);
    return kVerifyDamaged;
  }
  core::ReplayReadResult read = core::DecodeReplay(*bytes);
  if (!read.replay) {
    std::fprintf(stderr, "varnok: %s: %s\n", path, read.why.c_str());
    return read.error == core::ReplayReadError::kOtherFormat ? kVerifyOtherGame : kVerifyDamaged;
  }
  const core::Replay& replay = *read.replay;
  if (replay.version != VARNOK_VERSION) {
    std::fprintf(stderr, "varnok: %s: a replay of Varnok %s; this is Varnok %s\n", path,
                 JsonString(replay.version).c_str(), VARNOK_VERSION);
    return kVerifyOtherGame;
  }
  if (replay.dataHash != core::HashDataFiles()) {
    std::fprintf(stderr, "varnok: %s: recorded with other data files than this game's\n", path);
    return kVerifyOtherGame;
  }
  std::string why;
  const auto verdict = RunReplay(replay, why);
  if (!verdict) {
    std::fprintf(stderr, "varnok: %s: %s\n", path, why.c_str());
    return kVerifyDamaged;
  }
  std::printf("%s\n", VerdictJson(replay, *verdict).c_str());
  return std::fflush(stdout) == 0 ? kVerifyOk : kVerifyDamaged;
}

}  // namespace app
