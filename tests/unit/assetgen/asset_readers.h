// Decoders the tests use to check generated files: each returns false (and
// leaves a reason) for a file it cannot read, never crashes on bad bytes.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace assetgen::test {

std::vector<uint8_t> ReadAll(const std::string& path);

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // ARGB32 premultiplied (PNG) or 0xFFRRGGBB (JPEG), rows top to bottom
};
bool DecodePng(const std::string& path, Image& out, std::string& why);
bool DecodeJpeg(const std::string& path, Image& out, std::string& why);

struct Pcm {
  int channels = 0, sampleRate = 0, bitsPerSample = 0;
  std::vector<int16_t> samples;  // interleaved
  double seconds() const {
    return channels && sampleRate ? static_cast<double>(samples.size()) / channels / sampleRate : 0;
  }
};
bool DecodeWav(const std::string& path, Pcm& out, std::string& why);
// Decodes a whole Ogg Vorbis file to 16-bit PCM.
bool DecodeOgg(const std::string& path, Pcm& out, std::string& why);

}  // namespace assetgen::test
