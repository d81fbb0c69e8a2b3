#include "test_assets.h"

#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "core/font.h"

namespace spriteengine::testing {

std::string SpriteMeshText() {
  return "xof 0303txt 0032\n"
         "Mesh quad {\n 4;\n -0.5;-0.5;0.0;,\n 0.5;-0.5;0.0;,\n 0.5;0.5;0.0;,\n -0.5;0.5;0.0;;\n"
         " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n"
         " MeshTextureCoords {\n  4;\n  0.0;1.0;,\n  1.0;1.0;,\n  1.0;0.0;,\n  0.0;0.0;;\n }\n}\n";
}

Image SolidImage(int w, int h, uint32_t argb) {
  Image image;
  image.width = w;
  image.height = h;
  image.pixels.assign(static_cast<size_t>(w) * h, argb);
  return image;
}

Image SoftParticleImage(int size) {
  Image image = SolidImage(size, size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float dx = (x + 0.5f) / size * 2 - 1, dy = (y + 0.5f) / size * 2 - 1;
      float d = std::sqrt(dx * dx + dy * dy);
      float a = d >= 1 ? 0 : (1 - d) * (1 - d);
      uint32_t alpha = static_cast<uint32_t>(a * 255 + 0.5f);
      image.pixels[static_cast<size_t>(y) * size + x] = alpha << 24 | 0x00FFFFFF;
    }
  return image;
}

std::vector<uint8_t> BlockFontBytes() {
  constexpr int kCols = 16, kCellW = 24, kCellH = 32, kGlyphs = 95;
  formats::WidHeader h{};
  std::copy(formats::kWidMagic, formats::kWidMagic + 4, h.magic);
  h.version = formats::kWidVersion;
  h.lineHeight = 40;
  h.ascent = 32;
  h.atlasWidth = kCols * kCellW;
  h.atlasHeight = ((kGlyphs + kCols - 1) / kCols) * kCellH;
  h.firstChar = 32;
  h.glyphCount = kGlyphs;
  std::vector<formats::WidGlyph> glyphs(kGlyphs);
  std::vector<uint8_t> atlas(static_cast<size_t>(h.atlasWidth) * h.atlasHeight, 0);
  for (int i = 0; i < kGlyphs; ++i) {
    formats::WidGlyph& g = glyphs[i];
    g.x = static_cast<uint16_t>((i % kCols) * kCellW);
    g.y = static_cast<uint16_t>((i / kCols) * kCellH);
    g.width = i == 0 ? 0 : kCellW;
    g.height = i == 0 ? 0 : kCellH;
    g.offsetX = 0;
    g.offsetY = 4;
    g.advance = kCellW;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) atlas[static_cast<size_t>(g.y + y) * h.atlasWidth + g.x + x] = 255;
  }
  return WriteWid(h, glyphs, atlas);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string MakeTempFolder(const std::string& prefix) {
  std::string pattern = "/tmp/" + prefix + "XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace spriteengine::testing
