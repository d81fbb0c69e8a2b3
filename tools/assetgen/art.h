// The drawing and synthesis entry points of every subject module, one
// function family per file (named in the comments). The manifest binds them
// to file names and sizes.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "asset.h"

namespace assetgen {

class Canvas;

// city_scenery.cpp
void DrawCitySkyline(Canvas& c, int tile);        // tile 0..3 of a seamless band
void DrawCityStreet(Canvas& c, int tile);         // tile 0..1
void DrawMenuBackground(Canvas& c);
void DrawMenuLogo(Canvas& c);                     // the logo alone, where the background has it
void PaintDuskScene(Canvas& c);                   // sky, skyline and street, no title
// Cloud streaks over one period of a band, between two heights.
void PaintClouds(cairo_t* cr, double period, uint64_t seed, double yMin, double yMax);
// buildings.cpp
void DrawBuilding(Canvas& c, int kind);           // kind 1..8
// city_objects.cpp
void DrawCrate(Canvas& c);
void DrawBlackCar(Canvas& c);
void DrawYellowCar(Canvas& c);
void DrawTruck(Canvas& c);
void DrawLowBeam(Canvas& c);
// train_scenery.cpp
void DrawTrainLandscape(Canvas& c, int tile);     // tile 0..3
void DrawTrackBed(Canvas& c, int tile);           // tile 0..1
void DrawWagon(Canvas& c, int kind);              // kind 1..4
void DrawLoadingScreen(Canvas& c, bool train);

// hero.cpp: every frame faces right; the manifest mirrors them for the left.
void DrawHeroBody(Canvas& c, int aim);            // aim 1..5
void DrawHeroArms(Canvas& c, int aim);
void DrawHeroLegs(Canvas& c, int frame);          // frame 1..7
void DrawHeroBodyShadow(Canvas& c, int aim);
void DrawHeroLegsShadow(Canvas& c, int frame);
void DrawHeroLying(Canvas& c, bool crawling);
void DrawHeroCrouch(Canvas& c);
void DrawHeroDeath(Canvas& c, int frame);         // frame 1..4
// hero_effects.cpp
void DrawArmourGlow(Canvas& c);
void DrawMuzzleFlash(Canvas& c, bool laser);
void DrawBullet(Canvas& c, bool pellet);
void DrawLaserBolt(Canvas& c);
void DrawPlasmaBolt(Canvas& c, int frame);        // frame 1..2
void DrawGrenade(Canvas& c, int strength);        // strength 1..5

// enemies.cpp
inline constexpr int kTerroristKinds = 7;
inline constexpr int kTerroristWalkFrames = 4;
inline constexpr int kTerroristFrames[kTerroristKinds] = {8, 9, 9, 7, 7, 7, 8};
int TerroristPictureSize(int kind);               // square side in pixels
void DrawTerrorist(Canvas& c, int kind, int frame);  // faces right
void DrawTerroristShot(Canvas& c, int kind);

// pickups.cpp
void DrawScoreToken(Canvas& c, bool shot);
void DrawEnergyPickup(Canvas& c, bool fallen);
void DrawArmourPickup(Canvas& c, bool fallen);
void DrawWeaponPickup(Canvas& c, int weapon, bool fallen);  // weapon 0..4 = A..E
void DrawPickupBurst(Canvas& c, int frame);       // frame 1..16

// hud.cpp
void DrawHudPanel(Canvas& c);
void DrawEnergyBar(Canvas& c, int segments);      // 0..5
void DrawWeaponSign(Canvas& c, int weapon);       // 0..4 = A..E
void DrawLives(Canvas& c, int lives);             // 1..9
void DrawGrenadeGauge(Canvas& c, int charge);     // 0..10
void DrawLoadingBar(Canvas& c, int stage);        // 1..10
void DrawCursor(Canvas& c, int frame);            // 1..15
void DrawGameOver(Canvas& c);

// menus.cpp
// Caption on a plate plateWidth pixels wide (0: the picture's width less a margin).
void DrawMenuButton(Canvas& c, const std::string& caption, bool lit, double plateWidth = 0);
// An option value on a small plate plateWidth pixels wide.
void DrawOptionValue(Canvas& c, const std::string& caption, bool lit, double plateWidth);
void DrawHelpFrame(Canvas& c);
// A title whose picture the game sets from x = pictureLeft of the frame.
void DrawScreenTitle(Canvas& c, const std::string& title, double pictureLeft);
void DrawQueryFrame(Canvas& c);
void DrawOptionsPanel(Canvas& c);
void DrawUnderline(Canvas& c);
void DrawScoreTable(Canvas& c);
// The highlight of the score table's picked row (the width of its stripes).
void DrawScoreRowHighlight(Canvas& c);
// The small caption over a replay being watched, with room for a name.
void DrawReplayCaption(Canvas& c);
// PAUSED or the fast-forward mark beside it.
void DrawReplayState(Canvas& c, const std::string& caption);
// help_pages.cpp
inline constexpr int kHelpPages = 8;
void DrawHelpPage(Canvas& c, int page);           // 1..8

// fonts.cpp
enum class GameFont { Display, Plain };
Bytes MakeWidFont(GameFont font);
// engine_files.cpp
Bytes MakeSpriteMesh();
Bytes MakeParticleTexture(bool clot, int size);

// sound_effects.cpp
enum class Sound {
  MenuTick, Step, GunShot, Laser, Flamethrower, Railway, Hit, HeroDie,
  TerroristDie1, TerroristDie2, TerroristDie3, TerroristDie4, TerroristDie5, TerroristDie6,
  TerroristDie7, BonusHit, ScoreTake, EnergyTake, ArmourTake, WeaponTakeA, WeaponTakeB,
  WeaponTakeC, WeaponTakeD, WeaponTakeE,
};
Bytes MakeSound(Sound sound);
// music.cpp
enum class Tune { Menu, Game };
Bytes MakeMusic(Tune tune);

// promotion.cpp
void DrawPromotionScreen(Canvas& c);
void DrawPromotionButton(Canvas& c, const std::string& caption, int state);  // 0 normal, 1 hover, 2 disabled
Bytes MakePromotionConfig();
Bytes MakeAboutPage();
Bytes MakeInternetShortcut(const std::string& url);

}  // namespace assetgen

namespace assetgen {
// Promotion screen layout, shared by its pictures and its config file.
inline constexpr int kPromoButtonWidth = 300;
inline constexpr int kPromoButtonHeight = 64;
inline constexpr int kPromoExitWidth = 220;
inline constexpr int kPromoExitHeight = 64;
}  // namespace assetgen
