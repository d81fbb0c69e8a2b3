// Where the player's own files go: settings, records, the restart record and
// the world snapshot files.
//
// A portable game folder keeps them where they always were (in its data
// folder). An installed copy keeps them in the player's data folder,
// $XDG_DATA_HOME/varnok (default ~/.local/share/varnok), in the same layout
// ("data/settings.dat"). A game folder counts as installed when it holds the
// mark file kInstalledMark (the install step writes it) or when the folder the
// file belongs in cannot be written.
//
// Nothing a player has is lost in the move: the first time a lasting file
// (settings, records) is asked for in the player's data folder and is not
// there yet, the copy in the game folder is carried over.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kInstalledMark = "installed.txt";
inline constexpr const char* kPlayerFolderName = "varnok";

// $XDG_DATA_HOME/varnok, or ~/.local/share/varnok when XDG_DATA_HOME is not
// an absolute path; empty when neither it nor HOME is set.
std::string PlayerDataFolder();

// A file the game reads and writes across runs ("data\\settings.dat"):
// carried over into the player's data folder as said above.
std::string LastingPlayerFilePath(std::string_view windowsPath);

// A file that lives from one process to the next one only (the restart
// record, the snapshot): never carried over, since a left-over copy in a
// read-only game folder would be resumed again and again.
std::string PlayerFilePath(std::string_view windowsPath);

}  // namespace platform
