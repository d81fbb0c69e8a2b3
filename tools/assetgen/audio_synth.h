// Small synthesis toolkit for the sound effects and the music: oscillators,
// noise, filters, envelopes, loop joining and the WAV writer.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "asset.h"
#include "paint.h"

namespace assetgen::audio {

inline constexpr int kSampleRate = 44100;
using Buffer = std::vector<float>;

inline size_t Samples(double seconds) { return static_cast<size_t>(seconds * kSampleRate); }

// One-pole low-pass; cutoff in Hz.
class LowPass {
 public:
  explicit LowPass(double cutoff) { Set(cutoff); }
  void Set(double cutoff);
  float operator()(float x) { return y_ += a_ * (x - y_); }
 private:
  float a_ = 1, y_ = 0;
};

// Band-pass biquad (constant peak gain), for noisy body in hits and roars.
class BandPass {
 public:
  BandPass(double centre, double q);
  float operator()(float x);
 private:
  float b0_, b2_, a1_, a2_, x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// White noise in -1..1 from a seeded generator.
class Noise {
 public:
  explicit Noise(uint64_t seed) : rng_(seed) {}
  float operator()() { return static_cast<float>(rng_.Uniform(-1.0, 1.0)); }
 private:
  Rng rng_;
};

// Exponential decay from 1 with the given time to fall to 1/e.
inline float Decay(double t, double tau) { return static_cast<float>(std::exp(-t / tau)); }
// Linear attack then exponential release: a plucked or struck note.
float Pluck(double t, double attack, double tau);
// A sine whose frequency glides exponentially from f0 to f1 over `glide` seconds.
class Sweep {
 public:
  Sweep(double f0, double f1, double glide) : f0_(f0), f1_(f1), glide_(glide) {}
  float operator()(double t);
 private:
  double f0_, f1_, glide_, phase_ = 0;
};

// Adds src into dst starting at sample `at`, scaled by gain.
void MixInto(Buffer& dst, const Buffer& src, size_t at, float gain = 1.0f);
// Short fades at both ends so a one-shot never starts or stops with a click.
void FadeEnds(Buffer& b, double fadeIn, double fadeOut);
// Scales so the loudest sample reaches `peak` (below full scale: no clipping).
void Normalize(Buffer& b, float peak);
// Makes the end flow into the start: the last `overlap` seconds are
// cross-faded into the first ones and then cut off.
void JoinLoop(Buffer& b, double overlap);
// 16-bit mono PCM WAV at 44.1 kHz.
Bytes EncodeWav(const Buffer& mono);

}  // namespace assetgen::audio
