// One copy of the game at a time on one player's files. Start-up takes the
// lock of their folder before it reads any of them and, holding it, clears
// away the temporary files that saves killed half-way left behind.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder_lock.h"

namespace app {

inline constexpr const char* kPlayerFilesLock = "data\\varnok.lock";
// How long a starting copy waits for the copy before it to let go: a restart
// hands the folder over just before the new process starts.
inline constexpr std::chrono::milliseconds kHandOverWait{2000};
inline constexpr const char* kAlreadyRunningMessage =
    "Varnok is already running: another copy is using this player's files.";

// The file names (no folder) of everything the game saves beside its lock.
std::vector<std::string> SavedFileNames();

// Takes the lock, waiting up to kHandOverWait while another copy holds it;
// then removes stray temporary files of the saved files. Nothing, after the
// player was told the game is already running, when the other copy kept it.
// A folder that cannot be locked at all (no lock support, nothing there to
// open) is played without the guard, with a line on standard error.
std::optional<platform::FolderLock> TakePlayerFiles();

}  // namespace app
