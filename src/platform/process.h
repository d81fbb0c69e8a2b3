// The running executable: where it lives, entering its folder, starting it again.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The folder holding the running executable (resolved from /proc/self/exe),
// without a trailing slash; empty if it cannot be found.
std::string ExecutableFolder();

// Makes the executable's folder (the game folder) the current directory.
bool EnterGameFolder();

// The argument vector RelaunchSelf starts: the resolved path of the running
// executable, with no further arguments; empty if it cannot be found.
std::vector<std::string> RelaunchCommand();

// Starts the running executable again in the game folder, detached in a new
// session with the same environment, through the same spawner as Shell::Open
// (so a test's Shell::SetSpawner sees it). Returns whether it could be started.
bool RelaunchSelf(const std::vector<std::string>& arguments = {});

}  // namespace platform
