// The seven terrorist kinds: each has its own colours, headgear and gun so
// a player can tell them apart. Frames 1-4 walk, 5..N fall and lie still.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "canvas.h"
#include "figure.h"
#include "paint.h"

namespace assetgen {
namespace {

Outfit TerroristOutfit(int kind) {
  Outfit o;
  o.skin = Hex(0xd8a070);
  o.boots = Hex(0x1e1a18);
  switch (kind) {
    case 1:  // street thug: red tracksuit, black cap, sub-machine gun
      o.top = Hex(0xc0302a); o.topDark = Hex(0x7a1a18); o.pants = Hex(0x2a2a34); o.pantsDark = Hex(0x1a1a22);
      o.hat = Hex(0x1a1a1e); o.accent = Hex(0xffffff); o.headgear = Headgear::Cap; o.weapon = Weapon::Smg;
      break;
    case 2:  // balaclava raider: grey hoodie, black mask, rifle
      o.top = Hex(0x7a7e88); o.topDark = Hex(0x50545e); o.pants = Hex(0x5a4632); o.pantsDark = Hex(0x3e3022);
      o.hat = Hex(0x18181c); o.accent = Hex(0x2a2a2a); o.headgear = Headgear::Balaclava; o.weapon = Weapon::Rifle;
      break;
    case 3:  // militia: desert tan fatigues, steel helmet, vest
      o.top = Hex(0xc8a86a); o.topDark = Hex(0x8a7040); o.pants = Hex(0xb09058); o.pantsDark = Hex(0x7a6238);
      o.hat = Hex(0x9a8a5a); o.accent = Hex(0x6a5a34); o.headgear = Headgear::DesertHelmet; o.weapon = Weapon::Rifle;
      o.vest = true; o.camo = true;
      break;
    case 4:  // gangster: long brown coat, fedora, drum-fed gun
      o.top = Hex(0x7a5230); o.topDark = Hex(0x4e321c); o.pants = Hex(0x2e2a28); o.pantsDark = Hex(0x1e1a18);
      o.hat = Hex(0x3a2a1e); o.accent = Hex(0xa02020); o.headgear = Headgear::Fedora; o.weapon = Weapon::Tommy;
      o.coat = true;
      break;
    case 5:  // heavy: bald, bearded, blue body armour, rocket launcher
      o.top = Hex(0x2a5aa0); o.topDark = Hex(0x1a3a6a); o.pants = Hex(0x3a3a3e); o.pantsDark = Hex(0x26262a);
      o.hat = Hex(0x3a2418); o.accent = Hex(0x1e2e4e); o.headgear = Headgear::Bald; o.weapon = Weapon::Launcher;
      o.vest = true; o.bulk = 1.25; o.skin = Hex(0xc8906a);
      break;
    case 6:  // chemical trooper: violet suit, gas mask, launcher
      o.top = Hex(0x7a4a9a); o.topDark = Hex(0x4e2e66); o.pants = Hex(0x6a3e88); o.pantsDark = Hex(0x442a5a);
      o.hat = Hex(0x2a2a2a); o.accent = Hex(0xd0c020); o.headgear = Headgear::GasMask; o.weapon = Weapon::Launcher;
      o.vest = true; o.bulk = 1.1;
      break;
    default:  // commando: urban grey camo, red beret, shotgun
      o.top = Hex(0x8a9aa0); o.topDark = Hex(0x4e5a60); o.pants = Hex(0x6e7c84); o.pantsDark = Hex(0x46525a);
      o.hat = Hex(0xb01818); o.accent = Hex(0x2a3a40); o.headgear = Headgear::Beret; o.weapon = Weapon::Shotgun;
      o.camo = true; o.vest = true;
      break;
  }
  return o;
}

// Enemies stand 0.2 units lower than the hero's box centre, with the same
// body: feet at 1.7 units below the sprite centre.
Space TerroristSpace(int kind) {
  const double size = TerroristPictureSize(kind);
  return {size / 2 - 2, size / 2 - 0.2 * 25};
}

// The gun at the height the kind's shots leave from (0.4 units above the
// centre, higher for the launchers and the long coat's gun).
Pose HoldGun(int kind) {
  Pose p;
  const double shotHeight = (kind == 5 || kind == 6) ? 0.9 + 0.2 : kind == 4 ? 0.7 + 0.2 : 0.4 + 0.2;
  p.gunLength = (kind == 5 || kind == 6) ? 2.3 : kind == 1 ? 1.5 : 2.0;
  p.gunAngle = 0;
  const double muzzleX = kind == 4 ? 1.7 : 1.45;
  p.gunButt = {muzzleX - p.gunLength, shotHeight};
  if (kind == 5 || kind == 6) {
    // On the shoulder: hands under the tube.
    p.handFar = {p.gunButt.x + p.gunLength * 0.35, shotHeight - 0.3};
    p.handNear = {p.gunButt.x + p.gunLength * 0.55, shotHeight - 0.3};
  } else {
    p.handFar = {p.gunButt.x + p.gunLength * 0.38, shotHeight - 0.12};
    p.handNear = {p.gunButt.x + p.gunLength * 0.74, shotHeight};
  }
  return p;
}

}  // namespace

int TerroristPictureSize(int kind) { return kind <= 4 ? 120 : 128; }

void DrawTerrorist(Canvas& c, int kind, int frame) {
  cairo_t* cr = c.cr();
  const Outfit o = TerroristOutfit(kind);
  const Space s = TerroristSpace(kind);
  const double ground = s.Y({0, -1.8});
  Pose p = HoldGun(kind);
  if (frame <= kTerroristWalkFrames) {
    SetLegs(p, frame);
    // A slight bob in the stride.
    const double bob = (frame % 2 == 1) ? -0.04 : 0.03;
    p.neck.y += bob;
    p.head.y += bob;
    p.shoulder.y += bob;
    SoftBlob(cr, s.X({0, 0}), ground + 1, 30, 5, Hex(0x000000, 0.45));
    DrawFigure(cr, s, o, p);
    return;
  }
  // Death: knocked back, falling, down; kinds with more frames also twitch
  // and fade out before they vanish.
  const int deathFrames = kTerroristFrames[kind - 1] - kTerroristWalkFrames;
  const int d = frame - kTerroristWalkFrames - 1;                 // 0-based
  const double t = deathFrames <= 1 ? 1.0 : std::min(1.0, d / 3.0);  // fall completes by the 4th frame
  SetLegs(p, d == 0 ? 0 : 6);
  p.showGun = d == 0;
  p.handNear = {0.6, 1.5};
  p.handFar = {-0.3, 1.6};
  p.headTilt = 0.4;
  const double angle = 0.25 + t * (M_PI / 2 - 0.25);
  const Pose fallen = Rotated(p, {0, -1.78}, angle);
  const Space slid{s.originX + t * 1.9 * 25, s.originY};
  SoftBlob(cr, slid.X({-1.7 * t, 0}), ground + 1, 28 + 30 * t, 5, Hex(0x000000, 0.45));
  if (t >= 1.0) SoftBlob(cr, slid.X({-2.3, 0}), ground, 22, 4.5, Hex(0x6a0a0a, 0.65));
  cairo_push_group(cr);
  DrawFigure(cr, slid, o, fallen);
  if (d > 0) {
    Pose gun = HoldGun(kind);
    gun.gunAngle = M_PI * 0.95;
    gun.gunButt = {1.9, -1.62};
    DrawFigureGun(cr, slid, o, gun);
  }
  cairo_pop_group_to_source(cr);
  const int fadeFrames = std::max(0, d - 3);
  cairo_paint_with_alpha(cr, 1.0 - 0.3 * fadeFrames);
}

void DrawTerroristShot(Canvas& c, int kind) {
  cairo_t* cr = c.cr();
  static constexpr uint32_t kColors[kTerroristKinds] = {0xff5030, 0xffa020, 0xffe040, 0xff3080,
                                                        0x40a0ff, 0x80ff40, 0xff2020};
  const Color color = Hex(kColors[std::clamp(kind, 1, kTerroristKinds) - 1]);
  const double cx = 12, cy = 12;
  SoftBlob(cr, cx, cy, 11.5, 11.5, WithAlpha(color, 0.75));
  EllipsePath(cr, cx, cy, 5, 5);
  SetColor(cr, Mix(color, Hex(0xffffff), 0.6));
  cairo_fill(cr);
  EllipsePath(cr, cx, cy, 2.2, 2.2);
  SetColor(cr, Hex(0xffffff));
  cairo_fill(cr);
}

}  // namespace assetgen
