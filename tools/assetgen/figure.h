// A soldier figure built from a few joints, drawn with outlined limbs: the
// hero's pictures and every terrorist come from it. Joints are in engine
// units (25 px each) with y up, relative to the figure's box centre, for a
// figure facing right.
#pragma once

#include <cairo.h>

#include "paint.h"

namespace assetgen {

struct Pt {
  double x = 0, y = 0;
};

enum class Headgear { Helmet, Cap, Balaclava, DesertHelmet, Fedora, Bald, GasMask, Beret };
enum class Weapon { Rifle, Smg, Tommy, Launcher, Shotgun };

struct Outfit {
  Color top, topDark;        // shirt or jacket
  Color pants, pantsDark;
  Color boots;
  Color skin;
  Color hat;                 // headgear colour
  Color accent;              // vest, scarf or band
  Headgear headgear = Headgear::Helmet;
  Weapon weapon = Weapon::Rifle;
  bool vest = false;         // webbing or body armour over the top
  bool coat = false;         // long coat down to the knees
  bool camo = false;         // mottled pattern on the fatigues
  double bulk = 1.0;         // torso width factor
};

struct Pose {
  Pt hip{0, 0}, neck{0.02, 1.1}, head{0.08, 1.52};
  double headTilt = 0;       // radians, positive looks up
  Pt kneeNear{0.08, -0.95}, footNear{0.05, -1.78};
  Pt kneeFar{-0.12, -0.95}, footFar{-0.18, -1.78};
  Pt shoulder{0.05, 0.92};
  Pt handNear{0.9, 0.4}, handFar{0.55, 0.42};
  Pt gunButt{-0.15, 0.4};
  double gunAngle = 0;       // radians, 0 ahead, positive up
  double gunLength = 1.8;
  bool showGun = true;
};

// Maps figure units to canvas pixels: `origin` is where unit (0, 0) lands.
struct Space {
  double originX, originY;
  double pixelsPerUnit = 25;
  double X(const Pt& p) const { return originX + p.x * pixelsPerUnit; }
  double Y(const Pt& p) const { return originY - p.y * pixelsPerUnit; }
  double L(double units) const { return units * pixelsPerUnit; }
};

// The parts, back to front. DrawFigure draws them all in the right order.
void DrawFigureLegs(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p);
void DrawFigureTorso(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p);  // torso and head
void DrawFigureArms(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p);   // both arms and the gun
void DrawFigure(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p);
// The gun alone, where the pose holds it (a dropped weapon).
void DrawFigureGun(cairo_t* cr, const Space& s, const Outfit& o, const Pose& p);

// Leg poses: 0 standing, 1..4 walking cycle, 5 rising (tucked), 6 falling.
void SetLegs(Pose& p, int legFrame);
// Puts the gun at aim 1..5 (ahead, diagonal up, up, diagonal down, down)
// with the hands on it.
void SetAim(Pose& p, int aim);
// Rotates every joint of the pose about `pivot` by `angle` radians (positive
// counter-clockwise on screen), for falls.
Pose Rotated(const Pose& p, Pt pivot, double angle);

}  // namespace assetgen
