// Paths as the game writes them ("data\Sprite.x"), resolved on a case-sensitive file system.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Turns a path written with backslashes into one that names the same file here.
// Backslashes become '/', and each component is matched case-insensitively (ASCII)
// against what exists, starting from the current directory for relative paths
// (the game folder while the game runs). An exact-case match wins over a
// case-insensitive one; among several case-insensitive matches the first in
// byte order wins, so the result is repeatable. From the first component that
// does not exist on, the rest is kept as given, so a new file can be created with
// the given case inside an existing folder found case-insensitively.
// Empty components and "." are dropped; ".." is kept as is. Never throws.
std::string GamePath(std::string_view windowsPath);

// Whether GamePath(windowsPath) names something that exists (file or folder).
bool GameFileExists(std::string_view windowsPath);

}  // namespace platform
