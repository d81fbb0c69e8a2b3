// Every sound effect of the game, synthesised: shots, roars, steps, hits,
// deaths and pick-up chimes.
#include <cmath>

#include "art.h"
#include "audio_synth.h"

namespace assetgen {
namespace {

using namespace audio;

constexpr float kPeak = 0.8f;      // headroom below full scale
constexpr float kLoopPeak = 0.6f;  // loops play over the music for a long time
constexpr double kClickFree = 0.003;  // seconds of fade that hide a step at either end

double T(size_t i) { return static_cast<double>(i) / kSampleRate; }

Buffer MenuTick() {
  Buffer b(Samples(0.09));
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    b[i] = static_cast<float>((std::sin(2 * M_PI * 1760 * t) + 0.5 * std::sin(2 * M_PI * 2640 * t)) * Pluck(t, 0.002, 0.018));
  }
  FadeEnds(b, kClickFree, kClickFree);
  Normalize(b, 0.6f);
  return b;
}

// A boot on pavement: a dull low thump and a short gritty scuff.
Buffer Step() {
  Buffer b(Samples(0.36));
  Noise noise(11);
  LowPass body(700), grit(3000);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    const float thump = static_cast<float>(std::sin(2 * M_PI * (95 - 40 * t) * t)) * Pluck(t, 0.003, 0.03);
    const float scuff = grit(noise()) * Pluck(t - 0.012, 0.004, 0.035);
    b[i] = thump + 0.8f * body(scuff * 2);
  }
  FadeEnds(b, kClickFree, 0.05);
  Normalize(b, kLoopPeak);
  return b;
}

// A rifle crack: a bright noise burst over a low boom, ringing out before
// the loop repeats it.
Buffer GunShot() {
  Buffer b(Samples(0.2));
  Noise noise(21);
  BandPass crack(2500, 0.7);
  LowPass boomFilter(400);
  Sweep boom(160, 45, 0.08);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    const float n = noise();
    b[i] = 1.2f * crack(n) * Pluck(t, 0.001, 0.018) + boomFilter(n) * Pluck(t, 0.001, 0.05) * 1.5f +
           0.7f * boom(t) * Pluck(t, 0.002, 0.045);
  }
  FadeEnds(b, kClickFree, 0.04);
  Normalize(b, kLoopPeak);
  return b;
}

// A falling zap with a buzzy edge.
Buffer Laser() {
  Buffer b(Samples(0.26));
  Sweep tone(2400, 300, 0.2);
  Sweep sub(1200, 150, 0.2);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    const float s = tone(t);
    const float square = s > 0 ? 0.5f : -0.5f;
    b[i] = (0.6f * s + 0.25f * square + 0.3f * sub(t)) * Pluck(t, 0.004, 0.07);
  }
  FadeEnds(b, kClickFree, 0.04);
  Normalize(b, kLoopPeak);
  return b;
}

// A steady roar of burning gas: low noise with a slow flutter.
Buffer Flamethrower() {
  Buffer b(Samples(2.2));
  Noise noise(31);
  LowPass low(500), mid(1800);
  BandPass hiss(4000, 1.0);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    const float n = noise();
    const float flutter = static_cast<float>(0.75 + 0.25 * std::sin(2 * M_PI * 7.5 * t) * std::sin(2 * M_PI * 0.9 * t));
    b[i] = (1.6f * low(n) + 0.6f * mid(n) + 0.15f * hiss(n)) * flutter;
  }
  JoinLoop(b, 0.2);
  Normalize(b, kLoopPeak);
  return b;
}

// Wheels over rail joints: a rumble under pairs of metallic clacks.
Buffer Railway() {
  Buffer b(Samples(2.0));
  Noise noise(41);
  LowPass rumble(160);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    b[i] = 2.5f * rumble(noise()) * static_cast<float>(0.8 + 0.2 * std::sin(2 * M_PI * 1.0 * t));
  }
  JoinLoop(b, 0.2);
  const double clacks[] = {0.05, 0.22, 0.95, 1.12};
  Noise clackNoise(42);
  for (double at : clacks) {
    Buffer clack(Samples(0.18));
    BandPass ring(1900, 4);
    for (size_t i = 0; i < clack.size(); ++i) {
      const double t = T(i);
      clack[i] = static_cast<float>(2.0 * ring(clackNoise()) + 0.6 * std::sin(2 * M_PI * 110 * t)) * Pluck(t, 0.001, 0.03);
    }
    MixInto(b, clack, Samples(at), 0.9f);
  }
  Normalize(b, kLoopPeak);
  return b;
}

Buffer Hit() {
  Buffer b(Samples(0.28));
  Noise noise(51);
  LowPass body(900);
  Sweep punch(180, 60, 0.1);
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    b[i] = 1.2f * punch(t) * Pluck(t, 0.002, 0.06) + 1.5f * body(noise()) * Pluck(t, 0.001, 0.03);
  }
  FadeEnds(b, kClickFree, 0.03);
  Normalize(b, kPeak);
  return b;
}

// A voiced cry: a buzzy glottal tone falling in pitch through two vowel
// formants, then a thud as the body lands.
Buffer Cry(double seconds, double pitchFrom, double pitchTo, double formant1, double formant2, uint64_t seed,
           double thudAt) {
  Buffer b(Samples(seconds));
  BandPass f1(formant1, 5), f2(formant2, 6);
  LowPass smooth(3500);
  Noise noise(seed);
  double phase = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = T(i);
    const double k = std::min(1.0, t / (thudAt * 0.9));
    const double pitch = pitchFrom * std::pow(pitchTo / pitchFrom, k) * (1 + 0.02 * std::sin(2 * M_PI * 6 * t));
    phase += pitch / kSampleRate;
    const float saw = static_cast<float>(2 * (phase - std::floor(phase)) - 1) + 0.15f * noise();
    const float voice = (1.4f * f1(saw) + 0.9f * f2(saw)) * Pluck(t, 0.02, thudAt * 0.45);
    b[i] = smooth(voice);
  }
  Buffer thud(Samples(0.3));
  Sweep drop(110, 40, 0.15);
  LowPass dust(600);
  for (size_t i = 0; i < thud.size(); ++i) {
    const double t = T(i);
    thud[i] = (drop(t) + 0.8f * dust(noise())) * Pluck(t, 0.002, 0.07);
  }
  MixInto(b, thud, Samples(thudAt), 0.9f);
  FadeEnds(b, kClickFree, 0.06);
  Normalize(b, kPeak);
  return b;
}

// Notes as (frequency, start, length) rung with a bell-like tone.
struct Note { double freq, at, tau; };
Buffer Chime(double seconds, std::initializer_list<Note> notes, double metal) {
  Buffer b(Samples(seconds));
  for (const Note& n : notes) {
    for (size_t i = Samples(n.at); i < b.size(); ++i) {
      const double t = T(i) - n.at;
      const double env = Pluck(t, 0.004, n.tau);
      // Slightly inharmonic upper partials give the metallic shimmer.
      b[i] += static_cast<float>(env * (std::sin(2 * M_PI * n.freq * t) + 0.35 * std::sin(2 * M_PI * n.freq * 2.0 * t) +
                                        metal * std::sin(2 * M_PI * n.freq * 2.76 * t) * std::exp(-t / 0.08)));
    }
  }
  FadeEnds(b, kClickFree, 0.05);
  Normalize(b, kPeak);
  return b;
}

// Picking up a weapon: the snap of a bolt, then a two-note chime whose pitch
// says which weapon it was.
Buffer WeaponTake(int weapon) {
  const double root = 440 * std::pow(2.0, (weapon * 2) / 12.0);
  Buffer b = Chime(0.7, {{root, 0.09, 0.12}, {root * 1.5, 0.18, 0.25}}, 0.3);
  Noise noise(70 + weapon);
  BandPass snap(3200, 2);
  Buffer click(Samples(0.08));
  for (size_t i = 0; i < click.size(); ++i) click[i] = 2.0f * snap(noise()) * Pluck(T(i), 0.001, 0.012);
  Buffer click2 = click;
  MixInto(b, click, 0, 0.6f);
  MixInto(b, click2, Samples(0.045), 0.5f);
  FadeEnds(b, kClickFree, 0.05);
  Normalize(b, kPeak);
  return b;
}

Buffer Make(Sound sound) {
  // Seven foes, seven voices: pitch and vowel differ per kind.
  struct Voice { double seconds, from, to, f1, f2, thud; };
  static constexpr Voice kVoices[7] = {
      {0.8, 180, 110, 700, 1200, 0.45}, {0.7, 240, 140, 500, 1000, 0.40}, {0.9, 150, 85, 600, 1000, 0.55},
      {0.75, 210, 120, 400, 800, 0.42}, {0.85, 130, 75, 750, 1250, 0.5}, {0.7, 280, 170, 550, 1700, 0.38},
      {0.95, 110, 65, 450, 900, 0.6}};
  switch (sound) {
    case Sound::MenuTick: return MenuTick();
    case Sound::Step: return Step();
    case Sound::GunShot: return GunShot();
    case Sound::Laser: return Laser();
    case Sound::Flamethrower: return Flamethrower();
    case Sound::Railway: return Railway();
    case Sound::Hit: return Hit();
    case Sound::HeroDie: return Cry(1.4, 200, 70, 650, 1100, 61, 0.85);
    case Sound::BonusHit: return Chime(0.45, {{1046, 0, 0.12}, {1568, 0.03, 0.15}}, 0.9);
    case Sound::ScoreTake: return Chime(0.55, {{988, 0, 0.08}, {1319, 0.08, 0.25}}, 0.2);
    case Sound::EnergyTake:
      return Chime(0.75, {{523, 0, 0.1}, {659, 0.07, 0.1}, {784, 0.14, 0.1}, {1046, 0.21, 0.3}}, 0.1);
    case Sound::ArmourTake: return Chime(0.8, {{330, 0, 0.35}, {415, 0.05, 0.35}, {494, 0.1, 0.4}}, 0.8);
    case Sound::WeaponTakeA: return WeaponTake(0);
    case Sound::WeaponTakeB: return WeaponTake(1);
    case Sound::WeaponTakeC: return WeaponTake(2);
    case Sound::WeaponTakeD: return WeaponTake(3);
    case Sound::WeaponTakeE: return WeaponTake(4);
    default: break;
  }
  const int kind = static_cast<int>(sound) - static_cast<int>(Sound::TerroristDie1);
  const Voice& v = kVoices[kind];
  return Cry(v.seconds, v.from, v.to, v.f1, v.f2, 100 + kind, v.thud);
}

}  // namespace

Bytes MakeSound(Sound sound) { return EncodeWav(Make(sound)); }

}  // namespace assetgen
