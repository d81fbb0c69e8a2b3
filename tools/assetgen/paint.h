// Drawing helpers shared by every picture: colours, outlined shapes,
// gradients, text in the game's two faces, and a seeded random source.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>

namespace assetgen {

struct Color {
  double r = 0, g = 0, b = 0, a = 1;
};
// 0xRRGGBB with an optional alpha.
constexpr Color Hex(uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}
Color Mix(Color a, Color b, double t);
Color WithAlpha(Color c, double alpha);

// The palette of the game's art direction.
namespace palette {
inline constexpr Color kOutline = Hex(0x14141c);
inline constexpr Color kAmber = Hex(0xffb02e);
inline constexpr Color kAmberDim = Hex(0x9a6a2a);
inline constexpr Color kAmberLit = Hex(0xffe08a);
inline constexpr Color kMetalDark = Hex(0x23262e);
inline constexpr Color kMetal = Hex(0x3a3f4b);
inline constexpr Color kMetalLight = Hex(0x6a7080);
inline constexpr Color kSkyTop = Hex(0x2a1f4e);
inline constexpr Color kSkyMid = Hex(0x7a3f78);
inline constexpr Color kSkyLow = Hex(0xf08a4b);
inline constexpr Color kBuilding = Hex(0x2e3546);
inline constexpr Color kBuildingDark = Hex(0x1d2230);
inline constexpr Color kWindowLit = Hex(0xffd27a);
inline constexpr Color kFatigue = Hex(0x4d6b35);
inline constexpr Color kFatigueDark = Hex(0x33481f);
inline constexpr Color kSkin = Hex(0xe0a47a);
}  // namespace palette

void SetColor(cairo_t* cr, Color c);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double radius);
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);
void PolygonPath(cairo_t* cr, std::initializer_list<double> xy);
// Fills the current path and strokes it with a dark outline; consumes the path.
void FillOutlined(cairo_t* cr, Color fill, double outlineWidth = 2.0, Color outline = palette::kOutline);
// Fills the current path with a vertical gradient from top to bottom colour.
void FillVertical(cairo_t* cr, double y0, double y1, Color top, Color bottom, bool keepPath = false);
void FillVertical3(cairo_t* cr, double y0, double y1, Color top, Color mid, Color bottom);
struct Stop {
  double at;    // 0..1 along the gradient
  Color color;
};
// Fills the current path with a linear gradient from (x0, y0) to (x1, y1).
void FillGradient(cairo_t* cr, double x0, double y0, double x1, double y1, std::initializer_list<Stop> stops);
// A soft round blob (radial gradient to transparent), for glows and shadows.
void SoftBlob(cairo_t* cr, double cx, double cy, double rx, double ry, Color centre);
// A thick line with round caps and an outline, for limbs and barrels.
void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Color fill,
          double outlineWidth = 2.0);

enum class Face { Display, Sans, SansBold };
enum class Align { Left, Centre, Right };
struct TextStyle {
  Face face = Face::Display;
  double size = 24;          // pixels per em
  Color fill = palette::kAmber;
  double outlineWidth = 0;   // 0: no outline
  Color outline = palette::kOutline;
  double glow = 0;           // glow radius in pixels; 0: none
  Color glowColor = palette::kAmber;
  Align align = Align::Left;
};
// Sets the face on the context; faces are read from the DejaVu font files.
void SetFace(cairo_t* cr, Face face, double size);
double TextWidth(cairo_t* cr, const std::string& text, Face face, double size);
// Draws text with its baseline at y; x is the left, centre or right edge.
void DrawText(cairo_t* cr, const std::string& text, double x, double y, const TextStyle& style);
// Largest size (at most maxSize) at which text fits in maxWidth.
double FitTextSize(cairo_t* cr, const std::string& text, Face face, double maxSize, double maxWidth);

// A small deterministic random source (SplitMix64), seeded per picture.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform(double lo = 0.0, double hi = 1.0);
  int Below(int n);
 private:
  uint64_t state_;
};

}  // namespace assetgen

namespace assetgen {
// Draws a seamless band: `draw` paints one period of `period` pixels starting
// at x = 0; the canvas shows the part from `offset`, and shapes that cross
// the period's end reappear at its start.
template <typename Fn>
void DrawWrapped(cairo_t* cr, double period, double offset, Fn&& draw) {
  for (int k = -1; k <= 1; ++k) {
    cairo_save(cr);
    cairo_translate(cr, k * period - offset, 0);
    draw(cr);
    cairo_restore(cr);
  }
}
}  // namespace assetgen
