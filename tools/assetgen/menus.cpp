// Menu pictures: buttons and captions in plain and lit form, frames,
// screen titles, the dialog, options and high-score panels.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

// A dark metal plate with bevelled edges.
void Plate(cairo_t* cr, double x, double y, double w, double h, double radius, bool lit) {
  RoundRectPath(cr, x, y, w, h, radius);
  FillVertical(cr, y, y + h, lit ? Hex(0x4a4438) : palette::kMetal, lit ? Hex(0x2a241c) : palette::kMetalDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  RoundRectPath(cr, x + 4, y + 4, w - 8, h - 8, std::max(1.0, radius - 3));
  SetColor(cr, lit ? WithAlpha(palette::kAmberLit, 0.9) : WithAlpha(palette::kAmberDim, 0.6));
  cairo_set_line_width(cr, lit ? 2 : 1.2);
  cairo_stroke(cr);
  cairo_rectangle(cr, x + radius, y + 5, w - 2 * radius, 2);
  SetColor(cr, Hex(0xffffff, 0.12));
  cairo_fill(cr);
}

TextStyle CaptionStyle(bool lit, double size) {
  TextStyle t;
  t.size = size;
  t.align = Align::Centre;
  t.outlineWidth = 2;
  t.fill = lit ? palette::kAmberLit : palette::kAmberDim;
  if (lit) {
    t.glow = std::max(4.0, size * 0.2);
    t.glowColor = palette::kAmber;
  }
  return t;
}

// Centres a caption vertically on cy, sized to fit maxWidth.
void Caption(cairo_t* cr, const std::string& text, double cx, double cy, double size, double maxWidth, bool lit) {
  const double fitted = FitTextSize(cr, text, Face::Display, size, maxWidth);
  DrawText(cr, text, cx, cy + fitted * 0.36, CaptionStyle(lit, fitted));
}

// A frame: metal border round a dark, slightly see-through inside.
void FramePanel(cairo_t* cr, double w, double h, double border) {
  RoundRectPath(cr, 2, 2, w - 4, h - 4, 16);
  FillVertical(cr, 2, h - 2, palette::kMetal, palette::kMetalDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  RoundRectPath(cr, border, border, w - 2 * border, h - 2 * border, 8);
  FillVertical(cr, border, h - border, Hex(0x10121a, 0.9), Hex(0x1a1c26, 0.9), true);
  SetColor(cr, WithAlpha(palette::kAmberDim, 0.8));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  for (double x : {10.0, w - 10}) {
    for (double y : {10.0, h - 10}) {
      EllipsePath(cr, x, y, 3, 3);
      FillOutlined(cr, palette::kMetalLight, 1);
    }
  }
}

}  // namespace

// The plate fills the middle 60% of the picture's height, and plateWidth of
// its width (0: all but a margin): menus set these pictures closer than
// their size (the main menu every 62.5 px, NEXT and PREVIOUS 125 px apart
// just under the page), and the margins keep the plates apart.
void DrawMenuButton(Canvas& c, const std::string& caption, bool lit, double plateWidth) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double plateH = h * 0.6, plateY = (h - plateH) / 2;
  const double plateW = plateWidth > 0 ? std::min(plateWidth, w) : w - 0.2 * h;
  const double plateX = (w - plateW) / 2;
  if (lit) SoftBlob(cr, w / 2, h / 2, plateW / 2 + h * 0.1, h / 2, Hex(0xffa020, 0.35));
  Plate(cr, plateX, plateY, plateW, plateH, std::min(12.0, plateH * 0.3), lit);
  Caption(cr, caption, w / 2, h / 2, plateH * 0.62, plateW - 20, lit);
}

void DrawMenuCaption(Canvas& c, const std::string& caption, bool lit) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  // No plate and a narrow caption: the options panel sets WINDOW and FULL
  // SCREEN (and ON and OFF) closer together than their pictures are wide.
  Caption(cr, caption, w / 2, h / 2, h * 0.6, w * 0.5, lit);
}

void DrawHelpFrame(Canvas& c) { FramePanel(c.cr(), c.width(), c.height(), 22); }

void DrawScreenTitle(Canvas& c, const std::string& title) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double size = FitTextSize(cr, title, Face::Display, 96, w - 60);
  TextStyle t = CaptionStyle(true, size);
  t.outlineWidth = 4;
  t.glow = 14;
  DrawText(cr, title, w / 2, h / 2 + size * 0.36, t);
  // A rule with a bright middle under the title.
  cairo_rectangle(cr, 40, h / 2 + size * 0.5, w - 80, 4);
  FillGradient(cr, 40, 0, w - 40, 0,
               {{0, WithAlpha(palette::kAmber, 0)}, {0.5, Hex(0xffcc66)}, {1, WithAlpha(palette::kAmber, 0)}});
}

// The dialog's question is printed by the game in its upper half and the
// YES and NO buttons sit in the lower half, so the frame itself carries no
// words: only a warning sign at the top.
void DrawQueryFrame(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  FramePanel(cr, w, h, 14);
  const double cx = w / 2;
  RoundRectPath(cr, cx - 26, 4, 52, 30, 6);
  FillOutlined(cr, palette::kMetal, 2);
  PolygonPath(cr, {cx - 11, 29, cx, 9, cx + 11, 29});
  FillOutlined(cr, palette::kAmber, 1.5);
  cairo_rectangle(cr, cx - 1, 15, 2, 8);
  cairo_rectangle(cr, cx - 1, 25, 2, 2);
  SetColor(cr, palette::kOutline);
  cairo_fill(cr);
}

void DrawOptionsPanel(Canvas& c) {
  cairo_t* cr = c.cr();
  FramePanel(cr, c.width(), c.height(), 18);
  // Row labels at the heights where the game puts each row's values.
  struct Row { const char* label; double y; };
  const Row rows[] = {{"WINDOW MODE", 60}, {"MUSIC", 106}, {"SOUND", 150}, {"ADD TEXT", 232}, {"HIDE KEY", 322}};
  for (const Row& r : rows) {
    TextStyle t = CaptionStyle(false, 17);
    t.fill = palette::kAmber;
    t.align = Align::Left;
    t.size = FitTextSize(cr, r.label, Face::Display, 17, 92);
    DrawText(cr, r.label, 32, r.y + t.size * 0.36, t);
    cairo_rectangle(cr, 32, r.y + 14, 90, 1);
    SetColor(cr, WithAlpha(palette::kAmberDim, 0.6));
    cairo_fill(cr);
  }
  // Field boxes where the add text and the hide key are printed.
  for (double y : {232.0, 322.0}) {
    RoundRectPath(cr, 140, y - 20, 220, 40, 6);
    SetColor(cr, Hex(0x000000, 0.45));
    cairo_fill_preserve(cr);
    SetColor(cr, WithAlpha(palette::kAmberDim, 0.7));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
  }
}

void DrawUnderline(Canvas& c) {
  cairo_t* cr = c.cr();
  cairo_rectangle(cr, 0, 0, c.width(), c.height());
  FillGradient(cr, 0, 0, c.width(), 0,
               {{0, WithAlpha(palette::kAmber, 0.2)}, {0.5, Hex(0xffe08a)}, {1, WithAlpha(palette::kAmber, 0.2)}});
}

// The game prints row i (1..10) as a 10-character name, seven spaces and a
// 6-digit score, centred vertically 26.25 px lower per row from y = 37.5,
// starting at x = 175; the name column ends at x = 295 and the score at 450.
void DrawScoreTable(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  constexpr double kFirstRowY = 37.5, kRowStep = 26.25, kNameRight = 295, kScoreRight = 450;
  FramePanel(cr, w, h, 16);
  TextStyle rank;
  rank.size = 16;
  rank.fill = palette::kAmberDim;
  rank.align = Align::Right;
  for (int i = 1; i <= 10; ++i) {
    const double cy = kFirstRowY + kRowStep * i;
    if (i % 2 == 1) {
      cairo_rectangle(cr, 24, cy - kRowStep / 2, w - 48, kRowStep);
      SetColor(cr, Hex(0xffb02e, 0.07));
      cairo_fill(cr);
    }
    DrawText(cr, std::to_string(i) + ".", 160, cy + rank.size * 0.36, rank);
  }
  TextStyle t = CaptionStyle(false, 16);
  t.fill = palette::kAmber;
  t.align = Align::Right;
  DrawText(cr, "NAME", kNameRight, 42, t);
  DrawText(cr, "SCORE", kScoreRight, 42, t);
  cairo_rectangle(cr, 24, 47, w - 48, 1.5);
  SetColor(cr, WithAlpha(palette::kAmberDim, 0.8));
  cairo_fill(cr);
}

}  // namespace assetgen
