// ReplaySandbox: the game's own verifier (varnok --verify) judging an
// uploaded replay in a child process that can do nothing else. The child
// gets the replay as a sealed in-memory file, no network (socket() fails),
// no file it may write or create, limits on its address space and processor
// time set from the replay's length, and its own process group, which is
// killed at a wall-clock limit. Nothing of the replay reaches a shell: the
// verifier is started with an argument vector.
#pragma once

#include <linux/filter.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "score_store.h"

namespace scored {

// The largest replay the server takes; a run of ordinary play packs to well
// under a kilobyte a minute.
inline constexpr size_t kMaxReplayUploadBytes = 256 * 1024;

struct Judgement {
  Verdict verdict = Verdict::kRejected;
  bool retry = false;  // the verifier itself could not run: no verdict, try again later
  std::string run;     // what names a verified run: its frames, score and end world
  std::string why;     // for the server's log
};

struct SandboxLimits {
  uint64_t frames = 0;  // the most frames the replay can hold
  uint64_t cpuSeconds = 0;
  uint64_t addressBytes = 0;
  std::chrono::milliseconds wall{0};
};

// Limits for a replay: its frame count is bounded by the unpacked size its
// packed part declares (each frame takes a byte at least), and by the
// longest run a replay may hold when it declares none.
SandboxLimits LimitsFor(std::string_view replay);

// The verdict of the verifier's exit status (or the signal that ended it)
// and its standard output, for a run claimed to score `claimed`. Verified
// only when the run ended in game over, or in the player's quit to the
// menu (a quit run enters the table too), with exactly that score. A
// verifier ended by SIGTERM, SIGINT or SIGHUP was stopped from outside: no
// verdict, try again.
Judgement JudgeVerifierOutcome(int exitStatus, int signal, std::string_view output, int32_t claimed);

class ReplaySandbox {
 public:
  // `verifier` is the game executable; std::runtime_error when the
  // system-call filter cannot be made.
  explicit ReplaySandbox(std::string verifier);

  // Runs the verifier on `replay`; `stillWorking` is called every few
  // seconds while it runs (the caller renews its lease).
  Judgement Judge(const std::string& replay, int32_t claimed, const std::function<void()>& stillWorking) const;

  const std::string& verifier() const { return verifier_; }

 private:
  std::string verifier_;
  std::vector<sock_filter> filter_;  // made once: the child may only make system calls
};

}  // namespace scored
