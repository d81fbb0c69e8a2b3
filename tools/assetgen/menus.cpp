// Menu pictures: buttons and captions in plain and lit form, frames,
// screen titles, the dialog, options and high-score panels.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "canvas.h"
#include "menu_layout.h"
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

// A frame: metal border round a dark, slightly see-through inside, filling
// the rectangle (x0, y0)-(x1, y1) of the picture.
void FramePanel(cairo_t* cr, double x0, double y0, double x1, double y1, double border) {
  RoundRectPath(cr, x0, y0, x1 - x0, y1 - y0, 16);
  FillVertical(cr, y0, y1, palette::kMetal, palette::kMetalDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  RoundRectPath(cr, x0 + border, y0 + border, x1 - x0 - 2 * border, y1 - y0 - 2 * border, 8);
  FillVertical(cr, y0 + border, y1 - border, Hex(0x10121a, 0.9), Hex(0x1a1c26, 0.9), true);
  SetColor(cr, WithAlpha(palette::kAmberDim, 0.8));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  for (double x : {x0 + 8, x1 - 8}) {
    for (double y : {y0 + 8, y1 - 8}) {
      EllipsePath(cr, x, y, 3, 3);
      FillOutlined(cr, palette::kMetalLight, 1);
    }
  }
}

// The help frame, the options panel and the score table are set with their
// left 25 px outside the frame (and their right edge near the main-menu
// column), so each leaves a clear band at both sides.
constexpr double kPanelSideMargin = 30;

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

// A value of the options screen: a small plate plateWidth pixels wide. The
// game sets WINDOW and FULL SCREEN 123 px apart and ON and OFF 68 px apart,
// and the selection underline passes 12 px below their centres, so the plates
// are narrow and low: too low for the inner rim of the big plates, which
// would run through the caption. Their one rim lights up instead.
void DrawOptionValue(Canvas& c, const std::string& caption, bool lit, double plateWidth) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const double plateH = h * kOptionPlateHeight, plateY = (h - plateH) / 2;
  const double plateX = (w - plateWidth) / 2;
  if (lit) SoftBlob(cr, w / 2, h / 2, plateWidth / 2 + 4, plateH / 2 + 6, Hex(0xffa020, 0.35));
  RoundRectPath(cr, plateX, plateY, plateWidth, plateH, plateH * 0.3);
  FillVertical(cr, plateY, plateY + plateH, lit ? Hex(0x4a4438) : palette::kMetal,
               lit ? Hex(0x2a241c) : palette::kMetalDark, true);
  SetColor(cr, lit ? WithAlpha(palette::kAmberLit, 0.9) : palette::kOutline);
  cairo_set_line_width(cr, lit ? 2 : 1.5);
  cairo_stroke(cr);
  Caption(cr, caption, w / 2, h / 2, plateH * 0.7, plateWidth - 12, lit);
}

void DrawHelpFrame(Canvas& c) {
  FramePanel(c.cr(), kPanelSideMargin, 2, c.width() - kPanelSideMargin, c.height() - 2, 16);
}

void DrawScreenTitle(Canvas& c, const std::string& title, double pictureLeft) {
  cairo_t* cr = c.cr();
  // Every title has the size at which the longest one fits, and ends at the
  // same place over the main-menu column.
  const double size = FitTextSize(cr, kLongestTitle, Face::Display, kTitleMaxSize, kTitleRight - kTitleLeftmost);
  const double right = kTitleRight - pictureLeft;
  const double width = TextWidth(cr, title, Face::Display, size);
  TextStyle t = CaptionStyle(true, size);
  t.align = Align::Right;
  t.outlineWidth = 3;
  t.glow = kTitleGlow;
  DrawText(cr, title, right, kTitleBaseline, t);
  // A rule with a bright middle under the title.
  const double ruleY = kTitleBaseline + 9;
  cairo_rectangle(cr, right - width, ruleY, width, 3);
  FillGradient(cr, right - width, 0, right, 0,
               {{0, WithAlpha(palette::kAmber, 0)}, {0.5, Hex(0xffcc66)}, {1, WithAlpha(palette::kAmber, 0)}});
}

// The dialog's question is printed by the game in its upper half and the
// YES and NO buttons sit in the lower half, so the frame itself carries no
// words: only a warning sign at the top.
void DrawQueryFrame(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  FramePanel(cr, 2, 2, w - 2, h - 2, 14);
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
  constexpr double kBorder = 14;
  FramePanel(cr, kPanelSideMargin, 2, c.width() - kPanelSideMargin, c.height() - 2, kBorder);
  // Row labels at the heights where the game puts each row's values, all at
  // the size at which the longest fits left of the values.
  struct Row { const char* label; double y; };
  const Row rows[] = {{"WINDOW MODE", 60}, {"MUSIC", 106}, {"SOUND", 150}, {"ADD TEXT", 232.5}, {"HIDE KEY", 322.5}};
  constexpr double kLabelLeft = kPanelSideMargin + kBorder + 4, kLabelWidth = 114;
  double size = 17;
  for (const Row& r : rows) size = std::min(size, FitTextSize(cr, r.label, Face::Display, 17, kLabelWidth));
  for (const Row& r : rows) {
    TextStyle t = CaptionStyle(false, size);
    t.fill = palette::kAmber;
    t.align = Align::Left;
    DrawText(cr, r.label, kLabelLeft, r.y + size * 0.36, t);
  }
  // Field boxes where the add text and the hide key are printed (centred on
  // x = 250); the selection underline runs along their lower edge.
  for (double y : {232.5, 322.5}) {
    RoundRectPath(cr, 150, y - 15, 200, 28, 6);
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
// 6-digit score in its fixed-pitch font, centred vertically 26.25 px lower
// per row, 12 px a character, starting at x = 175 of this picture.
void DrawScoreTable(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width();
  constexpr double kFirstRowY = 63.75, kRowStep = 26.25, kTop = 14, kBottom = 326;
  FramePanel(cr, kPanelSideMargin, kTop, w - kPanelSideMargin, kBottom, 12);
  const double stripeLeft = kPanelSideMargin + 16, stripeRight = w - kPanelSideMargin - 16;
  const Color medals[] = {Hex(0xf2c14e), Hex(0xc8ccd6), Hex(0xc8814a)};
  TextStyle rank;
  rank.size = 16;
  rank.fill = palette::kAmberDim;
  rank.align = Align::Right;
  for (int i = 1; i <= 10; ++i) {
    const double cy = kFirstRowY + kRowStep * (i - 1);
    if (i % 2 == 1) {
      cairo_rectangle(cr, stripeLeft, cy - kRowStep / 2, stripeRight - stripeLeft, kRowStep);
      SetColor(cr, Hex(0xffb02e, 0.07));
      cairo_fill(cr);
    }
    if (i <= 3) {
      EllipsePath(cr, 100, cy, 8, 8);
      FillOutlined(cr, medals[i - 1], 1.5);
    }
    DrawText(cr, std::to_string(i) + ".", 158, cy + rank.size * 0.36, rank);
  }
  // Header cells over the printed columns.
  constexpr double kHeaderY = 37;
  for (const ScoreColumn& col : {kScoreNameColumn, kScoreValueColumn}) {
    RoundRectPath(cr, col.left, kHeaderY - 11, col.right - col.left, 22, 5);
    SetColor(cr, Hex(0x000000, 0.4));
    cairo_fill(cr);
    // Right-aligned, as the names and scores under them are.
    TextStyle t = CaptionStyle(false, 15);
    t.fill = palette::kAmber;
    t.align = Align::Right;
    DrawText(cr, col.label, col.right - 6, kHeaderY + 15 * 0.36, t);
    cairo_rectangle(cr, col.left, kHeaderY + 11, col.right - col.left, 2);
    SetColor(cr, palette::kAmberDim);
    cairo_fill(cr);
  }
}

// An amber glow round the row with a bright rim and a play mark at its left
// end, before the medals: the row plays when chosen.
void DrawScoreRowHighlight(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundRectPath(cr, 1.5, 1.5, w - 3, h - 3, h * 0.3);
  FillGradient(cr, 0, 0, w, 0,
               {{0, Hex(0xffb02e, 0.10)}, {0.5, Hex(0xffb02e, 0.28)}, {1, Hex(0xffb02e, 0.10)}});
  RoundRectPath(cr, 1.5, 1.5, w - 3, h - 3, h * 0.3);
  SetColor(cr, WithAlpha(palette::kAmberLit, 0.85));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  const double cx = h * 0.55, cy = h / 2, r = h * 0.28;
  cairo_move_to(cr, cx - r * 0.7, cy - r);
  cairo_line_to(cr, cx + r, cy);
  cairo_line_to(cr, cx - r * 0.7, cy + r);
  cairo_close_path(cr);
  FillOutlined(cr, palette::kAmberLit, 1);
}

// "REPLAY" on a dark plate, with a red light before it as a recorder shows,
// and room on its right for the name the game prints there (from x = 160).
void DrawReplayCaption(Canvas& c) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  constexpr double kCaptionWidth = 150;
  RoundRectPath(cr, 2, 2, w - 4, h - 4, h * 0.25);
  FillVertical(cr, 2, h - 2, Hex(0x2a2620, 0.85), Hex(0x141210, 0.85), true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  cairo_rectangle(cr, kCaptionWidth, 8, 2, h - 16);
  SetColor(cr, WithAlpha(palette::kAmberDim, 0.6));
  cairo_fill(cr);
  const double dot = h * 0.16, dotX = h * 0.45;
  SoftBlob(cr, dotX, h / 2, dot * 2.2, dot * 2.2, Hex(0xff3020, 0.45));
  EllipsePath(cr, dotX, h / 2, dot, dot);
  FillOutlined(cr, Hex(0xff4030), 1);
  Caption(cr, "REPLAY", (dotX + dot + kCaptionWidth) / 2, h / 2, h * 0.62, kCaptionWidth - dotX - dot - 12, true);
}

// What the watcher's keys have done to the replay: a small lit plate.
void DrawReplayState(Canvas& c, const std::string& caption) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  RoundRectPath(cr, 2, 2, w - 4, h - 4, h * 0.25);
  FillVertical(cr, 2, h - 2, Hex(0x2a2620, 0.85), Hex(0x141210, 0.85), true);
  SetColor(cr, WithAlpha(palette::kAmberLit, 0.8));
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
  Caption(cr, caption, w / 2, h / 2, h * 0.6, w - 20, true);
}

}  // namespace assetgen
