// The city at dusk: the far skyline band, the street tiles, the eight
// building façades and the menu background.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "menu_layout.h"
#include "paint.h"

namespace assetgen {
namespace {

constexpr double kSkylinePeriod = 3200;  // four 800 px tiles
constexpr double kStreetPeriod = 1600;   // two 800 px tiles
constexpr double kSkyHorizon = 380;

void PaintSky(cairo_t* cr, double w, double h, double horizon) {
  cairo_rectangle(cr, 0, 0, w, h);
  FillGradient(cr, 0, 0, 0, horizon,
               {{0, palette::kSkyTop}, {0.3, Hex(0x4a2d66)}, {0.58, palette::kSkyMid}, {0.8, Hex(0xd0607a)},
                {1, palette::kSkyLow}});
}

}  // namespace

// Thin glowing cloud streaks lit from below by the low sun.
void PaintClouds(cairo_t* cr, double period, uint64_t seed, double yMin, double yMax) {
  Rng rng(seed);
  for (int i = 0; i < 14; ++i) {
    const double x = rng.Uniform(0, period), y = rng.Uniform(yMin, yMax);
    const double len = rng.Uniform(120, 360), thick = rng.Uniform(4, 10);
    RoundRectPath(cr, x, y, len, thick, thick / 2);
    FillVertical(cr, y, y + thick, Hex(0xe08aa0, 0.55), Hex(0xffb070, 0.35));
    RoundRectPath(cr, x + len * 0.2, y - thick * 0.8, len * 0.5, thick * 0.9, thick / 2);
    SetColor(cr, Hex(0xc07098, 0.35));
    cairo_fill(cr);
  }
}

namespace {

// A row of simple tower silhouettes with lit windows, standing on `base`.
void PaintTowerRow(cairo_t* cr, double period, uint64_t seed, double base, double minH, double maxH, Color body,
                   Color windowColor, double windowChance, bool details) {
  Rng rng(seed);
  double x = 0;
  while (x < period) {
    const double w = rng.Uniform(50, 140);
    const double h = rng.Uniform(minH, maxH);
    const double top = base - h;
    cairo_rectangle(cr, x, top, w, h + 40);
    SetColor(cr, body);
    cairo_fill(cr);
    // Roof furniture: antennas, water tanks or a stepped crown.
    const int roof = rng.Below(4);
    SetColor(cr, body);
    if (roof == 0) {
      cairo_rectangle(cr, x + w * 0.45, top - rng.Uniform(20, 50), 2, 50);
      cairo_fill(cr);
    } else if (roof == 1 && details) {
      cairo_rectangle(cr, x + w * 0.2, top - 14, 18, 14);
      cairo_rectangle(cr, x + w * 0.2 + 3, top - 20, 12, 6);
      cairo_fill(cr);
    } else if (roof == 2) {
      cairo_rectangle(cr, x + w * 0.15, top - 12, w * 0.7, 12);
      cairo_rectangle(cr, x + w * 0.3, top - 22, w * 0.4, 10);
      cairo_fill(cr);
    }
    const double cell = details ? 9 : 7;
    for (double wy = top + 8; wy < base - 6; wy += cell * 1.5) {
      for (double wx = x + 6; wx < x + w - 8; wx += cell) {
        if (rng.Uniform() < windowChance) {
          cairo_rectangle(cr, wx, wy, cell * 0.5, cell * 0.75);
          SetColor(cr, WithAlpha(windowColor, rng.Uniform(0.5, 1.0)));
          cairo_fill(cr);
        }
      }
    }
    x += w + rng.Uniform(-10, 20);
  }
}

void PaintSkylinePeriod(cairo_t* cr) {
  PaintClouds(cr, kSkylinePeriod, 7, 40, 230);
  SoftBlob(cr, 1300, kSkyHorizon - 40, 260, 160, Hex(0xffd090, 0.7));
  SoftBlob(cr, 1300, kSkyHorizon - 40, 60, 60, Hex(0xfff0c0, 0.95));
  PaintTowerRow(cr, kSkylinePeriod, 101, kSkyHorizon + 20, 90, 230, Hex(0x56406e), Hex(0xf0a060), 0.06, false);
  PaintTowerRow(cr, kSkylinePeriod, 202, kSkyHorizon + 30, 60, 170, Hex(0x2c2f45), palette::kWindowLit, 0.22, true);
}

}  // namespace

void DrawCitySkyline(Canvas& c, int tile) {
  cairo_t* cr = c.cr();
  PaintSky(cr, c.width(), c.height(), kSkyHorizon);
  DrawWrapped(cr, kSkylinePeriod, tile * 800.0, PaintSkylinePeriod);
}

namespace {

// Street cross-section, top to bottom: far wall bases (mostly behind the
// buildings), the pavement the hero walks on (feet near y = 147), the kerb
// and the edge of the road.
constexpr double kPavementTop = 84;
constexpr double kKerbTop = 176;
constexpr double kRoadTop = 186;

void PaintStreetPeriod(cairo_t* cr) {
  Rng rng(303);
  // Slab joints every 80 px keep the pattern seamless on any tile boundary.
  SetColor(cr, Hex(0x3c4254));
  for (double x = 0; x < kStreetPeriod; x += 80) {
    cairo_move_to(cr, x, kPavementTop + 4);
    cairo_line_to(cr, x - 26, kKerbTop);
  }
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  // Manholes, drains, cracks and litter.
  for (double x : {260.0, 1060.0}) {
    EllipsePath(cr, x, 150, 34, 9);
    FillOutlined(cr, Hex(0x2b2f3b), 2, Hex(0x1a1d26));
    for (int k = -2; k <= 2; ++k) {
      cairo_move_to(cr, x - 24, 150 + k * 3);
      cairo_line_to(cr, x + 24, 150 + k * 3);
    }
    SetColor(cr, Hex(0x454b5c));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
  for (int i = 0; i < 10; ++i) {
    const double x = rng.Uniform(0, kStreetPeriod), y = rng.Uniform(100, 165);
    cairo_move_to(cr, x, y);
    for (int k = 0; k < 4; ++k) cairo_rel_line_to(cr, rng.Uniform(6, 16), rng.Uniform(-4, 4));
    SetColor(cr, Hex(0x262a36, 0.8));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
  for (int i = 0; i < 6; ++i) {
    const double x = rng.Uniform(0, kStreetPeriod), y = rng.Uniform(110, 168);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, rng.Uniform(-0.6, 0.6));
    cairo_rectangle(cr, -6, -3, 12, 6);
    FillOutlined(cr, Mix(Hex(0xb0a890), Hex(0x7080a0), rng.Uniform()), 1);
    cairo_restore(cr);
  }
  // Puddles catching the orange sky.
  for (double x : {620.0, 1420.0}) {
    EllipsePath(cr, x, 160, 60, 7);
    FillVertical(cr, 153, 167, Hex(0xe08a60, 0.55), Hex(0x7a3f78, 0.4));
  }
  // Road markings and a drain grate in the kerb.
  for (double x = 40; x < kStreetPeriod; x += 200) {
    cairo_rectangle(cr, x, 194, 110, 4);
    SetColor(cr, Hex(0xd8b040, 0.85));
    cairo_fill(cr);
  }
  for (double x : {480.0, 1280.0}) {
    cairo_rectangle(cr, x, kKerbTop + 2, 40, 7);
    SetColor(cr, Hex(0x15171e));
    cairo_fill(cr);
  }
}

}  // namespace

void DrawCityStreet(Canvas& c, int tile) {
  cairo_t* cr = c.cr();
  // Wall bases and shop fronts behind the pavement.
  cairo_rectangle(cr, 0, 0, c.width(), kPavementTop);
  FillVertical(cr, 0, kPavementTop, Hex(0x23283a), Hex(0x1a1e2b));
  cairo_rectangle(cr, 0, kPavementTop - 6, c.width(), 6);
  SetColor(cr, Hex(0x14161f));
  cairo_fill(cr);
  cairo_rectangle(cr, 0, kPavementTop, c.width(), kKerbTop - kPavementTop);
  FillVertical(cr, kPavementTop, kKerbTop, Hex(0x5a6072), Hex(0x70768a));
  cairo_rectangle(cr, 0, kKerbTop, c.width(), kRoadTop - kKerbTop);
  FillVertical(cr, kKerbTop, kRoadTop, Hex(0x8a8fa0), Hex(0x4a4f5e));
  cairo_rectangle(cr, 0, kRoadTop, c.width(), c.height() - kRoadTop);
  SetColor(cr, Hex(0x262833));
  cairo_fill(cr);
  DrawWrapped(cr, kStreetPeriod, tile * 800.0, PaintStreetPeriod);
  // A faint orange rim of dusk light along the kerb edge.
  cairo_rectangle(cr, 0, kKerbTop, c.width(), 1.5);
  SetColor(cr, Hex(0xffb070, 0.4));
  cairo_fill(cr);
}

void PaintDuskScene(Canvas& c) {
  cairo_t* cr = c.cr();
  const double horizon = 470;
  PaintSky(cr, c.width(), c.height(), horizon);
  PaintClouds(cr, 800, 17, 60, 330);
  SoftBlob(cr, 230, horizon - 60, 300, 200, Hex(0xffc080, 0.75));
  SoftBlob(cr, 230, horizon - 60, 70, 70, Hex(0xfff0c8, 0.95));
  PaintTowerRow(cr, 800, 111, horizon + 20, 120, 300, Hex(0x56406e), Hex(0xf0a060), 0.06, false);
  PaintTowerRow(cr, 800, 222, horizon + 40, 90, 260, Hex(0x262b40), palette::kWindowLit, 0.25, true);
  // Street level in front.
  cairo_rectangle(cr, 0, horizon + 20, 800, 600 - horizon - 20);
  FillVertical(cr, horizon + 20, 600, Hex(0x1c2030), Hex(0x0e1018));
}

void DrawMenuLogo(Canvas& c) {
  cairo_t* cr = c.cr();
  TextStyle title;
  title.size = FitTextSize(cr, "VARNOK", Face::Display, kLogoMaxSize, kLogoMaxWidth);
  title.outlineWidth = 4;
  title.glow = 12;
  title.fill = palette::kAmberLit;
  DrawText(cr, "VARNOK", kLogoLeft, kLogoBaseline, title);
}

void DrawMenuBackground(Canvas& c) {
  PaintDuskScene(c);
  cairo_t* cr = c.cr();
  // Darken the right half a little so the menu column reads on top.
  cairo_rectangle(cr, 400, 0, 400, 600);
  FillGradient(cr, 400, 0, 800, 0, {{0, Hex(0x000000, 0)}, {1, Hex(0x05050f, 0.45)}});
  DrawMenuLogo(c);
}

}  // namespace assetgen
