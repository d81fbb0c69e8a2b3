// Prints the bytes a minute of play takes in a replay file (4000 frames of
// 15 ms), for ordinary play and for a key pressed or let go every frame, and
// the median time to write and to read that minute.
// Run: build/tests/replay_size_bench [minutes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/replay_file.h"
#include "engine_link/scan_codes.h"

namespace {

using Clock = std::chrono::steady_clock;
using app::FrameInput;

constexpr int kMinuteFrames = 4000;

class Keyboard {
 public:
  explicit Keyboard(uint32_t seed) : random_(seed) { next_.pointerX = next_.pointerY = 0.5f; }
  int Between(int low, int high) { return low + static_cast<int>(random_() % static_cast<uint32_t>(high - low + 1)); }
  void Down(int code) { next_.held.set(static_cast<size_t>(code)), next_.pressed.set(static_cast<size_t>(code)); }
  void Up(int code) { next_.held.reset(static_cast<size_t>(code)); }
  bool Held(int code) const { return next_.held.test(static_cast<size_t>(code)); }
  // The frame so far; the next starts with the same keys held, nothing pressed.
  FrameInput Take() {
    FrameInput frame = next_;
    next_.pressed.reset();
    return frame;
  }

 private:
  std::mt19937 random_;
  FrameInput next_;
};

// Walking one way a second or two at a time, jumping every few seconds, fire
// held in bursts, a weapon key now and then; the pointer still.
std::vector<FrameInput> OrdinaryMinute(uint32_t seed) {
  Keyboard k(seed);
  int walk = 0, walkUntil = 0, jumpAt = k.Between(130, 330), jumpUntil = -1;
  int fireAt = k.Between(130, 400), fireUntil = -1, weaponAt = k.Between(600, 1300), weapon = 0, weaponUntil = -1;
  std::vector<FrameInput> frames;
  for (int i = 0; i < kMinuteFrames; ++i) {
    if (i >= walkUntil && walk != 0) {
      k.Up(walk);
      walk = 0;
      walkUntil = i + k.Between(0, 30);
    } else if (i >= walkUntil) {
      walk = k.Between(0, 3) != 0 ? keys::kRight : keys::kLeft;
      k.Down(walk);
      walkUntil = i + k.Between(67, 133);
    }
    if (i == jumpAt) {
      k.Down(keys::kUp);
      jumpUntil = i + k.Between(5, 15);
      jumpAt = i + k.Between(130, 330);
    }
    if (i == jumpUntil) k.Up(keys::kUp);
    if (i == fireAt) {
      k.Down(keys::kLeftCtrl);
      fireUntil = i + k.Between(33, 133);
    }
    if (i == fireUntil) {
      k.Up(keys::kLeftCtrl);
      fireAt = i + k.Between(60, 300);
    }
    if (i == weaponAt) {
      weapon = k.Between(2, 6);  // '1' to '5'
      k.Down(weapon);
      weaponUntil = i + k.Between(3, 8);
    }
    if (i == weaponUntil) {
      k.Up(weapon);
      weaponAt = i + k.Between(600, 1300);
    }
    frames.push_back(k.Take());
  }
  return frames;
}

// Every frame one of the play keys, at random, goes down or up.
std::vector<FrameInput> BusiestMinute(uint32_t seed) {
  constexpr int kPlayKeys[] = {keys::kUp,        keys::kLeft,    keys::kRight, keys::kDown, keys::kLeftCtrl,
                               keys::kLeftShift, keys::kLeftAlt, keys::kZ,     0x39,        0x02};  // space, '1'
  Keyboard k(seed);
  std::vector<FrameInput> frames;
  for (int i = 0; i < kMinuteFrames; ++i) {
    const int code = kPlayKeys[k.Between(0, static_cast<int>(std::size(kPlayKeys)) - 1)];
    k.Held(code) ? k.Up(code) : k.Down(code);
    frames.push_back(k.Take());
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
    app::Replay replay;
    replay.version = "1.0";
    // Hashes are as random as a real file's, so they pack no smaller.
    std::mt19937 random(static_cast<uint32_t>(i));
    for (uint8_t& b : replay.dataHash) b = static_cast<uint8_t>(random());
    for (uint8_t& b : replay.end.world) b = static_cast<uint8_t>(random());
    replay.segments.push_back({.seed = static_cast<uint32_t>(random()), .startTicks = 0, .frames = minute(static_cast<uint32_t>(i + 1))});

    const Clock::time_point start = Clock::now();
    const std::vector<uint8_t> file = app::EncodeReplay(replay);
    const Clock::time_point written = Clock::now();
    const app::ReplayReadResult read = app::DecodeReplay(file);
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
