// Fuzzes the replayer: any frames, commands and seeds a replay file can hold
// are played through the game's code to an end, without a crash, a hang or a
// read of anything outside the run. The bytes are read as a made-up replay
// (seed, settings, then a few bytes a frame) rather than through the file
// reader, so the fuzzer reaches the game instead of the checksum.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "app/replay_verifier.h"
#include "core/replay_file.h"

namespace {

constexpr size_t kMaxFrames = 3000;  // a run of 45 s: enough to fight, die and restart
constexpr int32_t kPlayKeys[] = {0x1D, 0xC8, 0xCB, 0xCD, 0xD0, 0x2D, 0x2C, 0x01, 0x1C, 0x38, 0x58, 0xC5, 0x0F};

core::Replay ReplayOf(std::span<const uint8_t> bytes) {
  core::Replay replay;
  core::ReplaySegment segment;
  if (bytes.size() >= 4) {
    std::memcpy(&segment.seed, bytes.data(), 4);
    bytes = bytes.subspan(4);
  }
  if (bytes.size() >= core::kSettingsBytes) {
    std::memcpy(replay.settings.data(), bytes.data(), core::kSettingsBytes);
    bytes = bytes.subspan(core::kSettingsBytes);
  }
  core::FrameInput frame;
  // Two bytes a frame: which key toggles or is pressed, how long the frame
  // repeats, and now and then the pointer, a click or a window command.
  for (size_t at = 0; at + 1 < bytes.size() && segment.frames.size() < kMaxFrames; at += 2) {
    const uint8_t what = bytes[at], how = bytes[at + 1];
    frame.pressed.reset();
    frame.clicked = false;
    frame.commands.clear();
    const int32_t key = kPlayKeys[what % std::size(kPlayKeys)];
    frame.held.flip(static_cast<size_t>(key));
    if (frame.held.test(static_cast<size_t>(key))) frame.pressed.set(static_cast<size_t>(key));
    if (how & 0x80) {
      frame.pointerX = static_cast<float>(what) / 200.0f - 0.1f;
      frame.pointerY = static_cast<float>(how & 0x7F) / 100.0f - 0.1f;
      frame.clicked = (how & 1) != 0;
    }
    if ((how & 0x70) == 0x70) frame.commands.push_back(static_cast<core::FrameCommand>(1 + what % core::kLastFrameCommand));
    for (int repeat = 0; repeat <= (how & 0x0F) && segment.frames.size() < kMaxFrames; ++repeat) {
      segment.frames.push_back(frame);
      frame.pressed.reset();
      frame.commands.clear();
      frame.clicked = false;
    }
  }
  if (segment.frames.empty()) segment.frames.emplace_back();
  replay.segments.push_back(std::move(segment));
  return replay;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  // A run that restarts has frames left over: refused with a reason, never run on.
  const auto verdict = app::RunReplay(ReplayOf({data, size}), why);
  if (!verdict && why.empty()) __builtin_trap();
  return 0;
}
