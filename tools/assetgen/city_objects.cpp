// Street obstacles: the crate, the wrecked black car, the yellow taxi, the
// truck and the low steel beam. Their solid parts sit where the game's
// collision boxes are (25 px per unit, offsets from the sprite centre).
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

void Wheel(cairo_t* cr, double cx, double cy, double r) {
  EllipsePath(cr, cx, cy, r, r);
  FillOutlined(cr, Hex(0x1a1a1e), 2.5);
  EllipsePath(cr, cx, cy, r * 0.55, r * 0.55);
  FillOutlined(cr, Hex(0x6a6e78), 1.5);
  EllipsePath(cr, cx, cy, r * 0.18, r * 0.18);
  SetColor(cr, Hex(0x2a2a30));
  cairo_fill(cr);
}

void GroundShadow(cairo_t* cr, double cx, double cy, double rx, double ry) {
  SoftBlob(cr, cx, cy, rx, ry, Hex(0x000000, 0.55));
}

}  // namespace

// Obstacles stand on the street 1.9 units below their Y; their pictures are
// centred on Y plus the sprite's place offset.
constexpr double kUnit = 25;

// The solid crate is the middle 75 px wide with its top 1.2 units above Y
// (y 93); it reaches down to the street (y 170).
void DrawCrate(Canvas& c) {
  cairo_t* cr = c.cr();
  const double x = 128 - 37.5, y = 93, w = 75, h = 128 + 1.7 * kUnit - y;
  GroundShadow(cr, 128, y + h, 52, 8);
  cairo_rectangle(cr, x, y, w, h);
  FillVertical(cr, y, y + h, Hex(0xc08a4a), Hex(0x8a5a2a), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  // Planks and the diagonal brace.
  SetColor(cr, Hex(0x6a4320));
  cairo_set_line_width(cr, 1.5);
  for (double py = y + 15; py < y + h; py += 15) {
    cairo_move_to(cr, x + 2, py);
    cairo_line_to(cr, x + w - 2, py);
  }
  cairo_stroke(cr);
  cairo_rectangle(cr, x, y, w, 7);
  cairo_rectangle(cr, x, y + h - 7, w, 7);
  cairo_rectangle(cr, x, y, 7, h);
  cairo_rectangle(cr, x + w - 7, y, 7, h);
  FillOutlined(cr, Hex(0xa8743a), 1.5);
  cairo_move_to(cr, x + 7, y + h - 7);
  cairo_line_to(cr, x + w - 7, y + 7);
  cairo_set_line_width(cr, 8);
  SetColor(cr, palette::kOutline);
  cairo_stroke_preserve(cr);
  cairo_set_line_width(cr, 5);
  SetColor(cr, Hex(0xa8743a));
  cairo_stroke(cr);
  for (double nx : {x + 3.5, x + w - 3.5}) {
    for (double ny : {y + 3.5, y + h - 3.5}) {
      EllipsePath(cr, nx, ny, 1.5, 1.5);
      SetColor(cr, Hex(0x303030));
      cairo_fill(cr);
    }
  }
  TextStyle stencil;
  stencil.face = Face::Display;
  stencil.size = 11;
  stencil.fill = Hex(0x3a2410, 0.7);
  stencil.align = Align::Centre;
  DrawText(cr, "FRAGILE", 128, y + 26, stencil);
}

// Burnt-out saloon on flat tyres; its roof line is the 250 px wide surface
// the hero can stand on (y = 39).
void DrawBlackCar(Canvas& c) {
  cairo_t* cr = c.cr();
  const double street = 64 + 1.9 * kUnit;
  GroundShadow(cr, 181, street, 175, 8);
  // The body is drawn on a 38..112 frame and squeezed onto 38..98 so the
  // tyres stand on the street.
  cairo_save(cr);
  cairo_translate(cr, 0, 38);
  cairo_scale(cr, 1, 60.0 / 74.0);
  cairo_translate(cr, 0, -38);
  cairo_move_to(cr, 10, 100);
  cairo_line_to(cr, 14, 70);
  cairo_line_to(cr, 50, 62);
  cairo_line_to(cr, 80, 40);
  cairo_line_to(cr, 290, 38);
  cairo_line_to(cr, 318, 62);
  cairo_line_to(cr, 352, 68);
  cairo_line_to(cr, 356, 100);
  cairo_line_to(cr, 330, 112);
  cairo_line_to(cr, 30, 112);
  cairo_close_path(cr);
  FillVertical(cr, 38, 112, Hex(0x3a3e48), Hex(0x15161b), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // Shattered windows.
  PolygonPath(cr, {92, 46, 180, 45, 180, 64, 70, 64});
  PolygonPath(cr, {190, 45, 282, 44, 302, 64, 190, 64});
  SetColor(cr, Hex(0x101014));
  cairo_fill(cr);
  SetColor(cr, Hex(0x8a9ab8, 0.5));
  PolygonPath(cr, {92, 46, 120, 46, 96, 58});
  PolygonPath(cr, {282, 44, 302, 64, 288, 64, 276, 52});
  cairo_fill(cr);
  // Rust and scorch marks, a bent bumper, the smashed headlight.
  SoftBlob(cr, 240, 80, 50, 18, Hex(0x8a4020, 0.6));
  SoftBlob(cr, 90, 84, 30, 12, Hex(0x7a3a1a, 0.5));
  cairo_rectangle(cr, 330, 84, 28, 8);
  FillOutlined(cr, Hex(0x707680), 2);
  cairo_rectangle(cr, 6, 86, 26, 8);
  FillOutlined(cr, Hex(0x707680), 2);
  cairo_move_to(cr, 182, 64);
  cairo_line_to(cr, 184, 108);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_restore(cr);
  Wheel(cr, 78, street - 18, 18);
  Wheel(cr, 288, street - 18, 18);
}

// Yellow taxi, its cab roof (x 40..140, y 57) the surface to stand on.
void DrawYellowCar(Canvas& c) {
  cairo_t* cr = c.cr();
  const double street = 70 + 1.9 * kUnit;
  GroundShadow(cr, 115, street, 110, 8);
  // Drawn on a 57..124 frame, squeezed onto 57..110 above the street.
  cairo_save(cr);
  cairo_translate(cr, 0, 57);
  cairo_scale(cr, 1, 53.0 / 67.0);
  cairo_translate(cr, 0, -57);
  cairo_move_to(cr, 6, 116);
  cairo_line_to(cr, 8, 90);
  cairo_line_to(cr, 30, 84);
  cairo_line_to(cr, 48, 57);
  cairo_line_to(cr, 140, 57);
  cairo_line_to(cr, 166, 84);
  cairo_line_to(cr, 222, 90);
  cairo_line_to(cr, 226, 116);
  cairo_line_to(cr, 206, 124);
  cairo_line_to(cr, 20, 124);
  cairo_close_path(cr);
  FillVertical(cr, 57, 124, Hex(0xffd23a), Hex(0xc8901a), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  PolygonPath(cr, {54, 62, 90, 62, 90, 84, 38, 84});
  PolygonPath(cr, {96, 62, 136, 62, 158, 84, 96, 84});
  FillVertical(cr, 62, 84, Hex(0x6a7aa0), Hex(0x2a3048));
  // Checker stripe and the roof sign.
  for (int i = 0; i < 16; ++i) {
    cairo_rectangle(cr, 14 + i * 12.5, 96 + (i % 2) * 5, 12.5, 5);
  }
  SetColor(cr, Hex(0x1a1a1a));
  cairo_fill(cr);
  RoundRectPath(cr, 72, 44, 36, 13, 3);
  FillOutlined(cr, Hex(0xfff0c0), 2);
  TextStyle taxi;
  taxi.size = 10;
  taxi.fill = Hex(0x1a1a1a);
  taxi.align = Align::Centre;
  DrawText(cr, "TAXI", 90, 54.5, taxi);
  cairo_rectangle(cr, 216, 94, 10, 7);
  FillOutlined(cr, Hex(0xfff6d0), 1.5);
  cairo_rectangle(cr, 6, 94, 8, 7);
  FillOutlined(cr, Hex(0xd03020), 1.5);
  cairo_restore(cr);
  Wheel(cr, 52, street - 16, 16);
  Wheel(cr, 182, street - 16, 16);
}

// Box truck facing left, towing a burnt-out trailer. Only the cargo box is
// solid (x 110..261, top y 73); the trailer's wreck burns behind it. The
// street is 3.5 units below the picture's centre (y 205).
void DrawTruck(Canvas& c) {
  cairo_t* cr = c.cr();
  const double street = 118 + 3.5 * kUnit, chassis = street - 40;
  GroundShadow(cr, 260, street, 255, 8);
  // Burnt trailer: a charred deck with bent ribs and scattered cargo.
  cairo_rectangle(cr, 268, chassis - 14, 244, 14);
  FillOutlined(cr, Hex(0x2a2420), 2.5);
  Rng rng(4242);
  for (double x = 280; x < 505; x += 38) {
    const double lean = rng.Uniform(-10, 10), top = chassis - rng.Uniform(50, 95);
    Limb(cr, x, chassis - 12, x + lean, top, 5, Hex(0x3a3430), 1.5);
  }
  for (double x : {300.0, 360.0, 440.0}) {
    const double bw = rng.Uniform(30, 44), bh = rng.Uniform(24, 34);
    cairo_rectangle(cr, x, chassis - 14 - bh, bw, bh);
    FillOutlined(cr, Hex(0x3a2a1e), 2);
    SoftBlob(cr, x + bw / 2, chassis - 14 - bh, bw * 0.6, 8, Hex(0x100c0a, 0.7));
  }
  SoftBlob(cr, 330, chassis - 40, 60, 30, Hex(0xff7020, 0.25));
  // Cargo box.
  cairo_rectangle(cr, 110, 73, 152, chassis - 73);
  FillVertical(cr, 73, chassis, Hex(0x8a94a8), Hex(0x5a6276), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  for (double x = 140; x < 260; x += 30) {
    cairo_move_to(cr, x, 77);
    cairo_line_to(cr, x, chassis - 4);
  }
  SetColor(cr, Hex(0x4a5264, 0.8));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  RoundRectPath(cr, 124, 96, 124, 40, 5);
  FillOutlined(cr, Hex(0xc04a2a), 2.5);
  TextStyle logo;
  logo.fill = Hex(0xfff0d0);
  logo.align = Align::Centre;
  logo.size = FitTextSize(cr, "CITY FREIGHT", Face::Display, 22, 112);
  DrawText(cr, "CITY FREIGHT", 186, 116 + logo.size * 0.36, logo);
  for (int i = 0; i < 9; ++i) EllipsePath(cr, 226 + (i % 3) * 9, 84 + (i / 3) * 5, 2, 2);
  SetColor(cr, Hex(0x2a2a2e));
  cairo_fill(cr);
  // Cab, lower than the box.
  cairo_move_to(cr, 108, chassis);
  cairo_line_to(cr, 108, 100);
  cairo_line_to(cr, 46, 100);
  cairo_line_to(cr, 18, 140);
  cairo_line_to(cr, 12, chassis);
  cairo_close_path(cr);
  FillVertical(cr, 100, chassis, Hex(0x3a6aa0), Hex(0x1e3a60), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  PolygonPath(cr, {50, 107, 100, 107, 100, 138, 28, 138});
  FillVertical(cr, 107, 138, Hex(0x9ab0d0), Hex(0x3a4a6a));
  cairo_rectangle(cr, 8, chassis - 24, 20, 9);
  FillOutlined(cr, Hex(0xfff0c0), 2);
  cairo_rectangle(cr, 4, chassis - 8, 110, 12);
  FillOutlined(cr, Hex(0x303238), 2);
  cairo_rectangle(cr, 108, chassis - 4, 404, 9);
  FillOutlined(cr, Hex(0x26282e), 2);
  Wheel(cr, 64, street - 22, 22);
  Wheel(cr, 222, street - 22, 22);
  Wheel(cr, 400, street - 22, 22);
  Wheel(cr, 452, street - 22, 22);
}

// A steel I-beam on two posts; the beam itself (y 17..43, x 75..825) is the
// obstacle the hero must crawl under.
void DrawLowBeam(Canvas& c) {
  cairo_t* cr = c.cr();
  for (double x : {120.0, 780.0}) {
    GroundShadow(cr, x, 202, 40, 6);
    cairo_rectangle(cr, x - 12, 40, 24, 160);
    FillVertical(cr, 40, 200, Hex(0x7a4a2a), Hex(0x4a2a18), true);
    SetColor(cr, palette::kOutline);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, x - 22, 194, 44, 8);
    FillOutlined(cr, Hex(0x505460), 2);
    // Hazard stripes on the posts.
    cairo_save(cr);
    cairo_rectangle(cr, x - 11, 150, 22, 40);
    cairo_clip(cr);
    for (double k = -40; k < 40; k += 12) {
      PolygonPath(cr, {x - 11 + k, 190, x - 5 + k, 190, x + 25 + k, 150, x + 19 + k, 150});
    }
    SetColor(cr, Hex(0xffc020));
    cairo_fill(cr);
    cairo_restore(cr);
  }
  cairo_rectangle(cr, 75, 17, 750, 26);
  FillVertical(cr, 17, 43, Hex(0xd07a3a), Hex(0x8a4420), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_rectangle(cr, 75, 17, 750, 5);
  cairo_rectangle(cr, 75, 38, 750, 5);
  SetColor(cr, Hex(0x5a2a10, 0.7));
  cairo_fill(cr);
  for (double x = 95; x < 820; x += 40) {
    EllipsePath(cr, x, 30, 3, 3);
    SetColor(cr, Hex(0x3a1a08));
    cairo_fill(cr);
  }
  SoftBlob(cr, 450, 28, 200, 8, Hex(0xffb070, 0.25));
}

}  // namespace assetgen
