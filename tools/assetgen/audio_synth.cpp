#include "audio_synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace assetgen::audio {

void LowPass::Set(double cutoff) {
  a_ = static_cast<float>(1.0 - std::exp(-2.0 * M_PI * cutoff / kSampleRate));
}

BandPass::BandPass(double centre, double q) {
  const double w = 2 * M_PI * centre / kSampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double a0 = 1 + alpha;
  b0_ = static_cast<float>(alpha / a0);
  b2_ = static_cast<float>(-alpha / a0);
  a1_ = static_cast<float>(-2 * std::cos(w) / a0);
  a2_ = static_cast<float>((1 - alpha) / a0);
}

float BandPass::operator()(float x) {
  const float y = b0_ * x + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_;
  x1_ = x;
  y2_ = y1_;
  y1_ = y;
  return y;
}

float Pluck(double t, double attack, double tau) {
  if (t < 0) return 0;
  if (t < attack) return static_cast<float>(t / attack);
  return Decay(t - attack, tau);
}

float Sweep::operator()(double t) {
  const double k = std::min(1.0, t / glide_);
  const double f = f0_ * std::pow(f1_ / f0_, k);
  phase_ += 2 * M_PI * f / kSampleRate;
  return static_cast<float>(std::sin(phase_));
}

void MixInto(Buffer& dst, const Buffer& src, size_t at, float gain) {
  for (size_t i = 0; i < src.size() && at + i < dst.size(); ++i) dst[at + i] += src[i] * gain;
}

void FadeEnds(Buffer& b, double fadeIn, double fadeOut) {
  const size_t in = std::min(b.size(), Samples(fadeIn));
  const size_t out = std::min(b.size(), Samples(fadeOut));
  for (size_t i = 0; i < in; ++i) b[i] *= static_cast<float>(i) / in;
  for (size_t i = 0; i < out; ++i) b[b.size() - 1 - i] *= static_cast<float>(i) / out;
}

void Normalize(Buffer& b, float peak) {
  float loudest = 0;
  for (float s : b) loudest = std::max(loudest, std::fabs(s));
  if (loudest <= 0) return;
  const float gain = peak / loudest;
  for (float& s : b) s *= gain;
}

void JoinLoop(Buffer& b, double overlap) {
  const size_t n = Samples(overlap);
  if (b.size() <= 2 * n) return;
  const size_t keep = b.size() - n;
  for (size_t i = 0; i < n; ++i) {
    // Equal-power cross-fade keeps the loudness of noise steady across the seam.
    const double t = static_cast<double>(i) / n;
    b[i] = static_cast<float>(b[i] * std::sin(t * M_PI / 2) + b[keep + i] * std::cos(t * M_PI / 2));
  }
  b.resize(keep);
}

namespace {
void PutU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}
}  // namespace

Bytes EncodeWav(const Buffer& mono) {
  constexpr uint16_t kChannels = 1, kBits = 16, kPcm = 1;
  const uint32_t dataBytes = static_cast<uint32_t>(mono.size() * 2);
  Bytes out;
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, kPcm);
  PutU16(out, kChannels);
  PutU32(out, kSampleRate);
  PutU32(out, kSampleRate * kChannels * kBits / 8);
  PutU16(out, kChannels * kBits / 8);
  PutU16(out, kBits);
  PutTag(out, "data");
  PutU32(out, dataBytes);
  for (float s : mono) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
  }
  return out;
}

}  // namespace assetgen::audio
