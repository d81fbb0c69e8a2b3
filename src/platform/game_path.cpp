#include "platform/game_path.h"

#include <sys/stat.h>

#include "path_rule.h"

namespace platform {

std::string GamePath(std::string_view windowsPath) { return pathrule::GamePath(windowsPath); }

bool GameFileExists(std::string_view windowsPath) {
  if (windowsPath.empty()) return false;
  struct stat info {};
  return stat(GamePath(windowsPath).c_str(), &info) == 0;
}

}  // namespace platform
