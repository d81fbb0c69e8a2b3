// The eight building façades of the city levels. Each kind has its own
// shape and detail; the windows where the level's window fires burn are
// drawn gutted and sooty, at the fire positions the level generator uses.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

constexpr double kPixelsPerUnit = 25;  // engine location unit in the 800 x 600 frame

enum class Roof { Flat, Tanks, Pitched, Sawtooth, Stepped };
enum class Ground { Doors, Shops, Garages };
// Window shapes: two-pane, arched with shutters, factory grid, tall with a transom.
enum class Pane { Double, Arched, Grid, Tall };

struct Style {
  Color body;
  Color trim;
  double top;          // y of the roof line
  int floors;
  double windowW, windowH, spacing;
  Roof roof;
  Ground ground;
  bool bands;          // horizontal concrete bands between floors
  bool balconies;
  bool fireEscape;
  // Window fires of this kind: (offset from centre, height above centre) in units.
  std::vector<std::pair<double, double>> fires;
  const char* sign = nullptr;  // painted name on the façade, if any
  bool neon = false;           // the sign is a vertical neon sign instead
  Pane pane = Pane::Double;
};

Style BaseStyle(int kind) {
  switch (kind) {
    case 1: return {Hex(0x4a3438), Hex(0x6a4c48), 70, 6, 26, 36, 58, Roof::Tanks, Ground::Doors, false, false, true,
                    {{5.5, 4.5}, {-5.5, 4.5}}};
    case 2: return {Hex(0x2c3448), Hex(0x4a5670), 40, 7, 44, 30, 62, Roof::Flat, Ground::Shops, true, false, false,
                    {{-7.5, 2.2}, {-20, 4.5}, {7.5, 2.2}, {20, 4.5}}, "HOTEL", true};
    case 3: return {Hex(0x353a4e), Hex(0x596078), 30, 8, 24, 32, 52, Roof::Stepped, Ground::Doors, false, false, false,
                    {{0, -0.3}, {6.5, -0.3}, {-6.5, -0.3}}};
    case 4: return {Hex(0x3e3a36), Hex(0x5e5850), 90, 3, 60, 40, 110, Roof::Flat, Ground::Garages, true, false, false, {},
                    "CITY DEPOT 4"};
    case 5: return {Hex(0x2e3a44), Hex(0x50606c), 50, 5, 50, 40, 80, Roof::Tanks, Ground::Shops, true, false, false,
                    {{-4, -4}, {-11.5, -4}, {-19.5, -4}, {4, -4}, {12, -4}, {19.2, -4}}};
    case 6: return {Hex(0x3a3248), Hex(0x5a4e6c), 45, 7, 30, 36, 64, Roof::Flat, Ground::Doors, false, true, false,
                    {{-13, 2.2}, {12.5, 2.2}}};
    case 7: return {Hex(0x4a3e34), Hex(0x6c5a48), 130, 4, 30, 42, 70, Roof::Pitched, Ground::Doors, false, false, true,
                    {{1, 1.6}, {-2, 1.6}, {4, 1.6}}};
    default: return {Hex(0x30343c), Hex(0x505660), 110, 4, 40, 34, 76, Roof::Sawtooth, Ground::Garages, true, false, false,
                     {{-11, -0.5}, {-16.5, -0.5}, {-21.7, -0.5}, {-27.3, -0.5}, {11, -0.5}, {16.5, -0.5}, {21.7, -0.5}, {27.3, -0.5}},
                     "VARNOK STEEL WORKS"};
  }
}

Style StyleFor(int kind) {
  Style s = BaseStyle(kind);
  const Pane panes[8] = {Pane::Double, Pane::Tall, Pane::Tall, Pane::Grid, Pane::Double, Pane::Double, Pane::Arched, Pane::Grid};
  s.pane = panes[std::clamp(kind, 1, 8) - 1];
  return s;
}

struct Box { double x, y, w, h; };
bool Overlaps(const Box& a, const Box& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// The glass outline of a window: arched ones get a round top.
void GlassPath(cairo_t* cr, const Box& b, Pane pane, double grow) {
  if (pane == Pane::Arched) {
    const double r = b.w / 2 + grow;
    cairo_new_sub_path(cr);
    cairo_move_to(cr, b.x - grow, b.y + b.h + grow);
    cairo_line_to(cr, b.x - grow, b.y + r);
    cairo_arc(cr, b.x + b.w / 2, b.y + r - grow, r, M_PI, 2 * M_PI);
    cairo_line_to(cr, b.x + b.w + grow, b.y + b.h + grow);
    cairo_close_path(cr);
  } else {
    cairo_rectangle(cr, b.x - grow, b.y - grow, b.w + 2 * grow, b.h + 2 * grow);
  }
}

void PaintWindow(cairo_t* cr, const Box& b, bool lit, Pane pane, Rng& rng) {
  if (pane == Pane::Arched) {
    // Shutters either side.
    for (double x : {b.x - b.w * 0.45 - 4, b.x + b.w + 4}) {
      cairo_rectangle(cr, x, b.y + 4, b.w * 0.45, b.h - 4);
      FillOutlined(cr, Hex(0x3a4a3a), 1.5);
    }
  }
  GlassPath(cr, b, pane, 3);
  SetColor(cr, Hex(0x181b24));
  cairo_fill(cr);
  GlassPath(cr, b, pane, 0);
  if (lit) {
    FillVertical(cr, b.y, b.y + b.h, Hex(0xffe0a0), Hex(0xf0a040));
    // A curtain or a shadow of someone inside.
    if (rng.Uniform() < 0.35) {
      cairo_rectangle(cr, b.x, b.y, b.w * 0.3, b.h);
      SetColor(cr, Hex(0xc06a40, 0.7));
      cairo_fill(cr);
    }
  } else {
    FillVertical(cr, b.y, b.y + b.h, Hex(0x3a3f5a), Hex(0x5a4a6a));
    // Sky reflection: a pale diagonal streak.
    cairo_move_to(cr, b.x + b.w * 0.15, b.y + b.h);
    cairo_line_to(cr, b.x + b.w * 0.55, b.y);
    cairo_line_to(cr, b.x + b.w * 0.75, b.y);
    cairo_line_to(cr, b.x + b.w * 0.35, b.y + b.h);
    cairo_close_path(cr);
    SetColor(cr, Hex(0xd090b0, 0.25));
    cairo_fill(cr);
  }
  // Glazing bars and sill.
  switch (pane) {
    case Pane::Grid:
      for (int k = 1; k < 3; ++k) cairo_rectangle(cr, b.x + b.w * k / 3 - 1, b.y, 2, b.h);
      cairo_rectangle(cr, b.x, b.y + b.h / 2 - 1, b.w, 2);
      break;
    case Pane::Tall:
      cairo_rectangle(cr, b.x, b.y + b.h * 0.3 - 1, b.w, 2);
      break;
    default:
      cairo_rectangle(cr, b.x + b.w / 2 - 1, b.y, 2, b.h);
      break;
  }
  cairo_rectangle(cr, b.x - 4, b.y + b.h + 2, b.w + 8, 4);
  SetColor(cr, Hex(0x1a1d26, 0.9));
  cairo_fill(cr);
}

// A gutted window: black inside, glowing embers on the sill, soot above.
void PaintBurntWindow(cairo_t* cr, double cx, double cy, double w, double h) {
  SoftBlob(cr, cx, cy - h * 0.9, w * 0.9, h * 1.2, Hex(0x0a0a0e, 0.8));
  cairo_rectangle(cr, cx - w / 2 - 3, cy - h / 2 - 3, w + 6, h + 6);
  SetColor(cr, Hex(0x111116));
  cairo_fill(cr);
  cairo_rectangle(cr, cx - w / 2, cy - h / 2, w, h);
  FillVertical(cr, cy - h / 2, cy + h / 2, Hex(0x050507), Hex(0x5a1a08));
  // Broken glass teeth.
  SetColor(cr, Hex(0x8090b0, 0.6));
  PolygonPath(cr, {cx - w / 2, cy - h / 2, cx - w / 4, cy - h / 2, cx - w / 2, cy - h / 6});
  PolygonPath(cr, {cx + w / 2, cy + h / 2, cx + w / 2, cy + h / 8, cx + w / 3, cy + h / 2});
  cairo_fill(cr);
  SoftBlob(cr, cx, cy + h / 2, w * 0.6, h * 0.25, Hex(0xff7a20, 0.6));
}

void PaintRoof(cairo_t* cr, const Style& s, double w, double h) {
  const double x0 = 4, x1 = w - 4;
  switch (s.roof) {
    case Roof::Tanks:
      for (double x : {w * 0.18, w * 0.7}) {
        cairo_rectangle(cr, x, s.top - 34, 38, 26);
        FillOutlined(cr, Hex(0x3a2c28), 2);
        PolygonPath(cr, {x - 2, s.top - 34, x + 19, s.top - 48, x + 40, s.top - 34});
        FillOutlined(cr, Hex(0x2a2020), 2);
        for (double lx : {x + 4, x + 32}) {
          cairo_rectangle(cr, lx, s.top - 8, 3, 8);
          FillOutlined(cr, Hex(0x222222), 1);
        }
      }
      break;
    case Roof::Stepped:
      cairo_rectangle(cr, w * 0.2, s.top - 16, w * 0.6, 16);
      FillOutlined(cr, s.body, 2);
      cairo_rectangle(cr, w * 0.48, s.top - 30, 4, 14);
      FillOutlined(cr, Hex(0x202020), 1);
      SoftBlob(cr, w * 0.5, s.top - 30, 6, 6, Hex(0xff3030, 0.9));  // aircraft warning light
      break;
    case Roof::Pitched:
      PolygonPath(cr, {x0 - 6, s.top, w * 0.5, 8, x1 + 6, s.top});
      FillOutlined(cr, Hex(0x3a2a2a), 3);
      for (double x : {w * 0.28, w * 0.72}) {
        cairo_rectangle(cr, x - 16, s.top - 40, 32, 40);
        FillOutlined(cr, s.trim, 2);
        cairo_rectangle(cr, x - 9, s.top - 32, 18, 22);
        SetColor(cr, Hex(0x2a2e40));
        cairo_fill(cr);
      }
      cairo_rectangle(cr, w * 0.6, 20, 20, 50);
      FillOutlined(cr, Hex(0x5a3a30), 2);
      break;
    case Roof::Sawtooth:
      for (double x = x0; x < x1 - 10; x += 120) {
        const double right = std::min(x + 120, x1);
        PolygonPath(cr, {x, s.top, x, s.top - 50, right, s.top});
        FillOutlined(cr, Hex(0x2a2e36), 2);
        PolygonPath(cr, {x + 3, s.top - 44, x + 3, s.top - 6, x + 40, s.top - 6, x + 40, s.top - 32});
        SetColor(cr, Hex(0xffc070, 0.5));
        cairo_fill(cr);
      }
      for (double x : {w * 0.35, w * 0.62}) {
        cairo_rectangle(cr, x, 6, 26, s.top - 50);
        FillOutlined(cr, Hex(0x5a3e36), 2);
        for (double y = 16; y < s.top - 50; y += 22) {
          cairo_rectangle(cr, x, y, 26, 4);
          SetColor(cr, Hex(0xe0e0e0, 0.5));
          cairo_fill(cr);
        }
      }
      break;
    case Roof::Flat:
      cairo_rectangle(cr, w * 0.12, s.top - 18, 46, 18);
      FillOutlined(cr, Hex(0x505866), 2);
      cairo_rectangle(cr, w * 0.8, s.top - 60, 3, 60);
      FillOutlined(cr, Hex(0x202020), 1);
      cairo_rectangle(cr, w * 0.8 - 12, s.top - 50, 27, 3);
      SetColor(cr, Hex(0x202020));
      cairo_fill(cr);
      break;
  }
}

void PaintGroundFloor(cairo_t* cr, const Style& s, double w, double h, double groundTop, Rng& rng) {
  cairo_rectangle(cr, 4, groundTop, w - 8, h - groundTop);
  SetColor(cr, Mix(s.body, Hex(0x101018), 0.35));
  cairo_fill(cr);
  cairo_rectangle(cr, 0, groundTop - 8, w, 8);
  FillOutlined(cr, s.trim, 2);
  const double floorH = h - groundTop;
  if (s.ground == Ground::Garages) {
    for (double x = 30; x + 110 < w - 20; x += 170) {
      cairo_rectangle(cr, x, groundTop + 14, 110, floorH - 14);
      FillOutlined(cr, Hex(0x4a4e58), 2);
      for (double y = groundTop + 22; y < h; y += 9) {
        cairo_move_to(cr, x + 2, y);
        cairo_line_to(cr, x + 108, y);
      }
      SetColor(cr, Hex(0x30333c));
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
    }
    return;
  }
  if (s.ground == Ground::Shops) {
    const char* signs[] = {"24H", "PHARMACY", "BAR", "CAFE", "SHOES", "BANK", "RADIO", "PAWN"};
    int sign = rng.Below(8);
    for (double x = 24; x + 140 < w - 10; x += 180) {
      cairo_rectangle(cr, x, groundTop + 28, 140, floorH - 36);
      FillVertical(cr, groundTop + 28, h - 8, Hex(0xffd890, 0.95), Hex(0xd07a40));
      cairo_rectangle(cr, x, groundTop + 28, 140, floorH - 36);
      SetColor(cr, Hex(0x15171e));
      cairo_set_line_width(cr, 3);
      cairo_stroke(cr);
      RoundRectPath(cr, x + 10, groundTop + 4, 120, 20, 3);
      FillOutlined(cr, Hex(0x20242e), 2);
      TextStyle t;
      t.face = Face::Display;
      t.size = 15;
      t.fill = Mix(Hex(0x60e0ff), Hex(0xff5090), (sign % 3) / 2.0);
      t.glow = 3;
      t.glowColor = t.fill;
      t.align = Align::Centre;
      DrawText(cr, signs[sign % 8], x + 70, groundTop + 20, t);
      ++sign;
    }
    return;
  }
  for (double x = w * 0.5 - 24; x > 0; x -= w) {
    cairo_rectangle(cr, x, groundTop + 12, 48, floorH - 12);
    FillOutlined(cr, Hex(0x3a2418), 2);
    SoftBlob(cr, x + 24, groundTop + 10, 20, 10, Hex(0xffd080, 0.8));
  }
}

// Where a kind's sign goes; windows leave that area free.
Box SignBox(const Style& s, double w, double floorH) {
  if (!s.sign) return {0, 0, 0, 0};
  if (s.neon) {
    const double step = 34;
    return {w - 60 - 22, s.top + 12, 44, step * std::string(s.sign).size() + 12};
  }
  return {w * 0.2, s.top + 8, w * 0.6, floorH * 0.55};
}

// A painted name across the top floor, or a vertical neon sign on the corner.
void PaintSign(cairo_t* cr, const Style& s, double w, double floorH) {
  TextStyle t;
  t.align = Align::Centre;
  if (s.neon) {
    const std::string text = s.sign;
    const Box box = SignBox(s, w, floorH);
    const double x = box.x + box.w / 2, top = box.y + 8, step = 34;
    RoundRectPath(cr, box.x, box.y, box.w, box.h, 6);
    FillOutlined(cr, Hex(0x1a1c24), 2.5);
    t.size = 30;
    t.fill = Hex(0xff6ab0);
    t.glow = 6;
    t.glowColor = Hex(0xff3090);
    for (size_t i = 0; i < text.size(); ++i) DrawText(cr, std::string(1, text[i]), x, top + step * (i + 0.85), t);
    return;
  }
  const Box band = SignBox(s, w, floorH);
  const double bandY = band.y, bandH = band.h;
  cairo_rectangle(cr, band.x, band.y, band.w, band.h);
  FillOutlined(cr, Mix(s.body, Hex(0x000000), 0.3), 2);
  t.size = FitTextSize(cr, s.sign, Face::Display, bandH * 0.75, w * 0.56);
  t.fill = Hex(0xe8dcc0, 0.85);
  DrawText(cr, s.sign, w / 2, bandY + bandH / 2 + t.size * 0.36, t);
}

}  // namespace

void DrawBuilding(Canvas& c, int kind) {
  cairo_t* cr = c.cr();
  const Style s = StyleFor(kind);
  const double w = c.width(), h = c.height();
  Rng rng(1000 + kind);
  const double groundTop = h - 70;

  PaintRoof(cr, s, w, h);
  // Body with the sunset light falling from the left.
  cairo_rectangle(cr, 4, s.top, w - 8, h - s.top);
  FillVertical(cr, s.top, h, Mix(s.body, Hex(0x8a5a70), 0.25), s.body, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_rectangle(cr, 4, s.top, 14, h - s.top);
  SetColor(cr, Hex(0xff9a60, 0.18));
  cairo_fill(cr);
  cairo_rectangle(cr, 0, s.top - 6, w, 10);
  FillOutlined(cr, s.trim, 2);

  std::vector<Box> fireBoxes;
  const double floorH = (groundTop - s.top - 14) / s.floors;
  if (s.sign) {
    const Box sign = SignBox(s, w, floorH);
    fireBoxes.push_back({sign.x - 8, sign.y - 8, sign.w + 16, sign.h + 16});
  }
  for (const auto& [dx, dy] : s.fires) {
    const double cx = w / 2 + dx * kPixelsPerUnit, cy = h / 2 - dy * kPixelsPerUnit;
    fireBoxes.push_back({cx - s.windowW / 2 - 10, cy - s.windowH / 2 - 10, s.windowW + 20, s.windowH + 20});
  }
  // Window grid, centred across the façade.
  const int columns = std::max(1, static_cast<int>((w - 40) / s.spacing));
  const double x0 = (w - (columns - 1) * s.spacing) / 2;
  for (int f = 0; f < s.floors; ++f) {
    const double y = s.top + 14 + f * floorH + (floorH - s.windowH) / 2;
    if (s.bands) {
      cairo_rectangle(cr, 4, s.top + 10 + f * floorH, w - 8, 5);
      SetColor(cr, Mix(s.trim, Hex(0x000000), 0.2));
      cairo_fill(cr);
    }
    for (int col = 0; col < columns; ++col) {
      const Box b{x0 + col * s.spacing - s.windowW / 2, y, s.windowW, s.windowH};
      const bool lit = rng.Uniform() < 0.3;
      if (std::any_of(fireBoxes.begin(), fireBoxes.end(), [&](const Box& fb) { return Overlaps(fb, b); })) continue;
      PaintWindow(cr, b, lit, s.pane, rng);
      if (s.balconies && col % 2 == 0) {
        cairo_rectangle(cr, b.x - 8, b.y + b.h + 4, b.w + 16, 10);
        FillOutlined(cr, s.trim, 2);
        for (double bx = b.x - 6; bx < b.x + b.w + 8; bx += 6) cairo_rectangle(cr, bx, b.y + b.h - 8, 2, 12);
        SetColor(cr, palette::kOutline);
        cairo_fill(cr);
      }
    }
  }
  if (s.fireEscape) {
    const double ex = w * 0.5 - s.spacing * 0.5 - 2;
    for (int f = 1; f < s.floors; ++f) {
      const double y = s.top + 14 + f * floorH;
      cairo_rectangle(cr, ex - 30, y - 4, 60, 4);
      cairo_move_to(cr, ex - 26, y);
      cairo_line_to(cr, ex + 26, y + floorH - 4);
    }
    SetColor(cr, Hex(0x141418));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
  }
  for (const auto& [dx, dy] : s.fires) {
    PaintBurntWindow(cr, w / 2 + dx * kPixelsPerUnit, h / 2 - dy * kPixelsPerUnit, s.windowW + 4, s.windowH + 4);
  }
  PaintGroundFloor(cr, s, w, h, groundTop, rng);
  if (s.sign) PaintSign(cr, s, w, floorH);
  // Drainpipes at both corners.
  for (double x : {10.0, w - 16}) {
    cairo_rectangle(cr, x, s.top + 4, 5, h - s.top - 4);
    FillOutlined(cr, Hex(0x4a505c), 1);
  }
}

}  // namespace assetgen
