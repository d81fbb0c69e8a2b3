// Program entry: the game folder becomes the current folder, the player's
// files are locked for this copy, the engine library is loaded and hands over
// its operations, then the main window runs until it is closed.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <optional>

#include "app/main_form.h"
#include "app/single_copy.h"
#include "engine/engine_library.h"
#include "platform/game_path.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/tick_clock.h"

namespace {

// The window-less engine runs frames at its own pace: there the game's time
// follows its frames, so that a script replays the same run on any machine.
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

}  // namespace

int main() {
  platform::EnterGameFolder();
  // Before anything reads a player file: a second copy ends here.
  std::optional<platform::FolderLock> playerFiles = app::TakePlayerFiles();
  if (!playerFiles) return EXIT_FAILURE;
  engine::TheEngineLibrary().Load();
  // Installed for the whole process: threads may read it until the end.
  static const platform::SystemTickClock realTime;
  static std::optional<platform::FrameTickClock> frameClock;
  if (EngineIsWindowless()) {
    frameClock.emplace(app::kFrameMs, realTime, CarriedFrameTicks());
    platform::SetTickClock(&*frameClock);
  }

  bool engineStarted = false;
  {
    app::TMainForm form;
    form.HandOverPlayerFiles = [&playerFiles] { playerFiles->Release(); };
    if (frameClock) form.FollowEngineFrames(*frameClock);
    form.FormCreate();
    engineStarted = form.EngineHost.Running() || form.Window().State() == platform::WindowState::kMinimized;
    form.Window().Run();
    if (form.WindowRefused()) return EXIT_FAILURE;
  }

  if (platform::GameFileExists(app::kRelaunchAfterExit)) {
    platform::Shell::Open(platform::GamePath(app::kRelaunchAfterExit));
  }
  return engineStarted ? EXIT_SUCCESS : EXIT_FAILURE;
}
