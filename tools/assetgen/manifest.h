// The single list of every data file the generator writes, with its size.
// The build, the contact sheet and the tests all read this list.
#pragma once

#include <vector>

#include "asset.h"

namespace assetgen {

// Every file of the game folder that assetgen makes, in a fixed order.
const std::vector<Asset>& Manifest();

// Length limits the game's sounds are held to, in seconds.
inline constexpr double kSoundMinSeconds = 0.05;
inline constexpr double kSoundMaxSeconds = 5.0;
inline constexpr double kMusicMinSeconds = 60.0;
inline constexpr double kMusicMaxSeconds = 120.0;

}  // namespace assetgen
