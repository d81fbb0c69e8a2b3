// Score tokens and pick-ups. Pick-ups fly in under small supply drones and
// fall to the street when shot; the burst plays where one is hit.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

void Rotor(cairo_t* cr, double cx, double cy, double span) {
  cairo_rectangle(cr, cx - 2, cy, 4, 8);
  FillOutlined(cr, Hex(0x3a3e48), 1.2);
  EllipsePath(cr, cx, cy, span, 3);
  SetColor(cr, Hex(0xd0d8e8, 0.45));
  cairo_fill(cr);
  cairo_move_to(cr, cx - span, cy);
  cairo_line_to(cr, cx + span, cy);
  SetColor(cr, Hex(0x20242c));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

// The drone frame carrying a case, or the case alone once it has fallen.
void Carrier(cairo_t* cr, double w, double h, bool fallen, Color caseColor, Color glow) {
  const double cx = w / 2, caseW = 54, caseH = 34;
  const double caseY = fallen ? h - caseH - 4 : h / 2 - 4;
  if (fallen) {
    SoftBlob(cr, cx, h - 4, caseW * 0.7, 5, Hex(0x000000, 0.5));
  } else {
    SoftBlob(cr, cx, caseY + caseH / 2, caseW, caseH, WithAlpha(glow, 0.35));
    // Arms from the case to two rotors.
    cairo_move_to(cr, cx - 20, caseY + 4);
    cairo_line_to(cr, 22, 14);
    cairo_move_to(cr, cx + 20, caseY + 4);
    cairo_line_to(cr, w - 22, 14);
    SetColor(cr, Hex(0x20242c));
    cairo_set_line_width(cr, 5);
    cairo_stroke_preserve(cr);
    SetColor(cr, Hex(0x5a6070));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    Rotor(cr, 22, 10, 20);
    Rotor(cr, w - 22, 10, 20);
    EllipsePath(cr, cx, caseY - 2, 4, 4);
    SetColor(cr, Hex(0x40ff60));
    cairo_fill(cr);
  }
  RoundRectPath(cr, cx - caseW / 2, caseY, caseW, caseH, 5);
  FillVertical(cr, caseY, caseY + caseH, Mix(caseColor, Hex(0xffffff), 0.25), Mix(caseColor, Hex(0x000000), 0.3), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 2.2);
  cairo_stroke(cr);
  cairo_rectangle(cr, cx - caseW / 2 + 3, caseY + 3, caseW - 6, 3);
  SetColor(cr, Hex(0xffffff, 0.35));
  cairo_fill(cr);
}

}  // namespace

void DrawScoreToken(Canvas& c, bool shot) {
  cairo_t* cr = c.cr();
  const double cx = c.width() / 2.0, cy = c.height() / 2.0;
  TextStyle t;
  t.size = 52;
  t.align = Align::Centre;
  t.outlineWidth = 2.5;
  if (shot) {
    // Solid gold once shot down: ready to collect.
    SoftBlob(cr, cx, cy, 62, 36, Hex(0xffd040, 0.45));
    RoundRectPath(cr, cx - 50, cy - 28, 100, 56, 26);
    FillVertical(cr, cy - 28, cy + 28, Hex(0xffe890), Hex(0xc88a10), true);
    SetColor(cr, Hex(0x6a4000));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    t.fill = Hex(0x7a4a00);
    t.outline = Hex(0xfff0c0);
    t.outlineWidth = 1;
  } else {
    // A pale, glowing number rising from the fallen foe.
    SoftBlob(cr, cx, cy, 62, 36, Hex(0xa0e0ff, 0.35));
    t.fill = Hex(0xf0f8ff, 0.9);
    t.outline = Hex(0x2a5a8a, 0.8);
    t.glow = 6;
    t.glowColor = Hex(0x80d0ff);
  }
  DrawText(cr, "100", cx, cy + 18, t);
}

void DrawEnergyPickup(Canvas& c, bool fallen) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Carrier(cr, w, h, fallen, Hex(0xe8e8e8), Hex(0x60ff80));
  const double cx = w / 2, cy = fallen ? h - 21 : h / 2 + 13;
  cairo_rectangle(cr, cx - 4, cy - 12, 8, 24);
  cairo_rectangle(cr, cx - 12, cy - 4, 24, 8);
  FillOutlined(cr, Hex(0xe02a2a), 1.2);
}

void DrawArmourPickup(Canvas& c, bool fallen) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  Carrier(cr, w, h, fallen, Hex(0x2a5ab0), Hex(0x60a0ff));
  const double cx = w / 2, cy = fallen ? h - 21 : h / 2 + 13;
  cairo_move_to(cr, cx, cy - 13);
  cairo_line_to(cr, cx + 11, cy - 8);
  cairo_curve_to(cr, cx + 11, cy + 4, cx + 6, cy + 10, cx, cy + 14);
  cairo_curve_to(cr, cx - 6, cy + 10, cx - 11, cy + 4, cx - 11, cy - 8);
  cairo_close_path(cr);
  FillVertical(cr, cy - 13, cy + 14, Hex(0xc0e8ff), Hex(0x5aa0e0), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void DrawWeaponPickup(Canvas& c, int weapon, bool fallen) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  static constexpr uint32_t kCase[5] = {0x5a6a3a, 0x6a4a2a, 0x2a6a8a, 0x9a4a1a, 0x6a3a8a};
  Carrier(cr, w, h, fallen, Hex(kCase[std::clamp(weapon, 0, 4)]), Hex(0xffd060));
  const double cx = w / 2, cy = fallen ? h - 21 : h / 2 + 13;
  TextStyle t;
  t.size = 28;
  t.fill = palette::kAmberLit;
  t.outlineWidth = 2;
  t.align = Align::Centre;
  DrawText(cr, std::string(1, static_cast<char>('A' + std::clamp(weapon, 0, 4))), cx, cy + 10, t);
}

// A pick-up shot in the air: flash, fireball, sparks, then drifting smoke.
void DrawPickupBurst(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double cx = 64, cy = 64;
  const double t = (std::clamp(frame, 1, 16) - 1) / 15.0;
  const double radius = 10 + 50 * std::sqrt(t);
  const double heat = std::max(0.0, 1.0 - t * 1.6);
  // Smoke lingers after the fire and thins out by the last frame.
  const double smoke = std::min(1.0, t * 2.5) * (1.15 - t);
  for (int k = 0; k < 5; ++k) {
    const double a = k * 2 * M_PI / 5 + t;
    SoftBlob(cr, cx + std::cos(a) * radius * 0.45, cy - t * 14 + std::sin(a) * radius * 0.35, radius * 0.6,
             radius * 0.55, Hex(0x3e3a46, 0.95 * smoke));
  }
  if (heat > 0) {
    SoftBlob(cr, cx, cy, radius, radius, Mix(Hex(0xff4010), Hex(0xffe060), heat)); 
    SoftBlob(cr, cx, cy, radius * 0.5 * heat, radius * 0.5 * heat, Hex(0xffffff, heat));
  }
  // Sparks fly outward on fixed angles so frames follow each other.
  Rng rng(1600);
  cairo_new_path(cr);
  for (int k = 0; k < 14; ++k) {
    const double a = rng.Uniform(0, 2 * M_PI), speed = rng.Uniform(0.6, 1.0);
    const double r0 = radius * speed * 0.9, r1 = r0 + 6 + 8 * (1 - t);
    if (r1 > 63) continue;
    cairo_move_to(cr, cx + r0 * std::cos(a), cy + r0 * std::sin(a));
    cairo_line_to(cr, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
  }
  SetColor(cr, Hex(0xffd070, 1 - t));
  cairo_set_line_width(cr, 2.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke(cr);
  // The shock ring.
  EllipsePath(cr, cx, cy, radius * 1.05, radius * 1.05);
  SetColor(cr, Hex(0xfff0c0, 0.6 * (1 - t)));
  cairo_set_line_width(cr, 3 * (1 - t) + 0.5);
  cairo_stroke(cr);
}

}  // namespace assetgen
