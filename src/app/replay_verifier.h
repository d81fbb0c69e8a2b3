// The replay verifier (varnok --verify FILE): re-runs a recorded run through
// the game's own code, frame by frame, with an engine that draws, sounds and
// paces nothing, the player's files in memory and the game's clock set by
// the frames; every self-restart of the run is made again as the relaunched
// process made it. What the run comes to is the verifier's own answer, never
// what the file says.
#pragma once

#include <optional>
#include <string>

#include "core/replay_file.h"

namespace app {

struct ReplayVerdict {
  size_t frames = 0;  // frames run
  core::ReplayEnd end;      // how the run ended, its counters and world
};

// Runs `replay` to its end. Nothing when its frames do not fit this game's
// run of them (a segment that ends without the game restarting, or frames
// after the run ended), with the reason in `why`. The caller keeps the
// process otherwise idle: the run uses the game's context, clock and engine
// calls, which it restores afterwards.
std::optional<ReplayVerdict> RunReplay(const core::Replay& replay, std::string& why);

// The verdict as one JSON line (no newline).
std::string VerdictJson(const core::Replay& replay, const ReplayVerdict& verdict);

// Exit statuses of varnok --verify.
inline constexpr int kVerifyOk = 0;
inline constexpr int kVerifyDamaged = 2;     // not a replay, damaged, or not a run of this game
inline constexpr int kVerifyOtherGame = 3;   // another version of the game or other data files

// varnok --verify FILE, in the game folder: the verdict's line on standard
// output, or one line on standard error; returns the exit status.
int VerifyReplayFile(const char* path);

}  // namespace app
