#include "menus/go_to_link.h"

#include "core/game_context.h"
#include "platform/game_path.h"
#include "platform/shell.h"

namespace menus {

void OpenLink(const std::string& file) {
  if (file.empty() || !platform::GameFileExists(file)) return;
  auto open = [path = platform::GamePath(file)] { platform::Shell::Open(path); };
  core::TheShell().PostToWindow(open);
}

}  // namespace menus
