// The play screen's HUD: the panel, energy bar, weapon letters, lives,
// grenade gauge; also the loading bar, the mouse pointer and GAME OVER.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

void Rivet(cairo_t* cr, double x, double y) {
  EllipsePath(cr, x, y, 2.5, 2.5);
  FillOutlined(cr, palette::kMetalLight, 1);
}

// A sunken slot in a metal panel.
void Recess(cairo_t* cr, double x, double y, double w, double h, double r) {
  RoundRectPath(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, Hex(0x0c0d12), Hex(0x1c1f28), true);
  SetColor(cr, Hex(0x7a8090, 0.6));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

TextStyle Label(double size) {
  TextStyle t;
  t.size = size;
  t.fill = palette::kAmber;
  t.outlineWidth = 1.2;
  return t;
}

}  // namespace

void DrawHudPanel(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  // Plate with a bevelled lower edge; below it the scene shows through.
  cairo_move_to(cr, 0, 0);
  cairo_line_to(cr, w, 0);
  cairo_line_to(cr, w, 96);
  cairo_line_to(cr, w - 30, 126);
  cairo_line_to(cr, 30, 126);
  cairo_line_to(cr, 0, 96);
  cairo_close_path(cr);
  FillVertical(cr, 0, 126, palette::kMetal, palette::kMetalDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_move_to(cr, 2, 95);
  cairo_line_to(cr, 31, 124);
  cairo_line_to(cr, w - 31, 124);
  cairo_line_to(cr, w - 2, 95);
  SetColor(cr, palette::kAmberDim);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  // Brushed-metal streaks.
  Rng rng(808);
  for (int i = 0; i < 60; ++i) {
    const double y = rng.Uniform(4, 120), x = rng.Uniform(0, w);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + rng.Uniform(30, 120), y);
  }
  SetColor(cr, Hex(0xffffff, 0.04));
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  Recess(cr, 8, 4, 238, 86, 8);      // energy bar and lives
  Recess(cr, 262, 18, 40, 50, 5);    // weapon letter
  Recess(cr, 322, 2, 476, 72, 8);    // grenade gauge
  Recess(cr, 60, 96, 682, 24, 6);    // score and level line
  for (double x : {14.0, 252.0, 312.0, w - 14}) Rivet(cr, x, 108);
  TextStyle t = Label(11);
  t.align = Align::Centre;
  DrawText(cr, "WEAPON", 282, 82, t);
}

void DrawEnergyBar(Canvas& c, int segments) {
  cairo_t* cr = c.cr();
  // The lives badge sits over the top-left corner; the bar keeps to the rest.
  TextStyle t = Label(20);
  t.align = Align::Right;
  DrawText(cr, "ENERGY", 224, 36, t);
  const double x0 = 16, y0 = 52, cellW = 38, cellH = 24, gap = 4;
  for (int i = 0; i < 5; ++i) {
    const double x = x0 + i * (cellW + gap);
    RoundRectPath(cr, x, y0, cellW, cellH, 4);
    if (i < segments) {
      const Color top = segments <= 1 ? Hex(0xff6a50) : segments <= 2 ? Hex(0xffc050) : Hex(0x90ff70);
      const Color bottom = segments <= 1 ? Hex(0xa01a10) : segments <= 2 ? Hex(0xb06a10) : Hex(0x2a9a2a);
      FillVertical(cr, y0, y0 + cellH, top, bottom, true);
      SetColor(cr, palette::kOutline);
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      cairo_rectangle(cr, x + 4, y0 + 3, cellW - 8, 4);
      SetColor(cr, Hex(0xffffff, 0.45));
      cairo_fill(cr);
    } else {
      SetColor(cr, Hex(0x2a2e38));
      cairo_fill_preserve(cr);
      SetColor(cr, Hex(0x4a505c));
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    }
  }
}

void DrawWeaponSign(Canvas& c, int weapon) {
  cairo_t* cr = c.cr();
  RoundRectPath(cr, 1, 1, 20, 26, 3);
  FillVertical(cr, 1, 27, Hex(0x4a3a1a), Hex(0x2a200e), true);
  SetColor(cr, palette::kAmber);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  TextStyle t;
  t.size = 22;
  t.fill = palette::kAmberLit;
  t.outlineWidth = 0.8;
  t.align = Align::Centre;
  DrawText(cr, std::string(1, static_cast<char>('A' + std::clamp(weapon, 0, 4))), 11, 22, t);
}

void DrawLives(Canvas& c, int lives) {
  cairo_t* cr = c.cr();
  EllipsePath(cr, 32, 32, 30, 30);
  FillVertical(cr, 2, 62, Hex(0x3a4a2a), Hex(0x1a2412), true);
  SetColor(cr, palette::kAmber);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // The hero's helmeted head in profile.
  EllipsePath(cr, 22, 34, 10, 11);
  FillOutlined(cr, palette::kSkin, 1.5);
  cairo_new_path(cr);
  cairo_arc(cr, 21, 32, 13, M_PI, 2 * M_PI);
  cairo_close_path(cr);
  FillOutlined(cr, Hex(0x4a6030), 1.5);
  EllipsePath(cr, 27, 35, 1.5, 1.8);
  SetColor(cr, Hex(0x101010));
  cairo_fill(cr);
  TextStyle t;
  t.size = 30;
  t.fill = palette::kAmberLit;
  t.outlineWidth = 2;
  t.align = Align::Centre;
  DrawText(cr, std::to_string(std::clamp(lives, 1, 9)), 46, 45, t);
}

void DrawGrenadeGauge(Canvas& c, int charge) {
  cairo_t* cr = c.cr();
  TextStyle t = Label(16);
  DrawText(cr, "GRENADE", 14, 42, t);
  const double x0 = 92, y0 = 18, cellW = 33, cellH = 34, gap = 4;
  for (int i = 0; i < 10; ++i) {
    const double x = x0 + i * (cellW + gap);
    // Taller cells toward the end: the throw gets stronger.
    const double hgt = cellH * (0.55 + 0.045 * i);
    const double y = y0 + cellH - hgt;
    RoundRectPath(cr, x, y, cellW, hgt, 3);
    if (i < charge) {
      const Color col = Mix(Hex(0xffe050), Hex(0xff3010), i / 9.0);
      FillVertical(cr, y, y + hgt, Mix(col, Hex(0xffffff), 0.3), col, true);
      SetColor(cr, palette::kOutline);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    } else {
      SetColor(cr, Hex(0x2a2e38));
      cairo_fill_preserve(cr);
      SetColor(cr, Hex(0x4a505c));
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
    }
  }
  if (charge > 0) {
    t.size = 12;
    t.fill = palette::kAmberLit;
    DrawText(cr, "POWER " + std::to_string((charge + 1) / 2), 14, 60, t);
  }
}

void DrawLoadingBar(Canvas& c, int stage) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundRectPath(cr, 2, 2, w - 4, h - 4, 12);
  FillVertical(cr, 2, h - 2, palette::kMetal, palette::kMetalDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  Recess(cr, 16, 16, w - 32, h - 32, 7);
  const double fill = (w - 40) * std::clamp(stage, 1, 10) / 10.0;
  cairo_save(cr);
  RoundRectPath(cr, 20, 20, fill, h - 40, 5);
  cairo_clip_preserve(cr);
  FillVertical(cr, 20, h - 20, palette::kAmberLit, Hex(0xd06a10));
  // Hazard stripes moving across the fill.
  for (double x = 20 - 40; x < 20 + fill; x += 24) {
    PolygonPath(cr, {x, h - 20, x + 12, h - 20, x + 40, 20, x + 28, 20});
  }
  SetColor(cr, Hex(0x000000, 0.12));
  cairo_fill(cr);
  cairo_restore(cr);
}

void DrawCursor(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double cx = 20, cy = 20;
  // The ticks turn a quarter in 15 frames, so the loop has no jump; the
  // ring breathes once per loop.
  const double phase = (frame - 1) / 15.0;
  const double spin = phase * M_PI / 2;
  const double ring = 11 + 1.5 * std::sin(phase * 2 * M_PI);
  for (int pass = 0; pass < 2; ++pass) {
    SetColor(cr, pass == 0 ? palette::kOutline : palette::kAmberLit);
    cairo_set_line_width(cr, pass == 0 ? 4 : 2);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, ring, 0, 2 * M_PI);
    cairo_stroke(cr);
    for (int k = 0; k < 4; ++k) {
      const double a = spin + k * M_PI / 2;
      cairo_move_to(cr, cx + (ring - 5) * std::cos(a), cy + (ring - 5) * std::sin(a));
      cairo_line_to(cr, cx + (ring + 7) * std::cos(a), cy + (ring + 7) * std::sin(a));
    }
    cairo_stroke(cr);
  }
  EllipsePath(cr, cx, cy, 2, 2);
  FillOutlined(cr, Hex(0xff4020), 1);
}

void DrawGameOver(Canvas& c) {
  cairo_t* cr = c.cr();
  cairo_rectangle(cr, 0, 220, 800, 160);
  FillGradient(cr, 0, 220, 0, 380,
               {{0, Hex(0x000000, 0)}, {0.3, Hex(0x0d050a, 0.7)}, {0.7, Hex(0x0d050a, 0.7)}, {1, Hex(0x000000, 0)}});
  TextStyle t;
  t.size = 110;
  t.fill = Hex(0xff5a2a);
  t.outlineWidth = 4;
  t.glow = 18;
  t.glowColor = Hex(0xff3010);
  t.align = Align::Centre;
  DrawText(cr, "GAME OVER", 400, 338, t);
}

}  // namespace assetgen
