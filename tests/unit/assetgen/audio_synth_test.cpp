#include "audio_synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace assetgen::audio {
namespace {

// A tone whose period does not divide the buffer: cut as it is, its loop
// point jumps; joined, the last sample flows into the first.
TEST(AudioSynth, JoinLoopRemovesTheJumpAtTheLoopPoint) {
  Buffer b(Samples(1.0));
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<float>(std::sin(2 * M_PI * 437.3 * i / kSampleRate));
  const float rawJump = std::fabs(b.back() - b.front());
  const float step = static_cast<float>(2 * M_PI * 437.3 / kSampleRate);  // largest step of the tone itself
  ASSERT_GT(rawJump, 3 * step);
  JoinLoop(b, 0.05);
  EXPECT_EQ(b.size(), Samples(1.0) - Samples(0.05));
  EXPECT_LE(std::fabs(b.back() - b.front()), step * 1.01f);
}

TEST(AudioSynth, NormalizeSetsThePeakWithoutClipping) {
  Buffer b = {0.1f, -3.0f, 2.0f};
  Normalize(b, 0.8f);
  EXPECT_FLOAT_EQ(b[1], -0.8f);
  EXPECT_NEAR(b[2], 0.8f * 2 / 3, 1e-6);
}

TEST(AudioSynth, FadeEndsStartsAndStopsAtRest) {
  Buffer b(Samples(0.1), 1.0f);
  FadeEnds(b, 0.01, 0.02);
  EXPECT_EQ(b.front(), 0.0f);
  EXPECT_NEAR(b.back(), 0.0f, 1e-3);
  EXPECT_EQ(b[b.size() / 2], 1.0f);
}

TEST(AudioSynth, WavHeaderDescribes16BitMonoAt44100) {
  const Bytes wav = EncodeWav({0.5f, -1.5f});
  ASSERT_EQ(wav.size(), 44u + 4u);
  EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
  uint32_t rate = 0;
  std::memcpy(&rate, wav.data() + 24, 4);
  EXPECT_EQ(rate, 44100u);
  int16_t first = 0, second = 0;
  std::memcpy(&first, wav.data() + 44, 2);
  std::memcpy(&second, wav.data() + 46, 2);
  EXPECT_EQ(first, 16384);
  EXPECT_EQ(second, -32767);  // out-of-range input is clamped, not wrapped
}

}  // namespace
}  // namespace assetgen::audio
