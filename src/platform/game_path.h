// Paths as the game writes them ("data\Sprite.x"), resolved on a case-sensitive file system.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Turns a path written with backslashes into one that names the same file here,
// by the rule the engine resolves the game's file names with too (path_rule.h):
// each component matched ignoring ASCII case, the exact spelling first, else the
// first match in byte order; from the first missing component on, the rest as
// given. Never throws.
std::string GamePath(std::string_view windowsPath);

// Whether GamePath(windowsPath) names something that exists (file or folder).
bool GameFileExists(std::string_view windowsPath);

}  // namespace platform
