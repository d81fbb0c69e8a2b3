// Carrying a running game across a self-restart: which state the restart
// record asks the new process to resume, the world snapshot saved by the old
// process, and the world rebuilt by the new one in its engine's init phase.
#pragma once

#include <cstdint>

namespace app {

// Before a restart: saves the world snapshot when `resumedState` has a game
// in progress. True when nothing needed saving or every file was written.
bool SaveGameForRestart(uint8_t resumedState);

// The init phase of a resumed game: the world's resources (once per
// process) and the snapshot. Between levels only the run's counters are taken
// and the next level is built at once (state gsPlaying); in the other
// in-progress states the saved level is rebuilt. The restart record is used
// up once the snapshot has been read, before the rebuild. A snapshot that
// cannot be read leaves the world as it was and sends the game to the main
// menu, with the reason on standard error, and its record goes too. A world
// already made in this process is neither made nor restored again.
void ResumeWorld();

}  // namespace app
