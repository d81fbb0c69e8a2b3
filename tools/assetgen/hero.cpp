// The hero, split into the game's separate pictures (body, arms and gun,
// legs, shadows, lying, crawling, crouch, death). Every part is drawn from
// one figure in engine units and placed in its picture where the game puts
// that sprite relative to the hero's box centre, so the parts join up.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "figure.h"
#include "paint.h"

namespace assetgen {
namespace {

Outfit HeroOutfit() {
  Outfit o;
  o.top = palette::kFatigue;
  o.topDark = palette::kFatigueDark;
  o.pants = Hex(0x56733a);
  o.pantsDark = Hex(0x3a5026);
  o.boots = Hex(0x2a2018);
  o.skin = palette::kSkin;
  o.hat = Hex(0x4a6030);
  o.accent = Hex(0x5a6634);
  o.headgear = Headgear::Helmet;
  o.weapon = Weapon::Rifle;
  o.vest = true;
  o.camo = true;
  return o;
}

// Where unit (0, 0), the hero's box centre, lands in each picture.
constexpr Space kBodySpace{30, 30 + 1.1 * 25};     // body sprite centred at (X, Y + 1.1)
constexpr Space kArmsSpace{50 - 0.48 * 25, 75 + 0.5 * 25};  // arms at (X + 0.48, Y + 0.5)
constexpr Space kLegsSpace{60 + 0.1 * 25, 35 - 25};  // legs at (X - 0.1, Y - 1)

Pose AimedPose(int aim) {
  Pose p;
  SetAim(p, aim);
  // Leaning a little into the aim makes the poses read at a glance.
  const double lean = (aim == 2 || aim == 3) ? -0.06 : (aim == 4 || aim == 5) ? 0.08 : 0.0;
  p.neck.x += lean;
  p.head.x += lean * 1.5;
  return p;
}

}  // namespace

// The body sprite is drawn over the arms sprite, so it repeats the arms and
// gun where they cross the torso; both pictures put identical pixels there.
void DrawHeroBody(Canvas& c, int aim) {
  const Pose p = AimedPose(aim);
  DrawFigureTorso(c.cr(), kBodySpace, HeroOutfit(), p);
  DrawFigureArms(c.cr(), kBodySpace, HeroOutfit(), p);
}

void DrawHeroArms(Canvas& c, int aim) {
  DrawFigureArms(c.cr(), kArmsSpace, HeroOutfit(), AimedPose(aim));
}

void DrawHeroLegs(Canvas& c, int frame) {
  Pose p;
  SetLegs(p, frame - 1);
  DrawFigureLegs(c.cr(), kLegsSpace, HeroOutfit(), p);
}

namespace {
constexpr Color kShadow = Hex(0x000000, 0.5);
}  // namespace

// The body's shadow falls on the ground under the hero, stretched toward the
// gun for the forward aims.
void DrawHeroBodyShadow(Canvas& c, int aim) {
  cairo_t* cr = c.cr();
  const double heroX = 40 + 0.3 * 25, groundY = 40 + 1.15 * 25;
  SoftBlob(cr, heroX, groundY, 20, 6, kShadow);
  const double reach[5] = {30, 26, 6, 18, 8};
  const double r = reach[std::clamp(aim, 1, 5) - 1];
  SoftBlob(cr, heroX + r * 0.55, groundY - 0.5, r * 0.6 + 4, 3.5, WithAlpha(kShadow, 0.45));
}

void DrawHeroLegsShadow(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  Pose p;
  SetLegs(p, frame - 1);
  const double heroX = 60 + 0.2 * 25, groundY = 35 + 0.9 * 25;
  const double left = std::min(p.footNear.x, p.footFar.x) * 25, right = std::max(p.footNear.x, p.footFar.x) * 25;
  const bool airborne = frame >= 6;
  SoftBlob(cr, heroX + (left + right) / 2 + 4, groundY, (right - left) / 2 + 18, airborne ? 4 : 6,
           WithAlpha(kShadow, airborne ? 0.3 : 0.5));
}

void DrawHeroLying(Canvas& c, bool crawling) {
  cairo_t* cr = c.cr();
  const Space s{100, 50};  // lying sprite centred on the hero's box
  SoftBlob(cr, 95, 62, 85, 6, kShadow);
  Pose p;
  p.hip = {-0.9, -0.02};
  p.neck = {0.55, 0.02};
  p.head = {1.02, 0.14};
  p.headTilt = 0.15;
  p.shoulder = {0.42, 0.05};
  if (crawling) {
    // One knee drawn up beside the body, as in a crawl stroke.
    p.kneeNear = {-1.2, 0.3};
    p.footNear = {-2.1, -0.2};
    p.kneeFar = {-1.85, -0.2};
    p.footFar = {-2.75, -0.22};
  } else {
    p.kneeNear = {-1.85, -0.18};
    p.footNear = {-2.75, -0.22};
    p.kneeFar = {-1.8, -0.1};
    p.footFar = {-2.7, -0.12};
  }
  p.gunLength = 2.5;
  p.gunAngle = 0;
  p.gunButt = {crawling ? 0.25 : 0.45, 0.1};
  p.handFar = {p.gunButt.x + p.gunLength * 0.36, 0.0};
  p.handNear = {p.gunButt.x + p.gunLength * 0.7, 0.02};
  const Outfit o = HeroOutfit();
  DrawFigureLegs(cr, s, o, p);
  DrawFigureTorso(cr, s, o, p);
  DrawFigureArms(cr, s, o, p);
}

void DrawHeroCrouch(Canvas& c) {
  cairo_t* cr = c.cr();
  const Space s{50, 25};  // crouch sprite at (X, Y - 1)
  SoftBlob(cr, 52, 73, 32, 5, kShadow);
  Pose p;
  p.hip = {-0.15, -0.85};
  p.kneeNear = {0.5, -0.85};
  p.footNear = {0.38, -1.78};
  p.kneeFar = {0.22, -1.3};
  p.footFar = {-0.45, -1.74};
  p.neck = {0.22, 0.18};
  p.head = {0.36, 0.58};
  p.shoulder = {0.25, 0.02};
  p.gunLength = 2.0;
  p.gunAngle = 0.05;
  p.gunButt = {-0.15, -0.42};
  p.handFar = {p.gunButt.x + 0.75, p.gunButt.y - 0.05};
  p.handNear = {p.gunButt.x + 1.42, p.gunButt.y + 0.02};
  DrawFigure(cr, s, HeroOutfit(), p);
}

// Shot, thrown back, hitting the ground, lying still.
void DrawHeroDeath(Canvas& c, int frame) {
  cairo_t* cr = c.cr();
  const double heroX = 92.5 + 25, groundY = 69 + 1.9 * 25;  // dying sprite at (X - 1, Y)
  const double angle[4] = {0.3, 0.85, 1.4, 1.57};
  const double slide[4] = {0.0, 0.35, 0.8, 1.05};
  const int f = std::clamp(frame, 1, 4) - 1;
  Pose p;
  SetLegs(p, f == 0 ? 0 : 6);
  p.handNear = {0.55, 1.55};
  p.handFar = {-0.2, 1.75};
  p.headTilt = 0.5;
  p.showGun = false;
  const Pt pivot{0, -1.78};
  Pose fallen = Rotated(p, pivot, angle[f]);
  const Space s{heroX + slide[f] * 25, 69};
  SoftBlob(cr, heroX - 20 + slide[f] * 12, groundY, 40 + 20 * f, 6, kShadow);
  if (f == 3) SoftBlob(cr, heroX - 30, groundY - 2, 28, 5, Hex(0x6a0a0a, 0.7));
  // The rifle flies from his hands and lands beside him.
  const Outfit o = HeroOutfit();
  Pose gun;
  gun.gunLength = 2.0;
  gun.gunAngle = f == 0 ? 0.9 : f == 1 ? 2.2 : 3.14;
  gun.gunButt = f == 0 ? Pt{0.6, 0.9} : f == 1 ? Pt{1.6, 1.0} : Pt{2.4, -1.72};
  gun.showGun = true;
  DrawFigure(cr, s, o, fallen);
  DrawFigureGun(cr, Space{heroX, 69}, o, gun);
}

}  // namespace assetgen
