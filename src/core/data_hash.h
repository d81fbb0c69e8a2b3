// Hashes that tie a replay to what it ran on: the game's data files, and
// the state of the world at a run's end.
#pragma once

#include <cstdint>
#include <span>

#include "core/replay_file.h"

namespace core {

Sha256 Sha256Of(std::span<const uint8_t> bytes);

// The game folder's data files (the pictures, fonts, meshes, sounds, music
// and the promotion screen's description under data/, sound/ and wdata/),
// by path and content in byte order of their paths. The player's own files,
// which a portable game folder keeps in data/ too, are not data.
Sha256 HashDataFiles();

}  // namespace core
