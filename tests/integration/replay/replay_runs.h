// Recorded runs of the real game: a run is a level seed, a scripted player
// and how the run ends (quit, lost, closed, carried across restarts). The
// fixture plays one with the real varnok on the headless engine, unpaced,
// reads the replay it left and has `varnok --verify` re-run it.
#pragma once

#include <sys/file.h>

#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/replay_verifier.h"
#include "child_process.h"
#include "core/replay_file.h"
#include "game_process.h"
#include "play_script.h"

namespace replay_test {

namespace fs = std::filesystem;

enum class Ending {
  kQuit,      // Esc, then Enter on the dialog's "yes"
  kGameOver,  // the last life is lost before the script's end
  kClosed,    // the window closes mid-run: the run is kept as ended
};

// How a process hands the run on to the next one at the end of its play.
enum class Switch {
  kAltEnter,  // Alt+Enter: the other window mode
  kMaximize,  // the window's maximise: the other window mode too
  kHide,      // Alt+F12 in full screen: the next process starts minimised until activated
};

struct RunCase {
  const char* name;
  uint32_t levelSeed;  // VARNOK_SEED
  uint32_t player;     // the scripted player's seed (each next process plays the next seed)
  bool bold;           // the bold style: no lying down, turning back or standing idle
  int frames;          // frames of each process's play
  Ending ending;
  std::vector<Switch> restarts = {};
  bool fullScreen = false;  // the settings file starts the game full screen
  const char* extra = "";   // more lines for the first process's script
  // What the recorded end must show, so that the run covers what it is for.
  int minLevel = 1;
  int maxLives = 3;
};

// The run's name in the test's name.
inline void PrintTo(const RunCase& run, std::ostream* out) { *out << run.name; }

inline constexpr PlayStyle kCalm{};
inline constexpr PlayStyle kBold{.walk = 30, .aimUp = 15, .shootUp = 10, .jump = 25, .grenade = 5,
                                 .lie = 0, .back = 0, .idle = 0};
inline constexpr int kStartFrame = 30;  // Enter on the main menu's first item
inline constexpr int kPlayFrom = 60;
inline constexpr int32_t kF12 = 0x58;

// One script per process of the run.
inline std::vector<std::string> ScriptsOf(const RunCase& run) {
  using namespace keys;
  std::vector<std::string> scripts;
  for (size_t p = 0; p <= run.restarts.size(); ++p) {
    ScriptWriter script;
    if (p == 0) {
      script.Tap(kStartFrame, kEnter);
      script.Raw(run.extra);
    } else if (run.restarts[p - 1] == Switch::kHide) {
      script.Line(10, "activate");  // the player brings the hidden game back
    }
    Play(script, run.player + static_cast<uint32_t>(p), run.bold ? kBold : kCalm, kPlayFrom, run.frames);
    const int end = run.frames;
    if (p < run.restarts.size()) {
      switch (run.restarts[p]) {
        case Switch::kAltEnter:
          script.Hold(end + 2, {kLeftAlt});
          script.Hold(end + 4, {kLeftAlt, kEnter});
          break;
        case Switch::kMaximize: script.Line(end + 2, "maximize"); break;
        case Switch::kHide:
          script.Hold(end + 2, {kLeftAlt});
          script.Tap(end + 4, kF12);
          break;
      }
    } else if (run.ending == Ending::kQuit) {
      script.Tap(end + 5, kEscape);
      script.Tap(end + 15, kEnter);
      script.Line(end + 60, "quit");
    } else {
      script.Line(end, "quit");
    }
    scripts.push_back(script.Text());
  }
  return scripts;
}

// A looping process a core (two at the least) while it lives, each ended by
// its pid when it goes; each also stops by itself after five minutes, should
// the test die first.
class BusyMachine {
 public:
  BusyMachine() {
    const unsigned count = std::max(2u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
      auto& child = children_.emplace_back(std::make_unique<testing_support::ChildProcess>());
      child->Start({"/bin/bash", "-c", "while ((SECONDS < 300)); do :; done"}, {}, "/dev/null", "/dev/null");
    }
  }

 private:
  std::vector<std::unique_ptr<testing_support::ChildProcess>> children_;
};

// The verdict line a replay's own end stands for: what every re-run must print.
inline std::string RecordedLine(const core::Replay& replay) {
  app::ReplayVerdict recorded;
  recorded.frames = replay.FrameCount();
  recorded.end = replay.end;
  return app::VerdictJson(replay, recorded) + "\n";
}

inline std::optional<core::Replay> DecodeFile(const fs::path& file, std::string& why) {
  const std::string bytes = testing_support::ReadText(file);
  core::ReplayReadResult read =
      core::DecodeReplay(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  why = read.why;
  return std::move(read.replay);
}

class ReplayRunTest : public process_test::GameProcessTest {
 protected:
  fs::path LastReplay() const { return dir_ / "data" / "replays" / "last.vreplay"; }

  // Plays the scripts, one a process, on the levels of `levelSeed`, and
  // waits for the first process; a relaunched one runs on by itself.
  void Launch(const std::vector<std::string>& scripts, uint32_t levelSeed, bool fullScreen = false) {
    envOverrides_ = {"VARNOK_SEED=" + std::to_string(levelSeed), "VARNOK_ENGINE_UNPACED=1"};
    if (fullScreen) {
      // Window flag off; sound and music on; the hide key Alt+F12.
      const char settings[core::kSettingsBytes] = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kF12, 0, 0, 1, 0, 0};
      process_test::WriteText(dir_ / "data" / "settings.dat", std::string(settings, sizeof settings));
    }
    std::vector<std::string> names;
    for (size_t i = 0; i < scripts.size(); ++i) {
      names.push_back("p" + std::to_string(i) + ".script");
      process_test::WriteText(dir_ / names.back(), scripts[i]);
    }
    const process_test::RunResult result = Run(names, 60);
    EXPECT_FALSE(result.timedOut) << result.stderrText;
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
  }

  // Whether no copy of the game holds the lock of the player's files.
  bool PlayerFilesFree() const {
    const int fd = ::open((dir_ / "data" / "varnok.lock").c_str(), O_RDONLY);
    if (fd < 0) return true;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
  }

  // Launch, then the replay the run left once every process has ended, or
  // nothing (with a failure added).
  std::optional<core::Replay> Record(const std::vector<std::string>& scripts, uint32_t levelSeed,
                                    bool fullScreen = false) {
    using process_test::ReadText;
    Launch(scripts, levelSeed, fullScreen);
    // A run that the last process's closing cuts short is written after its
    // engine's close, the last line a process logs.
    const bool done = WaitFor([&] {
      return process_test::CountOf(ReadText(dir_ / "engine.log"), " close\n") >= scripts.size() &&
             fs::exists(LastReplay()) && PlayerFilesFree();
    }, 60);
    EXPECT_TRUE(done) << ReadText(dir_ / "engine.log");
    std::string why;
    std::optional<core::Replay> replay = DecodeFile(LastReplay(), why);
    EXPECT_TRUE(replay) << "no replay of the run: " << why << "\n" << ReadText(dir_ / "engine.log");
    return replay;
  }

  // What `varnok --verify` prints for the run's replay, twice on an idle
  // machine and twice with every core busy, is the run's own end each time.
  void ExpectVerifiesToItsEnd(const core::Replay& replay) {
    const std::string recorded = RecordedLine(replay);
    for (const bool busy : {false, true}) {
      SCOPED_TRACE(busy ? "every core busy" : "idle");
      std::optional<BusyMachine> load;
      if (busy) load.emplace();
      for (int i = 0; i < 2; ++i) {
        testing_support::ChildProcess verifier;
        ASSERT_TRUE(verifier.Start({(dir_ / "varnok").string(), "--verify", LastReplay().string()},
                                   {"PATH=/usr/bin:/bin"}, dir_ / "verdict", dir_ / "verify.err"));
        EXPECT_EQ(verifier.Wait(std::chrono::seconds(60)), app::kVerifyOk)
            << process_test::ReadText(dir_ / "verify.err");
        EXPECT_EQ(process_test::ReadText(dir_ / "verdict"), recorded);
      }
    }
  }
};

}  // namespace replay_test
