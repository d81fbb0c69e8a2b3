// SDL_mixer audio on the dummy driver (no sound device): sounds start, run
// for their length, play many at once and stop.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "sdl/sdl_audio.h"

namespace spriteengine {
namespace {

// A mono 16-bit 44.1 kHz WAV of `ms` milliseconds of a quiet tone.
std::vector<uint8_t> WavBytes(int ms) {
  uint32_t samples = 44100u * ms / 1000, dataBytes = samples * 2;
  std::vector<uint8_t> out(44 + dataBytes);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(out.data() + at, &v, 2); };
  std::memcpy(out.data(), "RIFF", 4);
  put32(4, 36 + dataBytes);
  std::memcpy(out.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, 1);
  put32(24, 44100);
  put32(28, 88200);
  put16(32, 2);
  put16(34, 16);
  std::memcpy(out.data() + 36, "data", 4);
  put32(40, dataBytes);
  for (uint32_t i = 0; i < samples; ++i) put16(44 + 2 * i, static_cast<uint16_t>((i % 100) * 40));
  return out;
}

class MixerAudioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { audio_ = sdl::MakeMixerAudio(true).release(); }
  static AudioDevice* audio_;
};
AudioDevice* MixerAudioTest::audio_ = nullptr;

TEST_F(MixerAudioTest, ASoundPlaysForItsLengthThenStops) {
  std::vector<uint8_t> wav = WavBytes(200);
  std::shared_ptr<const Sample> sample = audio_->Decode(wav, false);
  ASSERT_TRUE(sample);
  uint64_t voice = audio_->Play(*sample, 0);
  ASSERT_NE(voice, 0u);
  EXPECT_TRUE(audio_->IsPlaying(voice));
  for (int i = 0; i < 200 && audio_->IsPlaying(voice); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(audio_->IsPlaying(voice));
}

TEST_F(MixerAudioTest, ManySoundsPlayAtOnceAndStopOneByOne) {
  std::vector<uint8_t> wav = WavBytes(100);
  std::shared_ptr<const Sample> sample = audio_->Decode(wav, false);
  ASSERT_TRUE(sample);
  std::vector<uint64_t> voices;
  for (int i = 0; i < 80; ++i) voices.push_back(audio_->Play(*sample, -1));  // more than the first channels
  for (uint64_t v : voices) EXPECT_TRUE(audio_->IsPlaying(v));
  audio_->Stop(voices[3]);
  EXPECT_FALSE(audio_->IsPlaying(voices[3]));
  EXPECT_TRUE(audio_->IsPlaying(voices[4]));
  audio_->StopAll();
  for (uint64_t v : voices) EXPECT_FALSE(audio_->IsPlaying(v));
}

TEST_F(MixerAudioTest, GarbageIsNotASound) {
  std::vector<uint8_t> junk(100, 7);
  EXPECT_FALSE(audio_->Decode(junk, false));
  EXPECT_FALSE(audio_->Decode(junk, true));
}

}  // namespace
}  // namespace spriteengine
