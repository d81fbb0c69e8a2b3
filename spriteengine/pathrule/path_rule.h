// The one rule by which the game and the engine find a file that the game
// names Windows-style ("data\Sprite.x") on a case-sensitive file system. Both
// build it from this source, so with two names that differ only in case they
// open the same file.
#pragma once

#include <string>
#include <string_view>

namespace pathrule {

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

}  // namespace pathrule
