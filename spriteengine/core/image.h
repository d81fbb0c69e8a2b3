// Decoded pictures: premultiplied ARGB, mip chains, the magenta checker that
// stands in for a missing picture, and our DDS reader.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace spriteengine {

// One picture level: pixels are 0xAARRGGBB with colour premultiplied by alpha.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, rows top to bottom
  bool opaque = false;           // every alpha is 255 (set by MarkOpacity)

  // A picture that is not opaque, row by row as runs of clear texels (0),
  // of opaque ones and of the rest (set by MarkOpacity), so that a row drawn
  // at its own size skips the clear, copies the opaque and blends only the
  // rest. Row y's runs are runs[rowRuns[y]] up to runs[rowRuns[y + 1]]; each
  // ends where the next begins, the first begins at column 0.
  enum class Texels : uint8_t { kClear, kOpaque, kMixed };
  struct Run {
    int32_t end;  // column past the run
    Texels kind;
  };
  std::vector<Run> runs;
  std::vector<uint32_t> rowRuns;  // height + 1 entries; empty for an opaque picture
  // Per row, its longest run of opaque texels [begin, end) (begin == end:
  // none): what the picture surely covers there.
  struct Columns {
    int32_t begin = 0, end = 0;
  };
  std::vector<Columns> widestOpaque;  // empty for an opaque picture (every row)

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A texture's levels: level 0 is the picture, each next one half the size.
// Levels are shared: textures of one file with different mip settings hold
// the same pictures.
struct TextureData {
  std::vector<std::shared_ptr<const Image>> levels;

  const Image& Level(size_t i) const { return *levels[i]; }
  size_t LevelCount() const { return levels.size(); }
  bool placeholder = false;  // the magenta checker of a missing or corrupt file
};

// Sets `opaque`, and the runs of a picture that is not.
void MarkOpacity(Image& image);

// Pixels given as straight (not premultiplied) ARGB become premultiplied.
void Premultiply(Image& image);

// The 64 x 64 magenta/black checker shown for a missing or corrupt picture.
Image MakeCheckerImage();

// Levels as iTextureMipLevelsSet asks: 0 = the full chain down to 1 x 1,
// 1 = the picture alone, n = at most n levels. Box filtered.
TextureData BuildTexture(Image base, int mipLevels);

// The first `mipLevels` levels (as BuildTexture counts them) of a chain.
TextureData FirstLevels(const TextureData& chain, int mipLevels);

// Our uncompressed DDS layout (formats.h); nullopt for anything else.
std::optional<Image> ReadDds(std::span<const uint8_t> bytes);

// Bytes of a DDS file holding `image` (straight alpha is written back); used
// by tests to make particle textures.
std::vector<uint8_t> WriteDds(const Image& straightArgb);

}  // namespace spriteengine
