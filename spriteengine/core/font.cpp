#include "font.h"

#include <algorithm>
#include <cstring>

namespace spriteengine {

namespace {

constexpr int kMaxAtlasSide = 4096;

bool Fail(std::string* error, const char* message) {
  if (error) *error = message;
  return false;
}

const formats::WidGlyph* GlyphOf(const Font& font, unsigned char c) {
  int index = static_cast<int>(c) - font.header.firstChar;
  if (index < 0 || index >= static_cast<int>(font.glyphs.size())) return nullptr;
  return &font.glyphs[index];
}

// A byte the font lacks (a name from an old or edited file may hold any
// byte) is drawn as the replacement mark, or failing that left blank with a
// space's room, so the columns of a line still hold.
const formats::WidGlyph* GlyphOrReplacement(const Font& font, unsigned char c) {
  if (const formats::WidGlyph* g = GlyphOf(font, c)) return g;
  if (const formats::WidGlyph* mark = GlyphOf(font, kReplacementMark)) return mark;
  return GlyphOf(font, ' ');
}

}  // namespace

std::optional<Font> ParseWid(std::span<const uint8_t> bytes, int mipLevels, std::string* error) {
  using formats::WidGlyph;
  using formats::WidHeader;
  Font font;
  if (bytes.size() < sizeof(WidHeader)) {
    Fail(error, "shorter than the header");
    return std::nullopt;
  }
  std::memcpy(&font.header, bytes.data(), sizeof(WidHeader));
  const WidHeader& h = font.header;
  if (std::memcmp(h.magic, formats::kWidMagic, 4) != 0 || h.version != formats::kWidVersion) {
    Fail(error, "not a VWID version 1 file");
    return std::nullopt;
  }
  if (h.lineHeight == 0 || h.atlasWidth == 0 || h.atlasHeight == 0 || h.atlasWidth > kMaxAtlasSide ||
      h.atlasHeight > kMaxAtlasSide || h.firstChar + h.glyphCount > 256) {
    Fail(error, "header values out of range");
    return std::nullopt;
  }
  size_t glyphBytes = size_t(h.glyphCount) * sizeof(WidGlyph);
  size_t atlasBytes = size_t(h.atlasWidth) * h.atlasHeight;
  if (bytes.size() < sizeof(WidHeader) + glyphBytes + atlasBytes) {
    Fail(error, "shorter than its glyphs and atlas");
    return std::nullopt;
  }
  font.glyphs.resize(h.glyphCount);
  if (glyphBytes) std::memcpy(font.glyphs.data(), bytes.data() + sizeof(WidHeader), glyphBytes);
  for (const WidGlyph& g : font.glyphs) {
    if (g.x + g.width > h.atlasWidth || g.y + g.height > h.atlasHeight) {
      Fail(error, "glyph cell outside the atlas");
      return std::nullopt;
    }
  }
  Image atlas;
  atlas.width = h.atlasWidth;
  atlas.height = h.atlasHeight;
  atlas.pixels.resize(atlasBytes);
  const uint8_t* coverage = bytes.data() + sizeof(WidHeader) + glyphBytes;
  for (size_t i = 0; i < atlasBytes; ++i) {
    uint32_t c = coverage[i];
    atlas.pixels[i] = c << 24 | c << 16 | c << 8 | c;
  }
  font.atlas = std::make_shared<TextureData>(BuildTexture(std::move(atlas), mipLevels));
  return font;
}

TextLayout LayoutText(const Font& font, std::string_view text, Vec2 location, Vec2 scale, float spacing,
                      bool centered) {
  TextLayout layout;
  const float unitsPerPixel = kLineHeightUnits / font.header.lineHeight;
  const float extra = (spacing - kNeutralSpacing) * scale.x;
  // Line widths first (needed to centre).
  std::vector<float> widths(1, 0.0f);
  for (char ch : text) {
    if (ch == '\n') {
      widths.push_back(0);
      continue;
    }
    const formats::WidGlyph* g = GlyphOrReplacement(font, static_cast<unsigned char>(ch));
    float advance = g ? g->advance * unitsPerPixel * scale.x + extra : 0;
    widths.back() += std::max(0.0f, advance);
  }
  layout.width = *std::max_element(widths.begin(), widths.end());
  size_t line = 0;
  float lineTop = location.y + kLineHeightUnits * scale.y / 2;
  if (centered) lineTop += (widths.size() - 1) * kLineHeightUnits * scale.y / 2;
  float pen = centered ? location.x - widths[0] / 2 : location.x;
  for (char ch : text) {
    if (ch == '\n') {
      ++line;
      lineTop -= kLineHeightUnits * scale.y;
      pen = centered ? location.x - widths[line] / 2 : location.x;
      continue;
    }
    const formats::WidGlyph* g = GlyphOrReplacement(font, static_cast<unsigned char>(ch));
    if (!g) continue;
    if (g->width > 0 && g->height > 0) {
      GlyphPlacement p;
      p.left = pen + g->offsetX * unitsPerPixel * scale.x;
      p.right = p.left + g->width * unitsPerPixel * scale.x;
      p.top = lineTop - g->offsetY * unitsPerPixel * scale.y;
      p.bottom = p.top - g->height * unitsPerPixel * scale.y;
      p.atlasX = g->x, p.atlasY = g->y, p.atlasW = g->width, p.atlasH = g->height;
      layout.glyphs.push_back(p);
    }
    pen += std::max(0.0f, g->advance * unitsPerPixel * scale.x + extra);
  }
  return layout;
}

std::vector<uint8_t> WriteWid(const formats::WidHeader& header, const std::vector<formats::WidGlyph>& glyphs,
                              const std::vector<uint8_t>& atlas) {
  std::vector<uint8_t> out(sizeof header + glyphs.size() * sizeof(formats::WidGlyph) + atlas.size());
  std::memcpy(out.data(), &header, sizeof header);
  if (!glyphs.empty())
    std::memcpy(out.data() + sizeof header, glyphs.data(), glyphs.size() * sizeof(formats::WidGlyph));
  if (!atlas.empty())
    std::memcpy(out.data() + sizeof header + glyphs.size() * sizeof(formats::WidGlyph), atlas.data(), atlas.size());
  return out;
}

}  // namespace spriteengine
