// The eight help pages: real instructions for this game, laid out as a
// heading and lines in which [Key] tokens are drawn as key caps and {Button}
// tokens as a game pad's buttons ({+} is the D-pad or left stick).
#include <algorithm>
#include <string>
#include <vector>

#include "art.h"
#include "canvas.h"
#include "paint.h"

namespace assetgen {
namespace {

struct Page {
  const char* title;
  std::vector<std::string> lines;
};

const Page kPages[kHelpPages] = {
    {"THE STORY",
     {"Seven gangs of terrorists have taken the city.",
      "The police are gone; the army is days away.",
      "You are alone, armed, and the streets are long.",
      "",
      "Fight from left to right through the city at dusk.",
      "Every third level the gangs flee by train: follow",
      "them over the wagon roofs - and mind the gaps!",
      "Lose your last life and the city is theirs."}},
    {"MOVING",
     {"[Left] [Right] {+}  walk left or right",
      "[Up] {A}  jump - hold it a moment, then he leaps",
      "[Down] {+}  lie flat; let go to stand up again",
      "[Down] + [Left] [Right]  crawl while lying",
      "",
      "Jump onto crates, cars and trucks and walk",
      "over them. Crawl under low steel beams.",
      "Lying down also ducks most enemy shots."}},
    {"FIRE AND AIM",
     {"[Ctrl] {X}  fire the weapon in your hands",
      "[Up] or [Down] while walking: aim diagonally",
      "[Z] {Y} {RB}  hold to aim without a step:",
      "  + [Up]  straight up,  + [Down]  straight down,",
      "  + [Up] / [Down] + [Left] / [Right]  diagonally",
      "",
      "Five aims reach the roofs, the street and the",
      "foes below you on the train."}},
    {"GRENADES",
     {"[Num 0] or [X] {B}  hold to charge a grenade:",
      "  the GRENADE gauge at the top fills up",
      "let go  to throw it",
      "  ([X] is for keyboards without a number pad)",
      "",
      "The longer you charge, the bigger the blast",
      "and the farther it flies: full charge throws",
      "a blazing grenade that clears a whole group.",
      "You may carry up to five grenades in the air."}},
    {"THE FIVE WEAPONS",
     {"A  MACHINE GUN - fast single shots",
      "B  SHOTGUN - three pellets in a fan",
      "C  LASER - a bolt that cuts straight through",
      "D  FLAMETHROWER - hold [Ctrl] for a stream of fire",
      "E  PLASMA GUN - heavy glowing bolts",
      "",
      "The letter of your weapon shows at the top.",
      "A new life starts with the machine gun."}},
    {"PICK-UPS",
     {"Supply drones fly in carrying cases.",
      "Shoot a drone: its case drops to the street.",
      "Walk over the case to take it.",
      "",
      "+  ENERGY - one more bar of energy (five at most)",
      "SHIELD  ARMOUR - a blue shield soaks up hits",
      "A-E  WEAPON - changes your gun",
      "Every pick-up you take is worth 50 points."}},
    {"ENEMIES AND SCORE",
     {"Seven kinds of terrorists patrol the levels:",
      "thugs in red caps, masked raiders, militia in",
      "helmets, gangsters in long coats, heavies and",
      "gas-mask troopers with launchers, and commandos.",
      "",
      "A fallen terrorist leaves a 100 token floating up.",
      "Shoot it down and collect the gold coin: +100.",
      "The ten best scores enter the HIGH SCORES table."}},
    {"MENUS AND HOT KEYS",
     {"[Pause] {Start}  pause and resume the game",
      "[Esc] {Back}  leave the game or the current screen",
      "[Alt] + [Enter]  window or full screen",
      "hide key  hides the game at once; choose it",
      "  under OPTIONS - HIDE KEY",
      "In menus a pad's {A} is [Enter] and {B} is [Esc].",
      "OPTIONS also switches music and menu sounds",
      "and sets the ADD TEXT saved with your scores."}},
};

constexpr double kMargin = 14;
constexpr double kTitleSize = 26;
constexpr double kBodySize = 13.5;
constexpr double kLineGap = 26;

// A key cap with its name; returns its width.
double DrawKeyCap(cairo_t* cr, const std::string& key, double x, double baseline) {
  const double keyW = TextWidth(cr, key, Face::SansBold, kBodySize - 2) + 12;
  RoundRectPath(cr, x, baseline - kBodySize - 1, keyW, kBodySize + 7, 4);
  FillVertical(cr, baseline - kBodySize - 1, baseline + 6, Hex(0x5a5e6a), Hex(0x2e3038), true);
  SetColor(cr, palette::kAmberDim);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  TextStyle k;
  k.face = Face::SansBold;
  k.size = kBodySize - 2;
  k.fill = palette::kAmberLit;
  DrawText(cr, key, x + 6, baseline, k);
  return keyW;
}

// A game pad's button: the four face buttons as round caps in their usual
// colours, the others as dark pills, "+" as the D-pad. Returns its width.
double DrawPadButton(cairo_t* cr, const std::string& button, double x, double baseline) {
  const double cy = baseline - kBodySize * 0.35, r = kBodySize * 0.62;
  if (button == "+") {
    const double arm = r * 0.42;
    PolygonPath(cr, {x + r - arm, cy - r, x + r + arm, cy - r, x + r + arm, cy - arm, x + 2 * r, cy - arm,
                     x + 2 * r, cy + arm, x + r + arm, cy + arm, x + r + arm, cy + r, x + r - arm, cy + r,
                     x + r - arm, cy + arm, x, cy + arm, x, cy - arm, x + r - arm, cy - arm});
    FillOutlined(cr, Hex(0x3a3d46), 1.2, palette::kAmberDim);
    return 2 * r;
  }
  const struct {
    const char* name;
    Color fill;
  } kFaces[] = {{"A", Hex(0x3f9a3a)}, {"B", Hex(0xc0392b)}, {"X", Hex(0x2e6fbf)}, {"Y", Hex(0xd9a520)}};
  TextStyle label;
  label.face = Face::SansBold;
  label.size = kBodySize - 3;
  label.fill = Hex(0xffffff);
  label.align = Align::Centre;
  for (const auto& face : kFaces) {
    if (button != face.name) continue;
    EllipsePath(cr, x + r, cy, r, r);
    FillOutlined(cr, face.fill, 1.2);
    DrawText(cr, button, x + r, cy + label.size * 0.36, label);
    return 2 * r;
  }
  const double w = TextWidth(cr, button, Face::SansBold, label.size) + 10;
  RoundRectPath(cr, x, cy - r * 0.8, w, r * 1.6, r * 0.8);
  FillOutlined(cr, Hex(0x3a3d46), 1.2, palette::kAmberDim);
  DrawText(cr, button, x + w / 2, cy + label.size * 0.36, label);
  return w;
}

// Draws a line, turning each [Key] into a key cap and each {Button} into a
// pad button; clips at the right margin.
void DrawHelpLine(cairo_t* cr, const std::string& line, double x, double baseline, double maxX) {
  TextStyle body;
  body.face = Face::Sans;
  body.size = kBodySize;
  body.fill = Hex(0xe8e2d6);
  size_t pos = 0;
  while (pos < line.size() && x < maxX) {
    const size_t open = line.find_first_of("[{", pos);
    const std::string plain = line.substr(pos, open == std::string::npos ? std::string::npos : open - pos);
    if (!plain.empty()) {
      DrawText(cr, plain, x, baseline, body);
      x += TextWidth(cr, plain, Face::Sans, kBodySize);
    }
    if (open == std::string::npos) break;
    const bool key = line[open] == '[';
    const size_t close = line.find(key ? ']' : '}', open);
    if (close == std::string::npos) break;
    const std::string name = line.substr(open + 1, close - open - 1);
    x += (key ? DrawKeyCap(cr, name, x, baseline) : DrawPadButton(cr, name, x, baseline)) + 2;
    pos = close + 1;
  }
}

}  // namespace

void DrawHelpPage(Canvas& c, int page) {
  cairo_t* cr = c.cr();
  const double w = c.width(), h = c.height();
  const Page& p = kPages[std::clamp(page, 1, kHelpPages) - 1];
  RoundRectPath(cr, 1, 1, w - 2, h - 2, 10);
  SetColor(cr, Hex(0x0e1016, 0.82));
  cairo_fill(cr);
  TextStyle title;
  title.size = kTitleSize;
  title.fill = palette::kAmber;
  title.outlineWidth = 1.5;
  DrawText(cr, p.title, kMargin, kMargin + kTitleSize * 0.8, title);
  TextStyle pageNo;
  pageNo.face = Face::Sans;
  pageNo.size = 11;
  pageNo.fill = palette::kAmberDim;
  pageNo.align = Align::Right;
  DrawText(cr, std::to_string(page) + " / " + std::to_string(kHelpPages), w - kMargin, kMargin + 14, pageNo);
  cairo_rectangle(cr, kMargin, kMargin + kTitleSize + 2, w - 2 * kMargin, 2);
  SetColor(cr, WithAlpha(palette::kAmberDim, 0.9));
  cairo_fill(cr);
  double y = kMargin + kTitleSize + 26;
  for (const std::string& line : p.lines) {
    if (!line.empty()) DrawHelpLine(cr, line, kMargin, y, w - kMargin);
    y += line.empty() ? kLineGap * 0.5 : kLineGap;
  }
}

}  // namespace assetgen
