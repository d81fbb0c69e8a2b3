// File names as the game passes them ("data\Sprite.x"): backslashes become
// slashes and each component matches case-insensitively.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spriteengine {

// The name with '\' turned into '/'.
std::string SlashPath(std::string_view name);

// The existing file or folder the name means, relative to the current
// directory (or absolute): exact components first, else the one
// case-insensitive match in its folder. nullopt when nothing matches.
std::optional<std::string> ResolveGamePath(std::string_view name);

// Where a new file of that name goes: existing folders matched as above, the
// last component kept as given.
std::string ResolveNewFilePath(std::string_view name);

// The whole file, or nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// One line "spriteengine: warning: ..." on standard error.
void Warn(std::string_view message);

}  // namespace spriteengine
