// ".wid" fonts (formats.h) and the layout of printed text in sprite units.
//
// Metrics (docs/architecture.md): a line is 2 units tall at scale 1 (lineHeight atlas
// pixels = 2 units); glyph advances scale the same way. The location of
// iPrint is the left end of the line at its vertical centre; iPrintCentered
// puts the centre of the text there. `spacing` is the letter spacing: 0.1,
// what every iPrint passes, is the font's own; each glyph advance grows by
// (spacing - 0.1) x scale.x units. A '\n' starts a new line 2 x scale.y below.
// Any other byte the font lacks is drawn as kReplacementMark, taking its room
// (a font without that mark leaves a space's room, one without a space none).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry.h"
#include "image.h"
#include "spriteengine/formats.h"

namespace spriteengine {

struct Font {
  formats::WidHeader header{};
  std::vector<formats::WidGlyph> glyphs;
  std::shared_ptr<const TextureData> atlas;  // white, coverage as alpha (premultiplied)
};

inline constexpr float kLineHeightUnits = 2.0f;    // one text line at scale 1
inline constexpr float kNeutralSpacing = 0.1f;     // the spacing value that adds nothing
inline constexpr unsigned char kReplacementMark = '?';  // drawn for bytes the font lacks

// Parses a ".wid" file; nullopt (and `error`) for anything malformed.
std::optional<Font> ParseWid(std::span<const uint8_t> bytes, int mipLevels, std::string* error = nullptr);

// One glyph to draw: where (sprite units, y up) and which atlas cell.
struct GlyphPlacement {
  float left = 0, top = 0, right = 0, bottom = 0;  // sprite units
  int atlasX = 0, atlasY = 0, atlasW = 0, atlasH = 0;
};

struct TextLayout {
  std::vector<GlyphPlacement> glyphs;
  float width = 0;  // units of the widest line
};

TextLayout LayoutText(const Font& font, std::string_view text, Vec2 location, Vec2 scale, float spacing,
                      bool centered);

// Bytes of a ".wid" file; used by tests and fuzz seeds to make fonts.
std::vector<uint8_t> WriteWid(const formats::WidHeader& header, const std::vector<formats::WidGlyph>& glyphs,
                              const std::vector<uint8_t>& atlas);

}  // namespace spriteengine
