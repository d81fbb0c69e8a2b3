// The hero's armour glow, muzzle flashes and projectiles. Flashes and bolts
// point right; the game turns them to the shot's direction.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {

void DrawArmourGlow(Canvas& c) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  SoftBlob(cr, cx, cy, 84, 84, Hex(0x3a8aff, 0.45));
  // A hollow centre keeps the hero visible inside the shield.
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OUT);
  SoftBlob(cr, cx, cy, 52, 62, Hex(0x000000, 0.75));
  cairo_restore(cr);
  EllipsePath(cr, cx, cy, 70, 76);
  SetColor(cr, Hex(0x9ad0ff, 0.7));
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  // Hexagon shimmer on the shield's surface.
  Rng rng(77);
  for (int i = 0; i < 14; ++i) {
    const double a = rng.Uniform(0, 2 * M_PI);
    const double x = cx + std::cos(a) * 66, y = cy + std::sin(a) * 72;
    cairo_new_sub_path(cr);
    for (int k = 0; k < 6; ++k) {
      const double t = k * M_PI / 3;
      cairo_line_to(cr, x + 7 * std::cos(t), y + 7 * std::sin(t));
    }
    cairo_close_path(cr);
  }
  SetColor(cr, Hex(0xc0e8ff, 0.55));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
}

void DrawMuzzleFlash(Canvas& c, bool laser) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Color outer = laser ? Hex(0x30d0ff, 0.85) : Hex(0xff9a20, 0.9);
  const Color inner = laser ? Hex(0xc0f4ff) : Hex(0xfff080);
  const double baseX = w * 0.2, cy = h / 2;
  SoftBlob(cr, baseX + w * 0.15, cy, w * 0.42, h * 0.48, WithAlpha(outer, 0.6));
  // A star of spikes, longest straight ahead.
  cairo_new_path(cr);
  const int spikes = 9;
  for (int k = 0; k <= spikes * 2; ++k) {
    const double t = -M_PI / 2 + M_PI * k / (spikes * 2);
    const double ahead = std::cos(t);
    const double r = (k % 2 == 0) ? (w * 0.75 * std::pow(ahead, 2) + h * 0.18) : h * 0.16;
    cairo_line_to(cr, baseX + r * std::cos(t), cy + r * std::sin(t) * (h / w) * 1.6);
  }
  cairo_close_path(cr);
  SetColor(cr, outer);
  cairo_fill(cr);
  EllipsePath(cr, baseX + w * 0.12, cy, w * 0.2, h * 0.2);
  SetColor(cr, inner);
  cairo_fill(cr);
  EllipsePath(cr, baseX + w * 0.06, cy, w * 0.08, h * 0.12);
  SetColor(cr, Hex(0xffffff));
  cairo_fill(cr);
}

void DrawBullet(Canvas& c, bool pellet) {
  cairo_t* cr = c.cr();
  const double cx = 11, cy = 11;
  if (pellet) {
    SoftBlob(cr, cx, cy, 10, 10, Hex(0xff9030, 0.6));
    EllipsePath(cr, cx, cy, 4.5, 4.5);
    FillOutlined(cr, Hex(0xd0c8c0), 1.2);
    EllipsePath(cr, cx - 1.2, cy - 1.2, 1.5, 1.5);
    SetColor(cr, Hex(0xffffff));
    cairo_fill(cr);
    return;
  }
  SoftBlob(cr, cx, cy, 10.5, 6, Hex(0xffd040, 0.7));
  RoundRectPath(cr, cx - 7, cy - 2.5, 14, 5, 2.5);
  FillOutlined(cr, Hex(0xffe070), 1.0, Hex(0x8a5a10));
  EllipsePath(cr, cx + 4, cy, 2.5, 2);
  SetColor(cr, Hex(0xffffff));
  cairo_fill(cr);
}

void DrawLaserBolt(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  SoftBlob(cr, w / 2, h / 2, w / 2, h / 2, Hex(0x20c0ff, 0.7));
  RoundRectPath(cr, 6, h / 2 - 3.5, w - 12, 7, 3.5);
  SetColor(cr, Hex(0x60e0ff));
  cairo_fill(cr);
  RoundRectPath(cr, 10, h / 2 - 1.5, w - 20, 3, 1.5);
  SetColor(cr, Hex(0xffffff));
  cairo_fill(cr);
}

void DrawPlasmaBolt(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double headX = w - 16, cy = h / 2;
  // Tail of fading rings behind the ball; the two frames swap their phase.
  for (int i = 0; i < 6; ++i) {
    const double x = headX - 10 - i * 10 - (frame == 2 ? 5 : 0);
    const double r = 8 - i * 1.1;
    SoftBlob(cr, x, cy + (i % 2 == (frame - 1) ? 2 : -2), r + 3, r, Hex(0xb040ff, 0.55 - i * 0.07));
  }
  SoftBlob(cr, headX, cy, 16, 11.5, Hex(0xd070ff, 0.9));
  EllipsePath(cr, headX, cy, 7.5, 7.5);
  SetColor(cr, Hex(0xf0d0ff));
  cairo_fill(cr);
  cairo_new_path(cr);
  const double spin = frame == 1 ? 0.0 : M_PI / 4;
  for (int k = 0; k < 4; ++k) {
    const double a = spin + k * M_PI / 2;
    cairo_move_to(cr, headX + 3 * std::cos(a), cy + 3 * std::sin(a));
    cairo_line_to(cr, headX + 11 * std::cos(a + 0.4), cy + 10 * std::sin(a + 0.4));
  }
  SetColor(cr, Hex(0xffffff, 0.85));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void DrawGrenade(Canvas& c, int strength) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  const int s = std::clamp(strength, 1, 5);
  const double r = 8 + 3.5 * s;
  // A stronger charge burns hotter: a growing halo of fire round the shell.
  if (s >= 2) SoftBlob(cr, cx, cy, r * (1.4 + 0.25 * s), r * (1.4 + 0.25 * s), Hex(0xff7a10, 0.15 + 0.12 * s));
  if (s >= 4) {
    Rng rng(900 + s);
    cairo_new_path(cr);
    for (int k = 0; k < 16; ++k) {
      const double a = k * M_PI / 8 + rng.Uniform(-0.1, 0.1);
      const double len = r * rng.Uniform(1.5, 2.2 + 0.3 * (s - 4));
      cairo_move_to(cr, cx + r * 0.8 * std::cos(a), cy + r * 0.8 * std::sin(a));
      cairo_line_to(cr, cx + len * std::cos(a + 0.12), cy + len * std::sin(a + 0.12));
      cairo_line_to(cr, cx + r * 0.8 * std::cos(a + 0.24), cy + r * 0.8 * std::sin(a + 0.24));
    }
    SetColor(cr, Hex(0xffc030, 0.8));
    cairo_fill(cr);
  }
  EllipsePath(cr, cx, cy + r * 0.1, r * 0.8, r);
  FillVertical(cr, cy - r, cy + r, Hex(0x7a8a4a), Hex(0x3a4a22), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Segment grooves, fuse cap and lever.
  for (int k = -1; k <= 1; ++k) {
    cairo_move_to(cr, cx - r * 0.78, cy + r * 0.1 + k * r * 0.45);
    cairo_line_to(cr, cx + r * 0.78, cy + r * 0.1 + k * r * 0.45);
  }
  cairo_move_to(cr, cx, cy - r * 0.85);
  cairo_line_to(cr, cx, cy + r * 1.05);
  SetColor(cr, Hex(0x2a3418, 0.8));
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  cairo_rectangle(cr, cx - r * 0.3, cy - r * 1.2, r * 0.6, r * 0.35);
  FillOutlined(cr, Hex(0x8a8a90), 1.5);
  PolygonPath(cr, {cx + r * 0.2, cy - r * 1.15, cx + r * 0.55, cy - r * 1.1, cx + r * 0.9, cy - r * 0.2, cx + r * 0.7, cy - r * 0.2});
  FillOutlined(cr, Hex(0xa0a0a8), 1.5);
  EllipsePath(cr, cx - r * 0.3, cy - r * 0.35, r * 0.18, r * 0.3);
  SetColor(cr, Hex(0xffffff, 0.35));
  cairo_fill(cr);
  if (s == 5) SoftBlob(cr, cx, cy, r * 0.9, r * 0.9, Hex(0xfff0a0, 0.45));
}

}  // namespace assetgen
