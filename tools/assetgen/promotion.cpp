// The screen shown when the player quits: its picture, buttons, the config
// file that lays them out, the page and shortcuts its buttons open.
#include <string>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

struct Rect { int x, y, w, h; };
constexpr Rect kAboutButton{250, 318, kPromoButtonWidth, kPromoButtonHeight};
constexpr Rect kMoreButton{250, 398, kPromoButtonWidth, kPromoButtonHeight};
constexpr Rect kExitButton{290, 490, kPromoExitWidth, kPromoExitHeight};
// The digits print with their vertical centre 0.2 units above the given
// row, so this row centres them on the exit button, just right of it.
constexpr int kCountdownX = 528, kCountdownY = 527;
constexpr int kCountdownStart = 5;
constexpr int kCountdownRgb[3] = {255, 176, 46};
constexpr int kCountdownSize = 16;  // digits about 48 px tall

std::string Line(const Rect& r) {
  return std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.w) + " " + std::to_string(r.h) + "\n";
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace

void DrawPromotionScreen(Canvas& c) {
  PaintDuskScene(c);
  cairo_t* cr = c.cr();
  // Darken behind the buttons so they stand out from the skyline.
  RoundRectPath(cr, 200, 130, 400, 450, 18);
  SetColor(cr, Hex(0x0c0d14, 0.55));
  cairo_fill(cr);
  TextStyle title;
  title.size = 50;
  title.align = Align::Centre;
  title.outlineWidth = 3;
  title.glow = 10;
  DrawText(cr, "THANKS FOR PLAYING", 400, 100, title);
  title.size = 96;
  title.fill = palette::kAmberLit;
  DrawText(cr, "VARNOK", 400, 250, title);
  TextStyle note;
  note.face = Face::Sans;
  note.size = 15;
  note.fill = Hex(0xd8d0c0);
  note.align = Align::Centre;
  DrawText(cr, "The city is quiet again - for now.", 400, 292, note);
}

void DrawPromotionButton(Canvas& c, const std::string& caption, int state) {
  DrawMenuButton(c, caption, state == 1);
  if (state == 2) {
    // Disabled: washed out until the countdown ends.
    cairo_t* cr = c.cr();
    cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);
    SetColor(cr, Hex(0x50525a, 0.7));
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  }
}

Bytes MakePromotionConfig() {
  std::string s;
  s += "3\n";
  s += "wdata\\share.jpg\n";
  s += Line(kAboutButton) + Line(kAboutButton);
  s += "wdata\\about_normal.png\nwdata\\about_hover.png\nwdata\\about.html\n";
  s += Line(kMoreButton) + Line(kMoreButton);
  s += "wdata\\more_normal.png\nwdata\\more_hover.png\nmoregames.url\n";
  s += Line(kExitButton) + Line(kExitButton) + Line(kExitButton);
  s += "wdata\\exit_normal.png\nwdata\\exit_hover.png\nwdata\\exit_disabled.png\n";
  s += std::to_string(kCountdownX) + " " + std::to_string(kCountdownY) + "\n";
  s += std::to_string(kCountdownStart) + "\n";
  s += std::to_string(kCountdownRgb[0]) + " " + std::to_string(kCountdownRgb[1]) + " " +
       std::to_string(kCountdownRgb[2]) + "\n";
  s += "TRUE\n";
  s += std::to_string(kCountdownSize) + "\n";
  return Text(s);
}

Bytes MakeAboutPage() {
  return Text(R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Varnok</title>
<style>
body { background: #1d2230; color: #e8e0d0; font-family: sans-serif; max-width: 44em; margin: 2em auto; line-height: 1.5; }
h1, h2 { color: #ffb02e; }
kbd { background: #3a3f4b; border-radius: 3px; padding: 0 .4em; }
td { padding: .15em 1em .15em 0; vertical-align: top; }
</style>
</head>
<body>
<h1>Varnok</h1>
<p>A side-scrolling action game. Fight your way from left to right through a city at dusk and,
every third level, along the roofs of a moving train. Terrorists of seven kinds hold the streets;
shoot them, collect what they drop and keep your squad's lives for the last level.</p>
<h2>Controls</h2>
<table>
<tr><td><kbd>Left</kbd> <kbd>Right</kbd></td><td>walk; while lying down, crawl</td></tr>
<tr><td><kbd>Up</kbd></td><td>jump (hold it a moment)</td></tr>
<tr><td><kbd>Down</kbd></td><td>lie down; release to stand up</td></tr>
<tr><td><kbd>Z</kbd> + <kbd>Up</kbd>/<kbd>Down</kbd></td><td>aim up or down while standing still</td></tr>
<tr><td><kbd>Ctrl</kbd></td><td>fire the current weapon</td></tr>
<tr><td><kbd>Numpad 0</kbd></td><td>hold to charge a grenade, release to throw it</td></tr>
<tr><td><kbd>Pause</kbd></td><td>pause the game</td></tr>
<tr><td><kbd>Esc</kbd></td><td>leave the game or the current screen</td></tr>
<tr><td><kbd>Alt</kbd>+<kbd>Enter</kbd></td><td>switch between window and full screen</td></tr>
<tr><td>hide key</td><td>hide the game at once (chosen in OPTIONS)</td></tr>
</table>
<h2>Weapons</h2>
<p>A machine gun, B shotgun, C laser, D flamethrower, E plasma gun. Shoot a floating weapon crate
to drop it, then walk over it to take the weapon.</p>
<h2>Scoring</h2>
<p>Every terrorist releases a 100 token when he falls: shoot it down and collect it for 100 points.
Every pick-up you collect is worth 50 points. The ten best scores are kept in the HIGH SCORES table.</p>
<h2>About this copy</h2>
<p>All pictures, sounds and music of this game are generated by the game's own build tools.</p>
</body>
</html>
)");
}

Bytes MakeInternetShortcut(const std::string& url) {
  return Text("[InternetShortcut]\r\nURL=" + url + "\r\n");
}

}  // namespace assetgen
