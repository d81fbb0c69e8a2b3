// Starting programs detached from the game. Internal to the platform layer:
// the game starts programs through Shell::Open and RelaunchSelf.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

// Starts argv[0] (searched in PATH when it holds no '/') with the argument vector
// argv and the game's environment, in workingDir (empty: the current folder), in a
// new session, with standard input from /dev/null, default signal handling and no
// inherited descriptors beyond standard output and error. The child is reaped in
// the background, so it never lingers as a zombie. Returns false when argv is
// empty, an argument holds a NUL byte, or the program could not be executed.
bool SpawnDetached(const std::vector<std::string>& argv, const std::string& workingDir);

// Starts argv through the spawner installed by Shell::SetSpawner, or SpawnDetached.
bool RunSpawner(const std::vector<std::string>& argv, const std::string& workingDir);

// Installs the spawner RunSpawner uses; empty restores SpawnDetached.
void InstallSpawner(Shell::Spawner spawner);

}  // namespace platform
