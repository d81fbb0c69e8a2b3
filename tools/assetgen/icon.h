// The game's desktop icon: the hero's helmeted head against the dusk city,
// in a rounded square. Written once per size into a freedesktop icon theme
// folder, for the installed game's menu entry.
#pragma once

#include <string>
#include <vector>

#include "asset.h"

namespace assetgen {

inline constexpr int kIconSizes[] = {32, 48, 64, 128, 256};
inline constexpr const char* kIconName = "varnok";

// The icon as PNG bytes, `size` pixels square.
Bytes DrawIcon(int size);

// Writes DIR/hicolor/NxN/apps/varnok.png for every size; the files written,
// or an empty list with a message in `error`.
std::vector<std::string> WriteIcons(const std::string& dir, std::string* error);

}  // namespace assetgen
