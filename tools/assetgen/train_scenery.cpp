// The train levels: the landscape rushing past, the track bed, the four
// wagons, and both loading screens.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

constexpr double kLandscapePeriod = 3200;
constexpr double kTrackPeriod = 1600;
constexpr double kLandHorizon = 300;

// A ridge line made of overlapping sine waves, so it joins itself after one period.
void RidgePath(cairo_t* cr, double period, double base, double amplitude, double phase, int waves, double bottom) {
  cairo_move_to(cr, 0, bottom);
  for (double x = 0; x <= period; x += 8) {
    const double t = x / period * 2 * M_PI;
    const double y = base - amplitude * (0.6 * std::sin(t * waves + phase) + 0.3 * std::sin(t * waves * 3 + phase * 2) +
                                         0.1 * std::sin(t * waves * 7));
    cairo_line_to(cr, x, y);
  }
  cairo_line_to(cr, period, bottom);
  cairo_close_path(cr);
}

void PaintLandscapePeriod(cairo_t* cr) {
  PaintClouds(cr, kLandscapePeriod, 9, 30, 200);
  SoftBlob(cr, 2100, kLandHorizon - 30, 280, 150, Hex(0xffd090, 0.7));
  SoftBlob(cr, 2100, kLandHorizon - 30, 55, 55, Hex(0xfff0c0, 0.95));
  RidgePath(cr, kLandscapePeriod, kLandHorizon - 40, 60, 0.3, 3, 460);
  SetColor(cr, Hex(0x6a4a7a));
  cairo_fill(cr);
  RidgePath(cr, kLandscapePeriod, kLandHorizon + 10, 35, 1.7, 5, 460);
  SetColor(cr, Hex(0x4a3a5e));
  cairo_fill(cr);
  RidgePath(cr, kLandscapePeriod, kLandHorizon + 60, 20, 2.9, 8, 460);
  FillVertical(cr, kLandHorizon + 30, 460, Hex(0x3a4a3a), Hex(0x26321f));
  // Distant farm lights and trees along the fields.
  Rng rng(404);
  for (int i = 0; i < 60; ++i) {
    const double x = rng.Uniform(0, kLandscapePeriod), y = rng.Uniform(kLandHorizon + 70, 420);
    const double r = rng.Uniform(8, 22);
    EllipsePath(cr, x, y - r, r * 0.8, r);
    FillOutlined(cr, Mix(Hex(0x1e2a1c), Hex(0x34402a), rng.Uniform()), 1.5, Hex(0x141a12));
    cairo_rectangle(cr, x - 1.5, y - 2, 3, r * 0.5);
    SetColor(cr, Hex(0x1a140e));
    cairo_fill(cr);
  }
  for (int i = 0; i < 8; ++i) {
    const double x = rng.Uniform(0, kLandscapePeriod), y = rng.Uniform(kLandHorizon + 60, 380);
    cairo_rectangle(cr, x, y - 14, 24, 14);
    FillOutlined(cr, Hex(0x2a2430), 1.5);
    PolygonPath(cr, {x - 3, y - 14, x + 12, y - 24, x + 27, y - 14});
    FillOutlined(cr, Hex(0x3a2a2a), 1.5);
    cairo_rectangle(cr, x + 6, y - 10, 5, 5);
    SetColor(cr, palette::kWindowLit);
    cairo_fill(cr);
  }
  // Telegraph poles every 400 px with sagging wires between them.
  for (double x = 100; x < kLandscapePeriod + 400; x += 400) {
    cairo_rectangle(cr, x - 3, 250, 6, 210);
    FillOutlined(cr, Hex(0x2a1e18), 1.5);
    cairo_rectangle(cr, x - 22, 258, 44, 5);
    FillOutlined(cr, Hex(0x2a1e18), 1.5);
    for (double wx : {-18.0, 18.0}) {
      cairo_move_to(cr, x + wx, 258);
      cairo_curve_to(cr, x + wx + 130, 290, x + wx + 270, 290, x + wx + 400, 258);
    }
    SetColor(cr, Hex(0x1a1418, 0.9));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
}

}  // namespace

void DrawTrainLandscape(Canvas& c, int tile) {
  cairo_t* cr = c.cr();
  cairo_rectangle(cr, 0, 0, c.width(), c.height());
  FillGradient(cr, 0, 0, 0, kLandHorizon, {{0, Hex(0x291f4f)}, {0.5, Hex(0x7a4078)}, {1, Hex(0xf08c4c)}});
  DrawWrapped(cr, kLandscapePeriod, tile * 800.0, PaintLandscapePeriod);
}

namespace {

// The rail head is 11.4 units below the screen centre, where every wagon's
// wheels run (the track tile spans y -6.4 to -12).
constexpr double kRailTop = 125;

void PaintTrackPeriod(cairo_t* cr) {
  Rng rng(505);
  // Ballast stones.
  for (int i = 0; i < 500; ++i) {
    const double x = rng.Uniform(0, kTrackPeriod), y = rng.Uniform(60, 140);
    EllipsePath(cr, x, y, rng.Uniform(2, 4.5), rng.Uniform(1.5, 3));
    SetColor(cr, Mix(Hex(0x4a4650), Hex(0x7a7480), rng.Uniform()));
    cairo_fill(cr);
  }
  // Sleeper ends every 50 px (divides both tile widths).
  for (double x = 10; x < kTrackPeriod; x += 50) {
    cairo_rectangle(cr, x, kRailTop + 8, 30, 7);
    FillOutlined(cr, Hex(0x4a3222), 1.5);
  }
  // Weeds on the embankment.
  for (int i = 0; i < 40; ++i) {
    const double x = rng.Uniform(0, kTrackPeriod);
    for (int k = -2; k <= 2; ++k) {
      cairo_move_to(cr, x, 62);
      cairo_line_to(cr, x + k * 3, 50 - std::abs(k) * 2);
    }
  }
  SetColor(cr, Hex(0x3a4a2a));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

}  // namespace

void DrawTrackBed(Canvas& c, int tile) {
  cairo_t* cr = c.cr();
  cairo_rectangle(cr, 0, 0, c.width(), 64);
  FillVertical(cr, 0, 64, Hex(0x2e3a26), Hex(0x22281c));
  cairo_rectangle(cr, 0, 60, c.width(), c.height() - 60);
  FillVertical(cr, 60, c.height(), Hex(0x5a5460), Hex(0x34303a));
  DrawWrapped(cr, kTrackPeriod, tile * 800.0, PaintTrackPeriod);
  // The rail: a bright polished head over a darker web.
  cairo_rectangle(cr, 0, kRailTop, c.width(), 6);
  FillVertical(cr, kRailTop, kRailTop + 6, Hex(0xe0d8d0), Hex(0x8a8490));
  cairo_rectangle(cr, 0, kRailTop + 6, c.width(), 3);
  SetColor(cr, Hex(0x3a3440));
  cairo_fill(cr);
}

namespace {

void Bogie(cairo_t* cr, double cx, double y) {
  cairo_rectangle(cr, cx - 60, y, 120, 16);
  FillOutlined(cr, Hex(0x26262c), 2);
  for (double dx : {-34.0, 34.0}) {
    EllipsePath(cr, cx + dx, y + 26, 22, 22);
    FillOutlined(cr, Hex(0x1c1c20), 2.5);
    EllipsePath(cr, cx + dx, y + 26, 14, 14);
    FillOutlined(cr, Hex(0x5a5a64), 1.5);
  }
  cairo_rectangle(cr, cx - 64, y + 20, 128, 6);
  FillOutlined(cr, Hex(0x3a3a42), 1.5);
}

void Coupler(cairo_t* cr, double x, double y, double dir) {
  cairo_rectangle(cr, dir > 0 ? x : x - 30, y - 5, 30, 10);
  FillOutlined(cr, Hex(0x2a2a30), 2);
}

}  // namespace

void DrawWagon(Canvas& c, int kind) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  double left = 40, right = w - 40, roof = 65;
  if (kind == 1) roof = 90;
  if (kind == 2) roof = 52;
  if (kind == 3) { left = 90; right = 710; }
  if (kind == 4) { left = 75; right = 1225; }
  // Wheels stand on the rail 11.4 units below the screen centre; the wagon
  // picture is centred at its y (-8.3, -6.1, -6.3, -6.0 for kinds 1..4).
  const double centreY[4] = {-8.3, -6.1, -6.3, -6.0};
  const double wheelBottom = h / 2 + (centreY[std::clamp(kind, 1, 4) - 1] + 11.4) * 25;
  const double frameY = wheelBottom - 54;
  for (double cx : {left + 110, right - 110}) Bogie(cr, cx, frameY + 6);
  cairo_rectangle(cr, left, frameY - 10, right - left, 18);
  FillOutlined(cr, Hex(0x2a2a30), 2.5);
  Coupler(cr, left, frameY, -1);
  Coupler(cr, right, frameY, 1);

  if (kind == 1) {
    // Flat car: an empty deck with stake pockets and side sills.
    cairo_rectangle(cr, left, roof, right - left, frameY - 10 - roof);
    FillVertical(cr, roof, frameY - 10, Hex(0x7a5a3a), Hex(0x4a3422), true);
    SetColor(cr, palette::kOutline);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    for (double x = left + 30; x < right - 20; x += 60) {
      cairo_rectangle(cr, x, roof + 6, 10, 14);
      FillOutlined(cr, Hex(0x2a2a30), 1.5);
    }
    cairo_rectangle(cr, left, roof, right - left, 5);
    SetColor(cr, Hex(0xc09a6a));
    cairo_fill(cr);
    return;
  }
  const Color body = kind == 2 ? Hex(0x8a3a2a) : kind == 3 ? Hex(0x2a5a4a) : Hex(0x3a4a6a);
  cairo_rectangle(cr, left, roof, right - left, frameY - 10 - roof);
  FillVertical(cr, roof, frameY - 10, Mix(body, Hex(0xffb080), 0.2), Mix(body, Hex(0x000000), 0.35), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  // Roof with a lit rim from the low sun; its top is the roof line the
  // game's collision rectangle puts the walkers on.
  RoundRectPath(cr, left - 6, roof - 1, right - left + 12, 12, 5);
  FillOutlined(cr, Mix(body, Hex(0x202020), 0.5), 2.5);
  cairo_rectangle(cr, left - 4, roof, right - left + 8, 2);
  SetColor(cr, Hex(0xffb070, 0.6));
  cairo_fill(cr);
  if (kind == 4) {
    // Passenger car: a row of lit windows and two doors.
    for (double x = left + 60; x < right - 80; x += 70) {
      RoundRectPath(cr, x, roof + 36, 48, 50, 6);
      FillOutlined(cr, Hex(0xffd890), 2.5);
      SoftBlob(cr, x + 24, roof + 61, 30, 30, Hex(0xfff0c0, 0.4));
    }
    for (double x : {left + 14, right - 50}) {
      cairo_rectangle(cr, x, roof + 30, 36, frameY - 44 - roof);
      FillOutlined(cr, Mix(body, Hex(0x000000), 0.3), 2);
    }
    cairo_rectangle(cr, left, roof + 100, right - left, 8);
    SetColor(cr, Hex(0xe0c060));
    cairo_fill(cr);
    return;
  }
  // Box car: vertical ribs, a sliding door and a stencilled number.
  for (double x = left + 20; x < right - 10; x += 36) {
    cairo_move_to(cr, x, roof + 4);
    cairo_line_to(cr, x, frameY - 14);
  }
  SetColor(cr, Mix(body, Hex(0x000000), 0.45));
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  const double doorX = (left + right) / 2 - 60;
  cairo_rectangle(cr, doorX, roof + 16, 120, frameY - 30 - roof);
  FillOutlined(cr, Mix(body, Hex(0x000000), 0.2), 2.5);
  cairo_rectangle(cr, doorX - 8, roof + 10, 136, 6);
  FillOutlined(cr, Hex(0x2a2a2a), 1.5);
  TextStyle stencil;
  stencil.size = 22;
  stencil.fill = Hex(0xf0e8d8, 0.85);
  DrawText(cr, kind == 2 ? "VRN 40721" : "VRN 51934", left + 30, roof + 50, stencil);
  stencil.size = 14;
  DrawText(cr, "LOAD LIMIT 60T", right - 170, frameY - 30, stencil);
}

void DrawLoadingScreen(Canvas& c, bool train) {
  cairo_t* cr = c.cr();
  if (train) {
    cairo_save(cr);
    cairo_scale(cr, 1.0, 600.0 / 460.0);
    DrawTrainLandscape(c, 1);
    cairo_restore(cr);
    // A train crossing the foreground, in silhouette: locomotive and cars
    // with lit windows, on bogies.
    const double top = 340, bottom = 418;
    for (double x = 20; x < 820; x += 196) {
      RoundRectPath(cr, x, top, 186, bottom - top, 8);
      SetColor(cr, Hex(0x14121a));
      cairo_fill(cr);
      for (double wx = x + 14; wx < x + 170; wx += 34) {
        cairo_rectangle(cr, wx, top + 14, 22, 20);
        SetColor(cr, Hex(0xffc070, 0.9));
        cairo_fill(cr);
      }
      for (double bx : {x + 36, x + 150}) {
        for (double dx : {-13.0, 13.0}) {
          EllipsePath(cr, bx + dx, bottom + 6, 10, 10);
          SetColor(cr, Hex(0x0c0b10));
          cairo_fill(cr);
        }
      }
      cairo_rectangle(cr, x + 186, bottom - 22, 10, 6);
      SetColor(cr, Hex(0x0c0b10));
      cairo_fill(cr);
    }
    // The locomotive's nose on the left, its headlight beam ahead.
    PolygonPath(cr, {-10, 300, 14, 300, 14, 418, -10, 418});
    SetColor(cr, Hex(0x14121a));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 428, 800, 172);
    FillVertical(cr, 428, 600, Hex(0x14121a), Hex(0x08080c));
    cairo_rectangle(cr, 0, 424, 800, 4);
    SetColor(cr, Hex(0x8a7080));
    cairo_fill(cr);
  } else {
    PaintDuskScene(c);
  }
  // Title and the recess the loading bar sits in (520 x 68 at y 450).
  TextStyle title;
  title.size = 120;
  title.outlineWidth = 5;
  title.glow = 16;
  title.fill = palette::kAmberLit;
  title.align = Align::Centre;
  DrawText(cr, "VARNOK", 400, 200, title);
  TextStyle sub;
  sub.size = 30;
  sub.outlineWidth = 2;
  sub.align = Align::Centre;
  sub.fill = Hex(0xf0e0c0);
  DrawText(cr, train ? "THE TRAIN" : "THE CITY", 400, 250, sub);
  RoundRectPath(cr, 130, 440, 540, 88, 12);
  SetColor(cr, Hex(0x08090e, 0.75));
  cairo_fill(cr);
  sub.size = 18;
  sub.outlineWidth = 0;
  sub.fill = palette::kAmberDim;
  DrawText(cr, "LOADING", 400, 426, sub);
}

}  // namespace assetgen
