// Program entry: the game folder becomes the current folder, the player's
// files are locked for this copy, the engine library is loaded and hands over
// its operations, then the main window runs until it is closed.
#include <cstdlib>
#include <optional>

#include "app/main_form.h"
#include "app/single_copy.h"
#include "engine/engine_library.h"
#include "platform/game_path.h"
#include "platform/process.h"
#include "platform/shell.h"

int main() {
  platform::EnterGameFolder();
  // Before anything reads a player file: a second copy ends here.
  std::optional<platform::FolderLock> playerFiles = app::TakePlayerFiles();
  if (!playerFiles) return EXIT_FAILURE;
  engine::TheEngineLibrary().Load();

  bool engineStarted = false;
  {
    app::TMainForm form;
    form.HandOverPlayerFiles = [&playerFiles] { playerFiles->Release(); };
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
