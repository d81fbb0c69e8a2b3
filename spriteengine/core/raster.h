// The software rasteriser both backends draw with: textured parallelograms
// into an 800 x 600 frame, nearest or bilinear sampling, colour modulation,
// alpha or additive blending. Pure CPU code, so frames are the same on every
// backend and machine.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"
#include "pixel_ops.h"

namespace spriteengine {

// The frame being drawn: 0x00RRGGBB pixels, rows top to bottom.
struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  Frame() = default;
  Frame(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h, 0) {}
  void Clear(uint32_t rgb) { std::fill(pixels.begin(), pixels.end(), rgb); }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

enum class Blend { kAlpha, kAdditive };
enum class Filter { kNearest, kBilinear };

// One textured parallelogram. Texel (u, v) of `image` (u across, v down, in
// texels) lands on frame point origin + u * uAxis + v * vAxis (pixels); the
// part u in [u0, u1), v in [v0, v1) is drawn.
struct QuadDraw {
  const Image* image = nullptr;
  float originX = 0, originY = 0;
  float uAxisX = 1, uAxisY = 0;
  float vAxisX = 0, vAxisY = 1;
  float u0 = 0, u1 = 0, v0 = 0, v1 = 0;
  // Modulation, 0..256 each; red, green and blue already multiplied by alpha.
  uint32_t modR = 256, modG = 256, modB = 256, modA = 256;
  Blend blend = Blend::kAlpha;
  Filter filter = Filter::kBilinear;
};

// DrawQuad's work for one quad that does not depend on the rows drawn, so
// drawing threads that share a frame by bands do it once.
struct PreparedQuad {
  const Image* image = nullptr;
  pixel::Modulation m;
  Blend blend = Blend::kAlpha;
  Filter filter = Filter::kNearest;
  bool unrotated = false;
  int yStart = 0, yEnd = 0;  // rows, inside the frame
  int xStart = 0, xEnd = 0;  // columns of every row (unrotated only)
  int32_t u = 0, du = 0, dv = 0;  // 16.16 texels: u at xStart (unrotated only), steps per pixel
  float xMinAll = 0, xMaxAll = 0;
  float dudx = 0, dvdx = 0, dudy = 0, dvdy = 0;
  float originY = 0, px = 0;
  float u0 = 0, u1 = 0, v0 = 0, v1 = 0;
  // Additive quads: drawn this many times over (1..kMostRepeats), as one.
  // Adding with a stop at 255 gives the same sum whatever the order, so k
  // equal quads add what one adding k times its texels (each stopped at
  // 255) adds: a fire's particles leave its emitter ten at a time from one
  // point, and coincide all their lives.
  int repeat = 1;
};
inline constexpr int kMostRepeats = 128;  // k x 255 stays within a signed 16-bit lane

// False when the quad draws nothing on a frame of that size.
bool PrepareQuad(const QuadDraw& quad, int frameWidth, int frameHeight, PreparedQuad& prepared);
// PrepareQuad in two parts, for many unrotated quads (uAxisY = vAxisX = 0)
// that share a picture, a modulation and a blend (a particle system's): its
// look once (false when quads of that look draw nothing), then each quad's
// place into a copy of that prepared look, by the same sums.
bool PrepareLook(const QuadDraw& quad, PreparedQuad& prepared);
bool PrepareUnrotatedPlace(const QuadDraw& quad, int frameWidth, int frameHeight, PreparedQuad& prepared);
// Draws a prepared quad's rows rowBegin..rowEnd-1 (rowBegin >= 0).
void DrawPrepared(Frame& frame, const PreparedQuad& prepared, int rowBegin, int rowEnd);

// A quad that draws a picture at its own size, unmodulated and alpha
// blended (a level's sky, street and buildings): its opaque texels paint
// their own colour whatever lies below, and part of one of its rows can be
// drawn alone.
bool AtOwnSize(const PreparedQuad& p);
// The frame columns [begin, end) that row y of an own-size quad surely
// paints with opaque texels (the widest opaque run of its texel row);
// false for none.
bool OpaqueColumns(const PreparedQuad& p, int y, int& begin, int& end);
// DrawPrepared for an own-size quad under `over` (own-size quads drawn
// after it, at most kMostOver): each row leaves out the columns that they
// will paint opaque anyway.
inline constexpr int kMostOver = 8;
void DrawPreparedUnder(Frame& frame, const PreparedQuad& p, const PreparedQuad* const* over, int overCount,
                       int rowBegin, int rowEnd);

// Draws the quad clipped to the frame (and to rows rowBegin..rowEnd-1).
void DrawQuad(Frame& frame, const QuadDraw& quad);
void DrawQuad(Frame& frame, const QuadDraw& quad, int rowBegin, int rowEnd);

// Modulation values of a colour (0..1 floats; clamped).
void SetModulation(QuadDraw& quad, float r, float g, float b, float a);

}  // namespace spriteengine
