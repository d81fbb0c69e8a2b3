// Prints the bytes a minute of play takes in a replay file (4000 frames of
// 15 ms), for ordinary play (keys held a few seconds at a time) and for a
// key pressed or let go every frame, and the median time to write and read it.
// Run: build/tests/replay_size_bench [minutes]
#include <algorithm>
#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/replay_file.h"
#include "engine_link/scan_codes.h"

namespace {

using Clock = std::chrono::steady_clock;
using core::FrameInput;

constexpr size_t kMinuteFrames = 4000;

// One of the play keys, chosen by `random`.
int PlayKey(std::mt19937& random) {
  constexpr int kPlayKeys[] = {keys::kUp,        keys::kLeft,    keys::kRight, keys::kDown, keys::kLeftCtrl,
                               keys::kLeftShift, keys::kLeftAlt, keys::kZ,     0x39,        0x02};  // space, '1'
  return kPlayKeys[random() % std::size(kPlayKeys)];
}

// Spells of 10..150 frames in which one or two play keys are held (walking,
// firing, jumping), Right most often; the pointer still.
std::vector<FrameInput> OrdinaryMinute(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<FrameInput> frames;
  FrameInput frame;
  frame.pointerX = frame.pointerY = 0.5f;
  while (frames.size() < kMinuteFrames) {
    const std::bitset<core::kScanCodes> before = frame.held;
    frame.held.reset();
    frame.held.set(random() % 3 ? keys::kRight : static_cast<size_t>(PlayKey(random)));
    if (random() % 2) frame.held.set(static_cast<size_t>(PlayKey(random)));
    frame.pressed = frame.held & ~before;
    for (uint32_t f = 10 + random() % 140; f > 0 && frames.size() < kMinuteFrames; --f) {
      frames.push_back(frame);
      frame.pressed.reset();
    }
  }
  return frames;
}

// Every frame one of the play keys, at random, goes down or up.
std::vector<FrameInput> BusiestMinute(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<FrameInput> frames;
  FrameInput frame;
  for (size_t i = 0; i < kMinuteFrames; ++i) {
    const auto code = static_cast<size_t>(PlayKey(random));
    frame.pressed.reset();
    frame.held.flip(code);
    if (frame.held.test(code)) frame.pressed.set(code);
    frames.push_back(frame);
  }
  return frames;
}

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Measure(const char* name, std::vector<FrameInput> (*minute)(uint32_t), int minutes) {
  std::vector<double> bytes, encode, decode;
  for (int i = 0; i < minutes; ++i) {
    core::Replay replay;
    replay.version = "1.0";
    // Hashes are as random as a real file's, so they pack no smaller.
    std::mt19937 random(static_cast<uint32_t>(i));
    for (uint8_t& b : replay.dataHash) b = static_cast<uint8_t>(random());
    for (uint8_t& b : replay.end.world) b = static_cast<uint8_t>(random());
    replay.segments.push_back({.seed = static_cast<uint32_t>(random()), .startTicks = 0, .frames = minute(static_cast<uint32_t>(i + 1))});

    const Clock::time_point start = Clock::now();
    const std::vector<uint8_t> file = core::EncodeReplay(replay);
    const Clock::time_point written = Clock::now();
    const core::ReplayReadResult read = core::DecodeReplay(file);
    const Clock::time_point done = Clock::now();
    if (!read.replay || *read.replay != replay) {
      std::fprintf(stderr, "%s minute %d does not read back: %s\n", name, i, read.why.c_str());
      std::exit(1);
    }
    bytes.push_back(static_cast<double>(file.size()));
    encode.push_back(Millis(written - start));
    decode.push_back(Millis(done - written));
  }
  std::printf("%-9s %6.0f bytes/minute median, %6.0f largest; write %.2f ms, read %.2f ms (medians of %d)\n", name,
              Median(bytes), *std::max_element(bytes.begin(), bytes.end()), Median(encode), Median(decode), minutes);
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  Measure("ordinary", OrdinaryMinute, minutes);
  Measure("busiest", BusiestMinute, minutes);
  return 0;
}
