// The replay file (".vreplay"): one run of the game as what it started from
// and the input of each of its frames, so that it can be watched again and
// re-run by the verifier to the same score and world.
//
// A run is one or more segments: the first starts at the main menu's start
// action, and every self-restart (window mode switch, hide key) starts
// another in the relaunched process. A segment holds the generator's seed and
// the game clock it started from, then one FrameInput a frame.
//
// On disk: an 8-byte magic, the format version (little-endian uint32), then
// one zstd frame holding the rest (header fields, segments as a delta stream
// of frame inputs, the end). Reading never trusts the file: a short, damaged
// or oversized one gives a reason, and memory and time stay bounded by the
// file's length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/frame_input.h"

namespace core {

inline constexpr char kReplayMagic[8] = {'V', 'A', 'R', 'N', 'O', 'K', 'R', 'P'};
// Raised whenever a change to the game's behaviour would replay an older
// file differently; the checked-in golden replays are then recorded again.
inline constexpr uint32_t kReplayFormat = 1;
inline constexpr size_t kMaxReplayBytes = 4u << 20;          // a replay file larger than this is refused
// Four hours of play: a run read back holds its frames whole (about 100
// bytes each), so this bounds what any file can make a reader hold or run.
inline constexpr size_t kMaxReplayFrames = 4000u * 60 * 4;
inline constexpr size_t kMaxReplaySegments = 4096;
inline constexpr size_t kSettingsBytes = 20;
inline constexpr size_t kMaxFrameCommands = 16;              // window commands in one frame
inline constexpr size_t kMaxReplayVersionBytes = 32;         // the game's version string

using Sha256 = std::array<uint8_t, 32>;

// How a recorded run ended.
enum class RunOutcome : uint8_t {
  kEnded = 0,     // the recording stopped without either (the game was closed mid-run)
  kGameOver = 1,  // the last life was lost
  kQuit = 2,      // the player quit to the main menu
};

struct ReplaySegment {
  uint32_t seed = 0;        // the random generator's state when the segment began
  uint32_t startTicks = 0;  // the game clock when the segment began
  std::vector<FrameInput> frames;

  bool operator==(const ReplaySegment&) const = default;
};

// What the recording game saw at the run's end; the verifier's answer is
// checked against its own run, never taken from here.
struct ReplayEnd {
  RunOutcome outcome = RunOutcome::kEnded;
  int32_t score = 0;
  int32_t level = 0;
  int32_t lives = 0;
  Sha256 world{};  // sha256 of the world state at the end

  bool operator==(const ReplayEnd&) const = default;
};

struct Replay {
  uint32_t format = kReplayFormat;
  std::string version;                         // the game's version ("1.0")
  Sha256 dataHash{};                           // of the game's data files
  std::array<uint8_t, kSettingsBytes> settings{};  // the settings file's bytes as the run began
  std::vector<ReplaySegment> segments;
  ReplayEnd end;

  size_t FrameCount() const;
  bool operator==(const Replay&) const = default;
};

// The file's bytes.
std::vector<uint8_t> EncodeReplay(const Replay& replay);

enum class ReplayReadError : uint8_t {
  kNone,
  kNotReplay,     // no magic: not a replay file at all
  kOtherFormat,   // a replay of another format version
  kDamaged,       // short, corrupt, or holding impossible values
};

struct ReplayReadResult {
  std::optional<Replay> replay;
  ReplayReadError error = ReplayReadError::kNone;
  std::string why;  // one line for the player, when there is an error
};

// Reads a replay from the file's bytes. The format version is checked before
// anything else is decoded; every count is checked against what the
// remaining bytes can hold.
ReplayReadResult DecodeReplay(std::span<const uint8_t> bytes);

}  // namespace core
