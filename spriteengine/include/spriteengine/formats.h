// File formats of our own that the engine reads and tools/assetgen writes.
// Both sides include this header, so the layouts below are the contract.
// All binary values are little-endian.
#pragma once

#include <cstdint>

namespace spriteengine::formats {

// ---------------------------------------------------------------------------
// ".wid" font: one 8-bit coverage atlas with the glyphs of ASCII 32..126.
//
//   WidHeader
//   WidGlyph[glyphCount]      glyph i is character code firstChar + i
//   uint8_t atlas[atlasWidth * atlasHeight]   coverage 0..255, rows top to bottom
//
// Metrics: lineHeight pixels of the atlas map to 2 sprite units of height at
// print scale 1; a glyph's advance is in atlas pixels on the same scale (the
// display face advances about 1.2 units per glyph at scale 1). Baseline is
// `ascent` pixels below the top of the line.
// ---------------------------------------------------------------------------
inline constexpr char kWidMagic[4] = {'V', 'W', 'I', 'D'};
inline constexpr uint16_t kWidVersion = 1;

#pragma pack(push, 1)
struct WidHeader {
  char magic[4];          // "VWID"
  uint16_t version;       // kWidVersion
  uint16_t lineHeight;    // pixels of one text line (maps to 2 units at scale 1)
  uint16_t ascent;        // pixels from the line top to the baseline
  uint16_t atlasWidth;    // pixels
  uint16_t atlasHeight;   // pixels
  uint8_t firstChar;      // 32
  uint8_t glyphCount;     // 95
};
struct WidGlyph {
  uint16_t x, y;          // top-left of the glyph's cell in the atlas
  uint16_t width, height; // cell size in the atlas (may be 0 for a space)
  int16_t offsetX;        // from the pen position to the cell's left edge
  int16_t offsetY;        // from the line top to the cell's top edge
  uint16_t advance;       // pen advance in pixels
};
#pragma pack(pop)
static_assert(sizeof(WidHeader) == 16);
static_assert(sizeof(WidGlyph) == 14);

// ---------------------------------------------------------------------------
// ".dds" particle texture: a plain uncompressed DirectDraw Surface.
//   "DDS " magic, a 124-byte header (size 124, flags include CAPS|HEIGHT|
//   WIDTH|PIXELFORMAT = 0x100F, pixel format size 32, flags RGB|ALPHAPIXELS
//   = 0x41, 32 bits per pixel, masks R 0x00FF0000 G 0x0000FF00 B 0x000000FF
//   A 0xFF000000), then width*height pixels B, G, R, A rows top to bottom.
// Only that layout is read; anything else is refused as corrupt.
// ---------------------------------------------------------------------------
inline constexpr char kDdsMagic[4] = {'D', 'D', 'S', ' '};
#pragma pack(push, 1)
struct DdsPixelFormat {
  uint32_t size;          // 32
  uint32_t flags;         // 0x41
  uint32_t fourCC;        // 0
  uint32_t rgbBitCount;   // 32
  uint32_t rMask, gMask, bMask, aMask;
};
struct DdsHeader {
  uint32_t size;          // 124
  uint32_t flags;         // 0x100F
  uint32_t height;
  uint32_t width;
  uint32_t pitch;         // width * 4
  uint32_t depth;         // 0
  uint32_t mipMapCount;   // 0 or 1
  uint32_t reserved1[11];
  DdsPixelFormat pixelFormat;
  uint32_t caps;          // 0x1000 (texture)
  uint32_t caps2, caps3, caps4, reserved2;
};
#pragma pack(pop)
static_assert(sizeof(DdsHeader) == 124);

// ---------------------------------------------------------------------------
// "data\sprite.x": a text quad mesh in the DirectX text style:
//
//   xof 0303txt 0032
//   Mesh quad {
//    4;
//    -0.5;-0.5;0.0;,
//    0.5;-0.5;0.0;,
//    0.5;0.5;0.0;,
//    -0.5;0.5;0.0;;
//    2;
//    3;0,1,2;,
//    3;0,2,3;;
//    MeshTextureCoords {
//     4;
//     0.0;1.0;,
//     1.0;1.0;,
//     1.0;0.0;,
//     0.0;0.0;;
//    }
//   }
//
// Vertices are in units of sprite scale: a sprite of scale (w, h) stretches
// the quad to w/0.625 by h/0.625 sprite units. Readers accept any whitespace
// and refuse a file without the header, with a vertex or face count other
// than the data that follows, or with an index out of range.
// ---------------------------------------------------------------------------
inline constexpr char kMeshHeader[] = "xof 0303txt 0032";

}  // namespace spriteengine::formats
