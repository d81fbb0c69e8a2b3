#include "core/replay_file.h"

#include <gtest/gtest.h>

#include <limits>

namespace core {
namespace {

FrameInput Keys(std::initializer_list<int> held, std::initializer_list<int> pressed) {
  FrameInput frame;
  for (int code : held) frame.held.set(static_cast<size_t>(code));
  for (int code : pressed) frame.pressed.set(static_cast<size_t>(code));
  return frame;
}

// Every kind of change a frame can make, over segments, and the extremes.
Replay Everything() {
  Replay r;
  r.version = std::string(kMaxReplayVersionBytes, 'v');
  r.dataHash.fill(0xAB);
  r.settings[3] = 7;
  const FrameInput right = Keys({0xCD}, {0xCD});
  // Fire goes down unpressed; '1' and code 255 were tapped between frames.
  FrameInput fire = Keys({0, 0xCD, 0x1D}, {0x02, 0xFF});
  fire.pointerX = 0.25f;
  FrameInput click = fire;
  click.pressed.reset();
  click.pointerY = -0.0f;
  click.clicked = true;
  click.commands = {FrameCommand::kMinimize, FrameCommand::kCloseBox};
  const FrameInput jump = Keys({0, 0xCD, 0x1D, 0xC8}, {0xC8});
  FrameInput busy = Keys({255}, {});
  busy.commands.assign(kMaxFrameCommands, FrameCommand::kSwitchWindowMode);
  r.segments = {{.seed = 0xDEADBEEF, .startTicks = 0, .frames = {right, fire, click, jump, FrameInput{}}},
                {.seed = 1, .startTicks = UINT32_MAX, .frames = {click, busy}},
                {.seed = UINT32_MAX, .startTicks = 5, .frames = {}}};
  r.end = {.outcome = RunOutcome::kGameOver, .score = INT32_MIN, .level = INT32_MAX, .lives = -1, .world = {}};
  r.end.world.fill(0x5A);
  return r;
}

TEST(ReplayFileTest, WhatIsWrittenReadsBackTheSame) {
  const std::pair<Replay, size_t> cases[] = {{Replay{}, 0}, {Everything(), 7}};
  for (const auto& [replay, frames] : cases) {
    const ReplayReadResult read = DecodeReplay(EncodeReplay(replay));
    ASSERT_TRUE(read.replay) << read.why;
    EXPECT_EQ(*read.replay, replay);
    EXPECT_EQ(read.replay->FrameCount(), frames);
  }
}

// A file whose zstd frame, one stored block, holds a body of no version,
// zero hashes and settings and one segment, then `segment`. The frame claims
// `claimed` bytes, the body's length if 0.
std::vector<uint8_t> Stored(std::initializer_list<uint8_t> segment, uint64_t claimed = 0) {
  std::vector<uint8_t> body(1 + 32 + 20, 0);
  body.insert(body.end(), {1, 0, 0, 0, 0, 0});
  body.insert(body.end(), segment);
  std::vector<uint8_t> file = EncodeReplay(Replay{});
  file.resize(12);
  file.insert(file.end(), {0x28, 0xB5, 0x2F, 0xFD, 0xE0});  // frame magic; single-segment, 8-byte size
  for (int i = 0; i < 8; ++i) file.push_back(static_cast<uint8_t>((claimed ? claimed : body.size()) >> (8 * i)));
  const uint32_t block = 1 | static_cast<uint32_t>(body.size()) << 3;  // the last block, stored
  file.insert(file.end(), {uint8_t(block), uint8_t(block >> 8), uint8_t(block >> 16)});
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(ReplayFileTest, BadFilesAreRefusedWithAReason) {
  const auto with = [](auto change) {
    Replay r = Everything();
    change(r);
    return EncodeReplay(r);
  };
  constexpr ReplayReadError kDamaged = ReplayReadError::kDamaged;
  std::vector<uint8_t> otherFormat = EncodeReplay(Replay{}), oversized = otherFormat, trailing = otherFormat;
  otherFormat[8] = 7;
  oversized.resize(kMaxReplayBytes + 1);
  trailing.push_back(0);
  const struct {
    std::vector<uint8_t> bytes;
    ReplayReadError error;
    std::string why;
  } cases[] = {
      {{}, ReplayReadError::kNotReplay, "not a replay file"},
      {{'V', 'A', 'R', 'N', 'O', 'K', 'R', 'X', 1, 0, 0, 0}, ReplayReadError::kNotReplay, "not a replay file"},
      {otherFormat, ReplayReadError::kOtherFormat, "replay format 7; this game reads format 1"},
      {oversized, kDamaged, "larger than any replay"},
      {trailing, kDamaged, "bytes after the end"},
      {with([](Replay& r) { r.segments[0].frames[1].pointerX = std::numeric_limits<float>::quiet_NaN(); }), kDamaged,
       "a pointer position is not a number"},
      {with([](Replay& r) { r.segments[1].frames[0].commands = {FrameCommand{5}}; }), kDamaged,
       "an unknown window command"},
      {with([](Replay& r) { r.segments[1].frames[1].commands.push_back(FrameCommand{1}); }), kDamaged,
       "too many window commands in a frame"},
      {with([](Replay& r) { r.version += 'v'; }), kDamaged, "the version is too long"},
      {with([](Replay& r) { r.end.outcome = RunOutcome{3}; }), kDamaged, "an unknown run outcome"},
      {with([](Replay& r) { r.segments.resize(kMaxReplaySegments + 1); }), kDamaged, "too many segments"},
      {Stored({0x81, 0xFF, 0xFF, 0x0F}), kDamaged, "too many frames"},
      {Stored({0x80, 0x80, 0x01}), kDamaged, "more frames than the file holds"},
      // One frame whose held keys toggle: two codes, the higher first.
      {Stored({1, 0x01, 2, 0xCD, 0xCB}), kDamaged, "key codes out of order"},
      {Stored({0}, uint64_t{1} << 40), kDamaged, "unpacks too large"},
  };
  for (const auto& c : cases) {
    const ReplayReadResult read = DecodeReplay(c.bytes);
    const std::string why = c.error == kDamaged ? "damaged replay: " + c.why : c.why;
    EXPECT_FALSE(read.replay) << why;
    EXPECT_EQ(read.error, c.error) << why;
    EXPECT_EQ(read.why, why);
  }
}

}  // namespace
}  // namespace core
