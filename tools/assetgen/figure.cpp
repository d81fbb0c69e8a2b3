#include "figure.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace {

constexpr double kOutline = 2.0;        // pixels
constexpr double kUpperArm = 0.68;      // units
constexpr double kForearm = 0.68;
constexpr double kThighWidth = 0.44;
constexpr double kShinWidth = 0.38;
constexpr double kArmWidth = 0.3;
constexpr double kHeadRadius = 0.34;

Pt Add(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
Pt Lerp(Pt a, Pt b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// Two-bone reach: the elbow of an arm from shoulder to hand, bent downward.
Pt Elbow(Pt shoulder, Pt hand) {
  const double dx = hand.x - shoulder.x, dy = hand.y - shoulder.y;
  const double d = std::clamp(std::hypot(dx, dy), 0.05, kUpperArm + kForearm - 0.01);
  const double along = (kUpperArm * kUpperArm - kForearm * kForearm + d * d) / (2 * d);
  const double h = std::sqrt(std::max(0.0, kUpperArm * kUpperArm - along * along));
  const double ux = dx / d, uy = dy / d;
  Pt e1{shoulder.x + ux * along + uy * h, shoulder.y + uy * along - ux * h};
  Pt e2{shoulder.x + ux * along - uy * h, shoulder.y + uy * along + ux * h};
  return e1.y < e2.y ? e1 : e2;
}

void LimbU(cairo_t* cr, const Space& s, Pt a, Pt b, double widthUnits, Color c) {
  Limb(cr, s.X(a), s.Y(a), s.X(b), s.Y(b), s.L(widthUnits), c, kOutline);
}

void Boot(cairo_t* cr, const Space& s, Pt ankle, Color c) {
  const double x = s.X(ankle), y = s.Y(ankle);
  const double len = s.L(0.52), hgt = s.L(0.26);
  RoundRectPath(cr, x - s.L(0.16), y - hgt * 0.55, len, hgt, hgt * 0.4);
  FillOutlined(cr, c, kOutline);
  cairo_rectangle(cr, x - s.L(0.16), y + hgt * 0.25, len, s.L(0.06));
  SetColor(cr, Hex(0x0e0e10));
  cairo_fill(cr);
}

void Camo(cairo_t* cr, Color dark, uint64_t seed, double x0, double y0, double w, double h) {
  Rng rng(seed);
  SetColor(cr, WithAlpha(dark, 0.55));
  for (int i = 0; i < 10; ++i) {
    EllipsePath(cr, x0 + rng.Uniform(0, w), y0 + rng.Uniform(0, h), rng.Uniform(1.5, 4), rng.Uniform(1, 2.5));
  }
  cairo_fill(cr);
}

void DrawLeg(cairo_t* cr, const Space& s, const Outfit& o, Pt hip, Pt knee, Pt foot, bool near) {
  const Color pants = near ? o.pants : o.pantsDark;
  LimbU(cr, s, hip, knee, kThighWidth, pants);
  LimbU(cr, s, knee, foot, kShinWidth, pants);
  // Re-fill the knee so the joint has no outline seam.
  EllipsePath(cr, s.X(knee), s.Y(knee), s.L(kShinWidth) / 2, s.L(kShinWidth) / 2);
  SetColor(cr, pants);
  cairo_fill(cr);
  if (o.camo) Camo(cr, o.pantsDark, near ? 3 : 4, s.X(Lerp(hip, knee, 0.2)) - 5, s.Y(Lerp(hip, knee, 0.2)), 10, 14);
  Boot(cr, s, foot, o.boots);
}

void DrawGun(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  cairo_save(cr);
  cairo_translate(cr, s.X(p.gunButt), s.Y(p.gunButt));
  cairo_rotate(cr, -p.gunAngle);
  // Guns are drawn a little chunkier than life so they read at sprite size.
  constexpr double kGunThickness = 1.3;
  cairo_scale(cr, 1.0, kGunThickness);
  const double L = s.L(p.gunLength);
  const Color metal = Hex(0x2c2e34), wood = Hex(0x6a4022), light = Hex(0x6a7080);
  switch (o.weapon) {
    case Weapon::Launcher: {
      RoundRectPath(cr, -L * 0.1, -s.L(0.2), L * 1.05, s.L(0.4), 3);
      FillOutlined(cr, Hex(0x4a5a3a), kOutline);
      RoundRectPath(cr, L * 0.85, -s.L(0.3), L * 0.22, s.L(0.6), 2);
      FillOutlined(cr, Hex(0x3a3a30), kOutline);
      cairo_rectangle(cr, L * 0.3, s.L(0.18), s.L(0.14), s.L(0.3));
      FillOutlined(cr, metal, kOutline);
      cairo_rectangle(cr, L * 0.45, -s.L(0.36), s.L(0.3), s.L(0.16));
      FillOutlined(cr, metal, 1.5);
      break;
    }
    default: {
      const bool shortGun = o.weapon == Weapon::Smg;
      const double barrelEnd = L;
      // Stock.
      if (!shortGun) {
        PolygonPath(cr, {0, -s.L(0.1), L * 0.3, -s.L(0.12), L * 0.3, s.L(0.1), 0, s.L(0.2)});
        FillOutlined(cr, o.weapon == Weapon::Rifle ? metal : wood, kOutline);
      }
      // Receiver, grip and magazine.
      RoundRectPath(cr, L * 0.28, -s.L(0.14), L * 0.42, s.L(0.26), 2);
      FillOutlined(cr, metal, kOutline);
      PolygonPath(cr, {L * 0.36, s.L(0.1), L * 0.44, s.L(0.1), L * 0.4, s.L(0.38), L * 0.33, s.L(0.38)});
      FillOutlined(cr, metal, 1.5);
      if (o.weapon == Weapon::Tommy) {
        EllipsePath(cr, L * 0.55, s.L(0.26), s.L(0.22), s.L(0.22));
        FillOutlined(cr, metal, kOutline);
      } else {
        PolygonPath(cr, {L * 0.5, s.L(0.1), L * 0.6, s.L(0.1), L * 0.64, s.L(0.48), L * 0.55, s.L(0.5)});
        FillOutlined(cr, o.weapon == Weapon::Shotgun ? wood : Hex(0x3a3c44), 1.5);
      }
      // Fore-end and barrel.
      RoundRectPath(cr, L * 0.66, -s.L(0.09), L * 0.16, s.L(0.18), 2);
      FillOutlined(cr, o.weapon == Weapon::Rifle ? Hex(0x3a3e46) : wood, 1.5);
      cairo_rectangle(cr, L * 0.8, -s.L(0.05), barrelEnd - L * 0.8, s.L(0.09));
      FillOutlined(cr, metal, 1.5);
      cairo_rectangle(cr, barrelEnd - s.L(0.1), -s.L(0.14), s.L(0.05), s.L(0.09));
      SetColor(cr, metal);
      cairo_fill(cr);
      // Highlight along the top of the receiver.
      cairo_rectangle(cr, L * 0.3, -s.L(0.11), L * 0.38, 1.2);
      SetColor(cr, WithAlpha(light, 0.9));
      cairo_fill(cr);
      break;
    }
  }
  cairo_restore(cr);
}

void DrawHead(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  const double r = s.L(kHeadRadius);
  cairo_save(cr);
  cairo_translate(cr, s.X(p.head), s.Y(p.head));
  cairo_rotate(cr, -p.headTilt);
  // Neck.
  cairo_rectangle(cr, -r * 0.35, r * 0.5, r * 0.7, r * 0.7);
  FillOutlined(cr, o.headgear == Headgear::Balaclava || o.headgear == Headgear::GasMask ? o.hat : o.skin, kOutline);
  const bool masked = o.headgear == Headgear::Balaclava || o.headgear == Headgear::GasMask;
  EllipsePath(cr, 0, 0, r * 0.95, r);
  FillOutlined(cr, masked ? o.hat : o.skin, kOutline);
  // Nose and jaw facing right.
  PolygonPath(cr, {r * 0.85, -r * 0.05, r * 1.15, r * 0.2, r * 0.85, r * 0.3});
  FillOutlined(cr, masked ? o.hat : o.skin, 1.5);
  if (o.headgear == Headgear::Balaclava) {
    RoundRectPath(cr, r * 0.1, -r * 0.35, r * 0.85, r * 0.3, 2);
    SetColor(cr, o.skin);
    cairo_fill(cr);
  }
  // Eye.
  EllipsePath(cr, r * 0.56, -r * 0.06, r * 0.17, r * 0.2);
  SetColor(cr, Hex(0x101010));
  cairo_fill(cr);
  switch (o.headgear) {
    case Headgear::Helmet:
    case Headgear::DesertHelmet:
      // The rim stays above the eye so the face reads under the helmet.
      cairo_new_path(cr);
      cairo_arc(cr, 0, -r * 0.3, r * 1.08, M_PI, 2 * M_PI);
      cairo_line_to(cr, r * 1.2, -r * 0.3);
      cairo_line_to(cr, -r * 1.15, -r * 0.1);
      cairo_close_path(cr);
      FillOutlined(cr, o.hat, kOutline);
      cairo_rectangle(cr, -r * 0.9, -r * 0.62, r * 1.7, r * 0.14);
      SetColor(cr, Mix(o.hat, Hex(0x000000), 0.3));
      cairo_fill(cr);
      Limb(cr, -r * 0.2, -r * 0.25, -r * 0.05, r * 0.85, 1.2, Hex(0x2a2a20), 0);
      break;
    case Headgear::Cap:
      cairo_new_path(cr);
      cairo_arc(cr, 0, -r * 0.15, r * 0.98, M_PI, 2 * M_PI);
      cairo_close_path(cr);
      FillOutlined(cr, o.hat, kOutline);
      PolygonPath(cr, {r * 0.6, -r * 0.3, r * 1.55, -r * 0.2, r * 1.5, -r * 0.05, r * 0.6, -r * 0.1});
      FillOutlined(cr, o.hat, 1.5);
      break;
    case Headgear::Fedora:
      cairo_new_path(cr);
      PolygonPath(cr, {-r * 0.75, -r * 0.3, -r * 0.6, -r * 1.2, r * 0.65, -r * 1.2, r * 0.8, -r * 0.3});
      FillOutlined(cr, o.hat, kOutline);
      RoundRectPath(cr, -r * 1.35, -r * 0.45, r * 2.8, r * 0.22, 2);
      FillOutlined(cr, o.hat, 1.5);
      cairo_rectangle(cr, -r * 0.7, -r * 0.6, r * 1.45, r * 0.16);
      SetColor(cr, o.accent);
      cairo_fill(cr);
      break;
    case Headgear::GasMask:
      EllipsePath(cr, r * 0.55, -r * 0.2, r * 0.26, r * 0.24);
      FillOutlined(cr, Hex(0x80c0c0), 1.5);
      EllipsePath(cr, r * 0.95, r * 0.45, r * 0.35, r * 0.38);
      FillOutlined(cr, Hex(0x3a3a3a), kOutline);
      EllipsePath(cr, r * 1.05, r * 0.5, r * 0.18, r * 0.2);
      FillOutlined(cr, Hex(0x6a6a6a), 1);
      break;
    case Headgear::Beret:
      EllipsePath(cr, -r * 0.1, -r * 0.75, r * 1.05, r * 0.42);
      FillOutlined(cr, o.hat, kOutline);
      break;
    case Headgear::Bald:
      // Heavy brow and beard.
      cairo_new_path(cr);
      cairo_arc(cr, r * 0.3, r * 0.25, r * 0.75, 0, M_PI * 0.9);
      cairo_close_path(cr);
      FillOutlined(cr, Hex(0x3a2418), 1.5);
      break;
    case Headgear::Balaclava:
      break;
  }
  cairo_restore(cr);
}

}  // namespace

void DrawFigureLegs(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  DrawLeg(cr, s, o, Add(p.hip, {-0.08, 0}), p.kneeFar, p.footFar, false);
  DrawLeg(cr, s, o, Add(p.hip, {0.06, 0}), p.kneeNear, p.footNear, true);
}

void DrawFigureTorso(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  const double shoulderHalf = 0.4 * o.bulk, waistHalf = 0.33 * o.bulk;
  const Pt top = p.neck, bottom = p.hip;
  // Widths run across the spine, so a falling or lying torso keeps its shape.
  const double len = std::max(0.01, std::hypot(top.x - bottom.x, top.y - bottom.y));
  const Pt across{(top.y - bottom.y) / len, -(top.x - bottom.x) / len};  // points to the figure's front
  const Pt down{(bottom.x - top.x) / len, (bottom.y - top.y) / len};
  auto at = [&](Pt base, double side, double along) {
    return Pt{base.x + across.x * side + down.x * along, base.y + across.y * side + down.y * along};
  };
  auto quad = [&](Pt a, Pt b, Pt c, Pt d) {
    PolygonPath(cr, {s.X(a), s.Y(a), s.X(b), s.Y(b), s.X(c), s.Y(c), s.X(d), s.Y(d)});
  };
  if (o.coat) {
    // Coat skirt down to the knees.
    const Pt knee = Lerp(p.kneeNear, p.kneeFar, 0.5);
    quad(at(bottom, -waistHalf, 0), at(bottom, waistHalf, 0), at(knee, 0.55, 0.15), at(knee, -0.6, 0.15));
    FillOutlined(cr, o.topDark, kOutline);
  }
  quad(at(top, -shoulderHalf, 0), at(top, shoulderHalf, 0), at(bottom, waistHalf, 0.1), at(bottom, -waistHalf, 0.1));
  FillVertical(cr, s.Y(top), s.Y(bottom) + 0.01, o.top, o.topDark, true);
  SetColor(cr, palette::kOutline);
  cairo_set_line_width(cr, kOutline);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  if (o.camo) {
    const Pt mid = Lerp(top, bottom, 0.5);
    Camo(cr, o.topDark, 7, s.X(mid) - s.L(0.4), s.Y(mid) - s.L(0.4), s.L(0.8), s.L(0.8));
  }
  if (o.vest) {
    quad(at(top, -shoulderHalf * 0.8, 0.2), at(top, shoulderHalf * 0.9, 0.2), at(bottom, waistHalf * 0.95, -0.15),
         at(bottom, -waistHalf * 0.9, -0.15));
    FillOutlined(cr, o.accent, 1.5);
    for (double k : {0.45, 0.7}) {
      const Pt c = at(Lerp(top, bottom, k), 0.15, 0);
      EllipsePath(cr, s.X(c), s.Y(c), s.L(0.14), s.L(0.11));
      FillOutlined(cr, Mix(o.accent, Hex(0x000000), 0.25), 1.2);
    }
  }
  // Belt.
  quad(at(bottom, -waistHalf, -0.02), at(bottom, waistHalf, -0.02), at(bottom, waistHalf, 0.12), at(bottom, -waistHalf, 0.12));
  FillOutlined(cr, Hex(0x2a2218), 1.2);
  DrawHead(cr, s, o, p);
}

void DrawFigureArms(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  const Pt farShoulder = Add(p.shoulder, {-0.16, 0.03});
  const Pt farElbow = Elbow(farShoulder, p.handFar);
  LimbU(cr, s, farShoulder, farElbow, kArmWidth, o.topDark);
  LimbU(cr, s, farElbow, p.handFar, kArmWidth * 0.9, o.topDark);
  EllipsePath(cr, s.X(p.handFar), s.Y(p.handFar), s.L(0.13), s.L(0.13));
  FillOutlined(cr, Mix(o.skin, Hex(0x000000), 0.2), 1.5);
  if (p.showGun) DrawGun(cr, s, o, p);
  const Pt elbow = Elbow(p.shoulder, p.handNear);
  LimbU(cr, s, p.shoulder, elbow, kArmWidth * 1.05, o.top);
  LimbU(cr, s, elbow, p.handNear, kArmWidth * 0.95, o.top);
  EllipsePath(cr, s.X(p.shoulder), s.Y(p.shoulder), s.L(0.17), s.L(0.17));
  SetColor(cr, o.top);
  cairo_fill(cr);
  EllipsePath(cr, s.X(p.handNear), s.Y(p.handNear), s.L(0.14), s.L(0.14));
  FillOutlined(cr, o.skin, 1.5);
}

void DrawFigureGun(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) { DrawGun(cr, s, o, p); }

void DrawFigure(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p) {
  DrawFigureLegs(cr, s, o, p);
  DrawFigureTorso(cr, s, o, p);
  DrawFigureArms(cr, s, o, p);
}

void SetLegs(Pose& p, int legFrame) {
  struct Legs { Pt kn, fn, kf, ff; };
  static constexpr Legs kFrames[7] = {
      {{0.08, -0.95}, {0.05, -1.78}, {-0.12, -0.95}, {-0.18, -1.78}},  // standing
      {{0.38, -0.85}, {0.6, -1.76}, {-0.22, -0.95}, {-0.6, -1.66}},    // near leg forward
      {{0.12, -0.95}, {0.0, -1.78}, {0.28, -0.78}, {-0.05, -1.42}},    // passing, far leg lifted
      {{-0.22, -0.95}, {-0.6, -1.66}, {0.38, -0.85}, {0.6, -1.76}},    // far leg forward
      {{0.28, -0.78}, {-0.05, -1.42}, {0.12, -0.95}, {0.0, -1.78}},    // passing, near leg lifted
      {{0.55, -0.55}, {0.3, -1.3}, {0.35, -0.68}, {0.02, -1.38}},      // rising: knees tucked
      {{0.32, -0.9}, {0.38, -1.74}, {-0.25, -0.86}, {-0.42, -1.68}},   // falling: legs apart
  };
  const Legs& l = kFrames[std::clamp(legFrame, 0, 6)];
  p.kneeNear = l.kn;
  p.footNear = l.fn;
  p.kneeFar = l.kf;
  p.footFar = l.ff;
}

void SetAim(Pose& p, int aim) {
  struct Aim { double angleDeg; Pt muzzle; double headTilt; };
  // Muzzles sit just behind where the game launches each aim's shots.
  static constexpr Aim kAims[5] = {
      {0, {1.95, 0.36}, 0}, {45, {1.78, 1.95}, 0.25}, {90, {0.42, 2.62}, 0.45},
      {-45, {1.12, -1.18}, -0.2}, {-90, {0.38, -1.85}, -0.35},
  };
  const Aim& a = kAims[std::clamp(aim, 1, 5) - 1];
  p.gunAngle = a.angleDeg * M_PI / 180;
  const double c = std::cos(p.gunAngle), s = std::sin(p.gunAngle);
  p.gunButt = {a.muzzle.x - c * p.gunLength, a.muzzle.y - s * p.gunLength};
  p.handFar = {p.gunButt.x + c * p.gunLength * 0.3 + s * 0.12, p.gunButt.y + s * p.gunLength * 0.3 - c * 0.12};
  p.handNear = {p.gunButt.x + c * p.gunLength * 0.62 - s * 0.02, p.gunButt.y + s * p.gunLength * 0.62 + c * 0.02};
  p.headTilt = a.headTilt;
}

Pose Rotated(const Pose& p, Pt pivot, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  auto r = [&](Pt q) {
    const double dx = q.x - pivot.x, dy = q.y - pivot.y;
    return Pt{pivot.x + dx * c - dy * s, pivot.y + dx * s + dy * c};
  };
  Pose out = p;
  for (Pt* q : {&out.hip, &out.neck, &out.head, &out.kneeNear, &out.footNear, &out.kneeFar, &out.footFar,
                &out.shoulder, &out.handNear, &out.handFar, &out.gunButt}) {
    *q = r(*q);
  }
  out.headTilt += angle;
  out.gunAngle += angle;
  return out;
}

}  // namespace assetgen
