// The two music loops, composed procedurally from a chord plan and a seeded
// melody, rendered into a circular buffer (so notes ringing past the end
// wrap to the start and the loop has no seam) and encoded with libvorbisenc.
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "art.h"
#include "audio_synth.h"

namespace assetgen {
namespace {

using namespace audio;

constexpr int kChannels = 2;
constexpr float kVorbisQuality = 0.3f;
constexpr int kOggSerial = 0x56524E4B;  // fixed, so every build writes the same bytes
constexpr float kMasterPeak = 0.85f;
constexpr float kLimiterDrive = 2.0f;

double Midi(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Stereo loop whose sample indices wrap.
class Loop {
 public:
  explicit Loop(size_t frames) : left_(frames), right_(frames) {}
  size_t frames() const { return left_.size(); }
  void Add(size_t at, float s, float pan) {  // pan -1 left .. +1 right
    const size_t i = at % left_.size();
    left_[i] += s * static_cast<float>(std::sqrt(0.5 * (1 - pan)));
    right_[i] += s * static_cast<float>(std::sqrt(0.5 * (1 + pan)));
  }
  std::vector<float>& left() { return left_; }
  std::vector<float>& right() { return right_; }
 private:
  std::vector<float> left_, right_;
};

enum class Voice { Bass, Pad, Lead, Arp, Bell };

void PlayNote(Loop& loop, Voice voice, int note, double start, double length, float gain, float pan) {
  const double f = Midi(note);
  const size_t from = Samples(start);
  double tail = 0.25;
  if (voice == Voice::Pad) tail = 0.8;
  if (voice == Voice::Bell) tail = 1.2;
  const size_t count = Samples(length + tail);
  LowPass filter(voice == Voice::Bass ? 500 : voice == Voice::Pad ? 1400 : 3000);
  double phase[3] = {0, 0.33, 0.66};
  const double detune[3] = {1.0, 1.004, 0.996};
  for (size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double release = t > length ? std::exp(-(t - length) / (tail / 4)) : 1.0;
    double s = 0;
    switch (voice) {
      case Voice::Bass: {
        phase[0] += f / kSampleRate;
        const double saw = 2 * (phase[0] - std::floor(phase[0])) - 1;
        s = filter(static_cast<float>(saw)) * 1.6 + 0.5 * std::sin(2 * M_PI * phase[0]);
        s *= std::min(1.0, t / 0.005) * (0.6 + 0.4 * std::exp(-t / 0.15));
        break;
      }
      case Voice::Pad: {
        for (int k = 0; k < 3; ++k) {
          phase[k] += f * detune[k] / kSampleRate;
          s += 2 * (phase[k] - std::floor(phase[k])) - 1;
        }
        s = filter(static_cast<float>(s / 3)) * std::min(1.0, t / 0.4);
        break;
      }
      case Voice::Lead: {
        const double vibrato = 1 + 0.006 * std::sin(2 * M_PI * 5.5 * t) * std::min(1.0, t / 0.3);
        phase[0] += f * vibrato / kSampleRate;
        const double frac = phase[0] - std::floor(phase[0]);
        const double pulse = frac < 0.3 ? 1.0 : -0.45;
        s = filter(static_cast<float>(0.6 * pulse + 0.6 * std::sin(2 * M_PI * phase[0])));
        s *= std::min(1.0, t / 0.02) * (0.7 + 0.3 * std::exp(-t / 0.3));
        break;
      }
      case Voice::Arp: {
        phase[0] += f / kSampleRate;
        s = filter((phase[0] - std::floor(phase[0])) < 0.5 ? 1.0f : -1.0f) * Pluck(t, 0.002, 0.09);
        break;
      }
      case Voice::Bell: {
        s = (std::sin(2 * M_PI * f * t) + 0.3 * std::sin(2 * M_PI * f * 3.01 * t) * std::exp(-t / 0.2)) *
            Pluck(t, 0.003, 0.5);
        break;
      }
    }
    loop.Add(from + i, static_cast<float>(s * release) * gain, pan);
  }
}

void Kick(Loop& loop, double at, float gain) {
  Sweep sweep(130, 42, 0.09);
  const size_t n = Samples(0.3);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    loop.Add(Samples(at) + i, sweep(t) * Pluck(t, 0.002, 0.11) * gain, 0);
  }
}

void Snare(Loop& loop, double at, float gain, uint64_t seed) {
  Noise noise(seed);
  BandPass body(1800, 0.8);
  const size_t n = Samples(0.25);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float s = 1.6f * body(noise()) * Pluck(t, 0.001, 0.06) +
                    0.5f * static_cast<float>(std::sin(2 * M_PI * 190 * t)) * Pluck(t, 0.001, 0.04);
    loop.Add(Samples(at) + i, s * gain, 0.1f);
  }
}

void Hat(Loop& loop, double at, float gain, uint64_t seed) {
  Noise noise(seed);
  LowPass low(6000);
  const size_t n = Samples(0.08);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const float x = noise();
    loop.Add(Samples(at) + i, (x - low(x)) * Pluck(t, 0.001, 0.018) * gain, -0.3f);
  }
}

struct Song {
  double bpm;
  int bars;                        // 4/4 bars; the loop is exactly this long
  std::vector<std::vector<int>> chords;  // MIDI notes of each bar's chord, cycled
  std::vector<int> scale;          // melody notes (MIDI) to choose from
  uint64_t seed;
  bool driving;                    // the play tune: busier drums and an arpeggio
};

// Builds a short melodic motif and lays it over the chords, bending each
// note to the nearest chord tone on strong beats so it always fits.
void Melody(Loop& loop, const Song& song, double beat, int firstBar, int bars, float gain) {
  Rng rng(song.seed);
  struct Step { double at, len; int degree; };
  std::vector<Step> motif;
  const double rhythms[][4] = {{0, 1, 1.5, 2}, {0, 0.5, 1, 3}, {0, 1.5, 2, 3}, {0, 2, 2.5, 3}};
  for (int bar = 0; bar < 2; ++bar) {
    const double* r = rhythms[rng.Below(4)];
    for (int k = 0; k < 4; ++k) {
      const double next = k < 3 ? r[k + 1] : 4.0;
      motif.push_back({bar * 4 + r[k], (next - r[k]) * 0.9, rng.Below(static_cast<int>(song.scale.size()))});
    }
  }
  for (int bar = firstBar; bar < firstBar + bars; bar += 2) {
    const bool answer = ((bar - firstBar) / 2) % 2 == 1;  // every second phrase answers a step lower
    for (const Step& s : motif) {
      const int barIndex = bar + static_cast<int>(s.at / 4);
      const std::vector<int>& chord = song.chords[barIndex % song.chords.size()];
      int note = song.scale[(s.degree + (answer ? static_cast<int>(song.scale.size()) - 2 : 0)) % song.scale.size()];
      if (std::fmod(s.at, 2.0) == 0) {
        int best = note, bestDist = 99;
        for (int c : chord) {
          for (int octave = -24; octave <= 24; octave += 12) {
            const int candidate = c + octave;
            if (std::abs(candidate - note) < bestDist) {
              bestDist = std::abs(candidate - note);
              best = candidate;
            }
          }
        }
        note = best;
      }
      PlayNote(loop, Voice::Lead, note, (bar * 4 + s.at) * beat, s.len * beat, gain, 0.15f);
    }
  }
}

Loop Render(const Song& song) {
  const double beat = 60.0 / song.bpm;
  Loop loop(Samples(song.bars * 4 * beat));
  Rng rng(song.seed + 1);
  const int section = song.bars / 4;  // intro, A, B, outro-like return
  for (int bar = 0; bar < song.bars; ++bar) {
    const std::vector<int>& chord = song.chords[bar % song.chords.size()];
    const double t0 = bar * 4 * beat;
    const int part = bar / section;  // 0 quiet, 1 groove, 2 melody, 3 groove + melody
    // Pad on every bar, softer in the quiet part.
    for (size_t k = 0; k < chord.size(); ++k) {
      PlayNote(loop, Voice::Pad, chord[k], t0, 4 * beat, part == 0 ? 0.10f : 0.07f, -0.5f + 0.5f * k);
    }
    if (part == 0) {
      for (int b = 0; b < 4; ++b) PlayNote(loop, Voice::Bell, chord[b % chord.size()] + 12, t0 + b * beat, beat, 0.05f, 0.4f);
    }
    if (part >= 1) {
      const int root = chord[0] - 12;
      const double pattern[] = {0, 1.5, 2, 3, 3.5};
      for (double p : pattern) {
        PlayNote(loop, Voice::Bass, p == 3.5 ? root + 7 : root, t0 + p * beat, 0.45 * beat, 0.22f, 0);
      }
      for (int b = 0; b < 4; ++b) {
        if (song.driving || b % 2 == 0) Kick(loop, t0 + b * beat, 0.55f);
        if (b % 2 == 1) Snare(loop, t0 + b * beat, 0.3f, rng.Next());
        Hat(loop, t0 + b * beat + beat / 2, 0.25f, rng.Next());
        if (song.driving) Hat(loop, t0 + b * beat, 0.15f, rng.Next());
      }
    }
    if (song.driving && part >= 1) {
      for (int s = 0; s < 8; ++s) {
        PlayNote(loop, Voice::Arp, chord[s % chord.size()] + 12 * (s / 4 == 0 ? 0 : 1), t0 + s * beat / 2,
                 beat / 2, 0.06f, 0.5f);
      }
    }
  }
  Melody(loop, song, beat, 2 * section, section, 0.12f);
  Melody(loop, song, beat, 3 * section, section, 0.12f);
  return loop;
}

Bytes EncodeOgg(Loop& loop) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, kChannels, kSampleRate, kVorbisQuality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("vorbis encoder set-up failed");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "Varnok");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, kOggSerial);

  Bytes out;
  auto writePage = [&out](const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) writePage(page);

  constexpr size_t kChunk = 4096;
  size_t pos = 0;
  bool done = false;
  while (!done) {
    const size_t n = std::min(kChunk, loop.frames() - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i) {
        buffer[0][i] = loop.left()[pos + i];
        buffer[1][i] = loop.right()[pos + i];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          writePage(page);
          if (ogg_page_eos(&page)) done = true;
        }
      }
    }
    if (n == 0) done = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) writePage(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace

Bytes MakeMusic(Tune tune) {
  Song song;
  if (tune == Tune::Menu) {
    // A minor, slow and brooding: Am F C G | Dm Am E Am.
    song = {92, 32, {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62},
                     {50, 53, 57}, {57, 60, 64}, {52, 56, 59}, {57, 60, 64}},
            {69, 71, 72, 74, 76, 77, 79, 81}, 0x4D454E55, false};
  } else {
    // E minor, driving: Em C G D | Am Em B Em.
    song = {132, 48, {{52, 55, 59}, {48, 52, 55}, {55, 59, 62}, {50, 54, 57},
                      {57, 60, 64}, {52, 55, 59}, {47, 51, 54}, {52, 55, 59}},
            {64, 66, 67, 69, 71, 72, 74, 76}, 0x47414D45, true};
  }
  Loop loop = Render(song);
  float loudest = 0;
  for (float s : loop.left()) loudest = std::max(loudest, std::fabs(s));
  for (float s : loop.right()) loudest = std::max(loudest, std::fabs(s));
  if (loudest > 0) {
    // A soft limiter: the drum peaks are tamed so the whole mix can sit
    // louder, and nothing ever reaches full scale.
    const float drive = kLimiterDrive / loudest;
    const float norm = kMasterPeak / std::tanh(kLimiterDrive);
    for (float& s : loop.left()) s = std::tanh(s * drive) * norm;
    for (float& s : loop.right()) s = std::tanh(s * drive) * norm;
  }
  return EncodeOgg(loop);
}

}  // namespace assetgen
