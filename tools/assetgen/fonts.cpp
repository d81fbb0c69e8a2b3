// The game's two ".wid" fonts: DejaVu faces rendered by FreeType into the
// engine's coverage atlas (spriteengine/formats.h).
//
// The display face is set on a fixed pitch: the game lays its texts out by
// character counts (a records line is a 10-character name, seven spaces and a
// 6-digit score; captions are centred by half an advance per character), so
// every glyph advances the same. Glyphs wider than the pitch are narrowed to
// fit it and every glyph is centred in its cell.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <spriteengine/formats.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "art.h"

namespace assetgen {
namespace {

namespace fmt = spriteengine::formats;

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kGlyphCount = kLastChar - kFirstChar + 1;
constexpr int kEmPixels = 48;          // rendering size; the engine scales by lineHeight
constexpr int kAtlasWidth = 512;
constexpr int kPadding = 1;            // empty pixels round each cell, so filtering does not bleed
// An average capital or digit advances 1.2 units at print scale 1, and a line
// is 2 units: the line height is the average advance divided by 0.6.
constexpr double kAdvancePerLine = 0.6;
constexpr int kPitchMargin = 2;        // atlas pixels between the inks of two wide glyphs

struct Rendered {
  int width = 0, height = 0, left = 0, top = 0, advance = 0;
  std::vector<uint8_t> pixels;
};

const char* FontFile(GameFont font) {
  return font == GameFont::Display ? ASSETGEN_FONT_DIR "/DejaVuSansCondensed-Bold.ttf"
                                   : ASSETGEN_FONT_DIR "/DejaVuSans.ttf";
}

class FreeType {
 public:
  explicit FreeType(const char* file) {
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType could not start");
    if (FT_New_Face(library_, file, 0, &face_) != 0) {
      FT_Done_FreeType(library_);
      throw std::runtime_error(std::string("missing font file ") + file);
    }
    FT_Set_Pixel_Sizes(face_, 0, kEmPixels);
  }
  ~FreeType() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  FreeType(const FreeType&) = delete;
  FreeType& operator=(const FreeType&) = delete;

  // Renders `code`, narrowed horizontally by `widthScale` (1: as designed).
  Rendered Render(int code, double widthScale = 1.0) {
    FT_Matrix narrow{static_cast<FT_Fixed>(std::lround(widthScale * 0x10000)), 0, 0, 0x10000};
    FT_Set_Transform(face_, &narrow, nullptr);
    if (FT_Load_Char(face_, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
      throw std::runtime_error("FreeType cannot render character " + std::to_string(code));
    }
    const FT_GlyphSlot g = face_->glyph;
    Rendered r;
    r.width = static_cast<int>(g->bitmap.width);
    r.height = static_cast<int>(g->bitmap.rows);
    r.left = g->bitmap_left;
    r.top = g->bitmap_top;
    r.advance = static_cast<int>(std::lround(g->advance.x / 64.0));
    r.pixels.resize(static_cast<size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y) {
      std::memcpy(r.pixels.data() + static_cast<size_t>(y) * r.width, g->bitmap.buffer + y * g->bitmap.pitch,
                  static_cast<size_t>(r.width));
    }
    return r;
  }
  double ascender() const { return face_->size->metrics.ascender / 64.0; }
  double descender() const { return -face_->size->metrics.descender / 64.0; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

template <typename T>
void Append(Bytes& out, const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof(T));
}

// Narrows every glyph whose ink is wider than the pitch allows, then centres
// each ink in a cell of `pitch` pixels.
void SetOnPitch(FreeType& ft, std::vector<Rendered>& glyphs, int pitch) {
  const int widest = pitch - kPitchMargin;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    Rendered& r = glyphs[i];
    if (r.width > widest) r = ft.Render(kFirstChar + static_cast<int>(i), static_cast<double>(widest) / r.width);
    r.left = (pitch - r.width) / 2;
    r.advance = pitch;
  }
}

}  // namespace

Bytes MakeWidFont(GameFont font) {
  FreeType ft(FontFile(font));
  std::vector<Rendered> glyphs;
  double capsAdvance = 0;
  int capsCount = 0;
  for (int code = kFirstChar; code <= kLastChar; ++code) {
    glyphs.push_back(ft.Render(code));
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
      capsAdvance += glyphs.back().advance;
      ++capsCount;
    }
  }
  const int pitch = static_cast<int>(std::lround(capsAdvance / capsCount));
  if (font == GameFont::Display) SetOnPitch(ft, glyphs, pitch);
  const int lineHeight = static_cast<int>(std::lround(pitch / kAdvancePerLine));
  const int ascent = static_cast<int>(std::lround(lineHeight * ft.ascender() / (ft.ascender() + ft.descender())));

  // Shelf packing, in character order.
  std::vector<fmt::WidGlyph> cells(kGlyphCount);
  int penX = 0, penY = 0, shelf = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    const Rendered& r = glyphs[i];
    const int cellW = r.width + 2 * kPadding, cellH = r.height + 2 * kPadding;
    if (penX + cellW > kAtlasWidth) {
      penX = 0;
      penY += shelf;
      shelf = 0;
    }
    cells[i].x = static_cast<uint16_t>(penX);
    cells[i].y = static_cast<uint16_t>(penY);
    cells[i].width = static_cast<uint16_t>(r.width == 0 ? 0 : cellW);
    cells[i].height = static_cast<uint16_t>(r.height == 0 ? 0 : cellH);
    cells[i].offsetX = static_cast<int16_t>(r.left - kPadding);
    cells[i].offsetY = static_cast<int16_t>(ascent - r.top - kPadding);
    cells[i].advance = static_cast<uint16_t>(r.advance);
    penX += cellW;
    shelf = std::max(shelf, cellH);
  }
  const int atlasHeight = penY + shelf;
  std::vector<uint8_t> atlas(static_cast<size_t>(kAtlasWidth) * atlasHeight, 0);
  for (int i = 0; i < kGlyphCount; ++i) {
    const Rendered& r = glyphs[i];
    for (int y = 0; y < r.height; ++y) {
      std::memcpy(atlas.data() + static_cast<size_t>(cells[i].y + kPadding + y) * kAtlasWidth + cells[i].x + kPadding,
                  r.pixels.data() + static_cast<size_t>(y) * r.width, static_cast<size_t>(r.width));
    }
  }

  fmt::WidHeader header{};
  std::memcpy(header.magic, fmt::kWidMagic, sizeof header.magic);
  header.version = fmt::kWidVersion;
  header.lineHeight = static_cast<uint16_t>(lineHeight);
  header.ascent = static_cast<uint16_t>(ascent);
  header.atlasWidth = kAtlasWidth;
  header.atlasHeight = static_cast<uint16_t>(atlasHeight);
  header.firstChar = kFirstChar;
  header.glyphCount = kGlyphCount;
  Bytes out;
  Append(out, header);
  for (const auto& cell : cells) Append(out, cell);
  out.insert(out.end(), atlas.begin(), atlas.end());
  return out;
}

}  // namespace assetgen
