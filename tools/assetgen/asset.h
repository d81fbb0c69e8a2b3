// One data file of the game: where it goes, what it is and how it is made.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

class Canvas;
using Bytes = std::vector<uint8_t>;
using DrawFn = std::function<void(Canvas&)>;
using MakeFn = std::function<Bytes()>;

enum class AssetKind {
  Png,       // picture, lossless, may be transparent
  Jpeg,      // opaque full-screen or tile picture
  Wav,       // 16-bit 44.1 kHz PCM sound effect
  Ogg,       // Vorbis music loop
  Font,      // ".wid" glyph atlas
  Particle,  // ".dds" particle texture
  Mesh,      // "data/sprite.x" text quad mesh
  Text,      // config, shortcut and page files
};

struct Asset {
  std::string path;          // game-folder relative, '/' separators, exact case
  AssetKind kind = AssetKind::Png;
  int width = 0;             // on-screen size in pixels (pictures, particle textures)
  int height = 0;
  int pixelScale = 1;        // file pixels per on-screen pixel: 1 or 2
  bool opaque = false;       // full-screen and tile pictures: no alpha channel
  bool mirrored = false;     // drawn by `draw`, then flipped left to right
  std::string mirrorOf;      // the right-facing file this left-facing file mirrors
  bool loops = false;        // sound that the game repeats: its ends must join
  DrawFn draw;               // pictures: draws on a canvas of the file's size
  MakeFn make;               // every other kind: the file's bytes

  int fileWidth() const { return width * pixelScale; }
  int fileHeight() const { return height * pixelScale; }
  bool isPicture() const { return kind == AssetKind::Png || kind == AssetKind::Jpeg; }
};

}  // namespace assetgen
