// Program entry: the game folder becomes the current folder, the engine
// library is loaded and hands over its operations, then the main window runs
// until it is closed.
#include <cstdlib>

#include "app/main_form.h"
#include "engine/engine_library.h"
#include "platform/game_path.h"
#include "platform/process.h"
#include "platform/shell.h"

int main() {
  platform::EnterGameFolder();
  engine::TheEngineLibrary().Load();

  bool engineStarted = false;
  {
    app::TMainForm form;
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
