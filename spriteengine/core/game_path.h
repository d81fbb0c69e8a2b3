// File names as the game passes them ("data\Sprite.x"), found by the rule the
// game finds its own files with (pathrule/path_rule.h).
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
// directory (or absolute): each component exact first, else the first
// case-insensitive match in byte order. nullopt when nothing matches.
std::optional<std::string> ResolveGamePath(std::string_view name);

// Where a file of that name is written: what the name resolves to by the same
// rule, so an existing file of another case is the one written; from the first
// missing component on, the name as given.
std::string ResolveNewFilePath(std::string_view name);

// The whole file, or nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path);

// One line "spriteengine: warning: ..." on standard error.
void Warn(std::string_view message);

}  // namespace spriteengine
