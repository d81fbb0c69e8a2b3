// Program entry: the game folder becomes the current folder, the player's
// files are locked for this copy, the engine library is loaded and hands over
// its operations, then the main window runs until it is closed.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/main_form.h"
#include "app/replay_recorder.h"
#include "app/replay_verifier.h"
#include "app/replay_watch.h"
#include "core/data_hash.h"
#include "core/player_files.h"
#include "app/single_copy.h"
#include "engine_link/engine_library.h"
#include "platform/file_io.h"
#include "platform/game_path.h"
#include "platform/memory_player_files.h"
#include "platform/message_box.h"
#include "platform/player_path.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"
#include "varnok_about.h"

namespace {

// The window-less engine lays out the same levels on every start, so that a
// script replays the same run on any machine.
bool EngineIsWindowless() {
  const char* engine = std::getenv("VARNOK_ENGINE");
  return engine && std::string_view(engine) == "headless";
}

// The time a relaunching game left for this one; 0 when there is none.
uint32_t CarriedFrameTicks() {
  const char* text = std::getenv(app::kFrameTicksVariable);
  uint32_t ticks = 0;
  if (!text) return 0;
  const char* end = text + std::strlen(text);
  const auto [at, error] = std::from_chars(text, end, ticks);
  return error == std::errc() && at == end ? ticks : 0;
}

constexpr const char* kHelp =
    "Usage: varnok [OPTION]\n"
    "Play Varnok, a side-scrolling action game: fight through city streets and\n"
    "along the roofs of a moving train.\n"
    "\n"
    "      --replay FILE  play the replay FILE in the game to watch it: Space\n"
    "                     pauses, F held runs it four times as fast, Esc ends\n"
    "      --verify FILE  re-run the replay FILE without a window or sound and\n"
    "                     print how it ended as one JSON line\n"
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n"
    "\n"
    "Settings are made in the game's options menu. An installed copy keeps the\n"
    "player's files in $XDG_DATA_HOME/varnok (~/.local/share/varnok by default).\n"
    "\n"
    "Report bugs to: <" VARNOK_BUG_URL ">\n"
    "Varnok home page: <" VARNOK_HOME_URL ">\n";

// A replay file given on the command line, named from where the game was
// started (the game then works in its own folder).
std::string AbsoluteFile(const char* file) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(file, error);
  return error ? std::string(file) : path.string();
}

// --help, --version and --verify answer and end before anything else
// happens: no window, no lock, no player file. --replay FILE plays the game;
// the game takes no other argument (it restarts itself without any, or with
// --replay FILE again), so anything else is refused.
std::optional<int> AnswerCommandLine(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const auto given = [argc, argv](const char* option) {
    for (int i = 1; i < argc; ++i) {
      if (std::strcmp(argv[i], option) == 0) return true;
    }
    return false;
  };
  const char* answer = given("--help")      ? kHelp
                       : given("--version") ? "varnok " VARNOK_VERSION "\n" VARNOK_LICENSE_NOTICE
                                            : nullptr;
  if (answer != nullptr) {
    std::fputs(answer, stdout);
    return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
  }
  const bool verify = std::strcmp(argv[1], "--verify") == 0;
  if (verify || std::strcmp(argv[1], "--replay") == 0) {
    if (argc != 3) {
      std::fprintf(stderr, "varnok: %s takes one replay file\nTry 'varnok --help' for more information.\n", argv[1]);
      return 2;
    }
    if (!verify) return std::nullopt;
    const std::string file = AbsoluteFile(argv[2]);
    platform::EnterGameFolder();
    return app::VerifyReplayFile(file.c_str());
  }
  const char* arg = argv[1];
  std::fprintf(stderr, arg[0] == '-' ? "varnok: unrecognized option '%s'\n" : "varnok: unexpected argument '%s'\n", arg);
  std::fputs("Try 'varnok --help' for more information.\n", stderr);
  return 2;
}

// varnok --replay FILE: the replay, checked before any window opens; a
// replay that cannot play says why in one line (and a message box).
app::WatchableReplay ReplayToWatch(const std::string& file) {
  app::WatchableReplay watchable = app::ReadWatchableReplay(file, core::HashDataFiles());
  if (!watchable.replay) {
    std::fprintf(stderr, "varnok: %s: %s\n", file.c_str(), watchable.why.c_str());
    platform::ShowMessageBox("Varnok", watchable.why);
  }
  return watchable;
}

// What a watcher sees beside the replay: the file's name, in the letters the
// game's font draws.
std::string WatchCaption(const std::string& file) {
  std::string caption;
  for (char c : std::filesystem::path(file).stem().string()) {
    if (caption.size() == 24) break;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    caption += (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : ' ';
  }
  return caption;
}

// Watching writes none of the player's files: they are read into memory,
// where the game's writes go. The window mode comes from the settings, or
// from the copy of the game that handed the replay on after Alt+Enter.
void SetAsidePlayerFiles(std::optional<platform::MemoryPlayerFiles>& memory) {
  core::TSettings settings = core::DefaultSettings();
  if (auto bytes = platform::ReadWholeFile(platform::PlayerFilePath(core::kSettingsFile), sizeof settings)) {
    core::ParseSettings(*bytes, settings);
  }
  if (const char* windowed = std::getenv(app::kWatchWindowedVariable)) settings.Windowed = windowed[0] == '0' ? 0 : 1;
  memory.emplace();
  const auto* raw = reinterpret_cast<const uint8_t*>(&settings);
  platform::WriteFileAtomic(platform::LastingPlayerFilePath(core::kSettingsFile),
                            std::span<const uint8_t>(raw, sizeof settings));
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = AnswerCommandLine(argc, argv)) return *answered;
  const std::string replayFile = argc == 3 ? AbsoluteFile(argv[2]) : std::string();
  platform::EnterGameFolder();
  std::optional<core::Replay> toWatch;
  std::optional<platform::MemoryPlayerFiles> setAside;
  std::optional<platform::FolderLock> playerFiles;
  if (!replayFile.empty()) {
    app::WatchableReplay watchable = ReplayToWatch(replayFile);
    // As --verify answers: 3 for a replay of another game, 2 for one that is not a replay or damaged.
    if (!watchable.replay) return watchable.otherGame ? 3 : 2;
    toWatch = std::move(watchable.replay);
    SetAsidePlayerFiles(setAside);
  } else {
    // Before anything reads a player file: a second copy ends here.
    playerFiles = app::TakePlayerFiles();
    if (!playerFiles) return EXIT_FAILURE;
  }
  engine_link::TheEngineLibrary().Load();
  // Installed for the whole process: threads may read it until the end. The
  // game's time follows its frames in every engine, so a run is given by
  // what it starts from and its input, however fast the machine draws.
  static const platform::SystemTickClock realTime;
  static platform::FrameTickClock frameClock(app::kFrameMs, realTime, CarriedFrameTicks());
  platform::SetTickClock(&frameClock);

  bool engineStarted = false;
  bool restarting = false;
  app::ReplayRecorder recorder;
  {
    app::TMainForm form;
    if (toWatch) {
      form.WatchAtStart(std::move(*toWatch), WatchCaption(replayFile));
      form.RelaunchArguments = {"--replay", replayFile};
    } else {
      form.runObserver = &recorder;
      form.HandOverPlayerFiles = [&playerFiles] { playerFiles->Release(); };
    }
    form.FollowEngineFrames(frameClock, EngineIsWindowless());
    form.FormCreate();
    engineStarted = form.EngineHost.Running() || form.Window().State() == platform::WindowState::kMinimized;
    form.Window().Run();
    if (form.WindowRefused()) return EXIT_FAILURE;
    restarting = form.Restarting();
  }
  // The form has stopped its engine: no frame runs any more.
  recorder.ProcessEnding(restarting);

  if (replayFile.empty() && platform::GameFileExists(app::kRelaunchAfterExit)) {
    platform::Shell::Open(platform::GamePath(app::kRelaunchAfterExit));
  }
  return engineStarted ? EXIT_SUCCESS : EXIT_FAILURE;
}
