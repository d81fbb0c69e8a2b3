#include "manifest.h"

#include <string>

#include "art.h"
#include "canvas.h"
#include "menu_layout.h"

namespace assetgen {
namespace {

std::string Num(int n) { return std::to_string(n); }

class Builder {
 public:
  std::vector<Asset> assets;

  // A transparent picture drawn at its on-screen size (or twice it).
  void Png(const std::string& path, int w, int h, DrawFn draw, int pixelScale = 1) {
    Asset a;
    a.path = path;
    a.kind = AssetKind::Png;
    a.width = w;
    a.height = h;
    a.pixelScale = pixelScale;
    a.draw = std::move(draw);
    assets.push_back(std::move(a));
  }
  void Jpeg(const std::string& path, int w, int h, DrawFn draw) {
    Tile(path, w, h, std::move(draw));
    assets.back().kind = AssetKind::Jpeg;
  }
  // An opaque PNG: a tile of a parallax layer.
  void Tile(const std::string& path, int w, int h, DrawFn draw) {
    Png(path, w, h, std::move(draw));
    assets.back().opaque = true;
  }
  // A right-facing picture and its left-facing mirror.
  void Facing(const std::string& right, const std::string& left, int w, int h, const DrawFn& draw) {
    Png(right, w, h, draw);
    Png(left, w, h, draw);
    assets.back().mirrored = true;
    assets.back().mirrorOf = right;
  }
  void Particle(const std::string& path, bool clot) {
    constexpr int kParticleSize = 64;
    File(path, AssetKind::Particle, [clot] { return MakeParticleTexture(clot, kParticleSize); });
    assets.back().width = assets.back().height = kParticleSize;
  }
  void File(const std::string& path, AssetKind kind, MakeFn make, bool loops = false) {
    Asset a;
    a.path = path;
    a.kind = kind;
    a.loops = loops;
    a.make = std::move(make);
    assets.push_back(std::move(a));
  }
};

void AddStartupAndMenus(Builder& b) {
  b.File("data/sprite.x", AssetKind::Mesh, MakeSpriteMesh);
  b.Jpeg("data/loading1.jpg", 800, 600, [](Canvas& c) { DrawLoadingScreen(c, false); });
  b.Jpeg("data/loading2.jpg", 800, 600, [](Canvas& c) { DrawLoadingScreen(c, true); });
  for (int i = 1; i <= 10; ++i) b.Png("data/l" + Num(i) + ".png", 520, 68, [i](Canvas& c) { DrawLoadingBar(c, i); });
  b.Jpeg("data/background.jpg", 800, 600, DrawMenuBackground);
  b.Png("data/GameOver.png", 800, 600, DrawGameOver);
  for (int i = 1; i <= 15; ++i) b.Png("data/cur" + Num(i) + ".png", 40, 40, [i](Canvas& c) { DrawCursor(c, i); });

  struct Item { const char* name; const char* caption; };
  const Item mainItems[] = {{"Start", "START"}, {"Help", "HELP"}, {"Options", "OPTIONS"},
                            {"High", "HIGH SCORES"}, {"Web", "MORE GAMES"}, {"Exit", "EXIT"}};
  for (const Item& it : mainItems) {
    const std::string caption = it.caption;
    b.Png(std::string("data/PMM") + it.name + ".png", 350, 80, [caption](Canvas& c) { DrawMenuButton(c, caption, false, kMainMenuPlateWidth); });
    b.Png(std::string("data/AMM") + it.name + ".png", 350, 80, [caption](Canvas& c) { DrawMenuButton(c, caption, true, kMainMenuPlateWidth); });
  }
  b.Png("data/Frame.png", 500, 400, DrawHelpFrame);
  b.Png("data/HelpLabel.png", 450, 200, [](Canvas& c) { DrawScreenTitle(c, "HELP", kHelpTitleLeft); });
  b.Png("data/OptionsLabel.png", 450, 200, [](Canvas& c) { DrawScreenTitle(c, "OPTIONS", kOptionsTitleLeft); });
  b.Png("data/HighScore.png", 450, 200, [](Canvas& c) { DrawScreenTitle(c, "HIGH SCORES", kHighScoreTitleLeft); });
  b.Png("data/ControlsLabel.png", 450, 200, [](Canvas& c) { DrawScreenTitle(c, "CONTROLS", kControlsTitleLeft); });

  // Menus set these closer than their pictures are wide: plates narrower
  // than the picture (NEXT and PREVIOUS sit 125 px apart, YES and NO 112,
  // CLEAR and VIEW ONLINE 175); option values on small plates of their own.
  struct Button { const char* file; const char* caption; int w, h; double plateWidth; bool optionValue; };
  const Button buttons[] = {
      {"HMNext", "NEXT", 200, 100, 116, false},       {"HMPrevious", "PREVIOUS", 200, 100, 116, false},
      {"EMYes", "YES", 128, 64, 104, false},          {"EMNo", "NO", 128, 64, 104, false},
      {"Window", "WINDOW", 200, 50, kOptionModePlateWidth, true},
      {"Full", "FULL SCREEN", 200, 50, kOptionModePlateWidth, true},
      {"On", "ON", 100, 50, kOptionOnOffPlateWidth, true},
      {"Off", "OFF", 100, 50, kOptionOnOffPlateWidth, true},
      {"RMClear", "CLEAR", 200, 100, 164, false},     {"RMView", "VIEW ONLINE", 200, 100, 164, false},
      {"Controls", "CONTROLS", 200, 50, kOptionModePlateWidth, true},
      {"CMDefaults", "DEFAULTS", 200, 100, 116, false}, {"CMBack", "BACK", 200, 100, 116, false},
  };
  for (const Button& bt : buttons) {
    const std::string caption = bt.caption;
    const double plateWidth = bt.plateWidth;
    const bool optionValue = bt.optionValue;
    for (bool lit : {false, true}) {
      b.Png(std::string("data/") + (lit ? "A" : "P") + bt.file + ".png", bt.w, bt.h,
            [caption, plateWidth, optionValue, lit](Canvas& c) {
              if (optionValue) {
                DrawOptionValue(c, caption, lit, plateWidth);
              } else {
                DrawMenuButton(c, caption, lit, plateWidth);
              }
            });
    }
  }
  for (int i = 1; i <= kHelpPages; ++i) b.Png("data/over" + Num(i) + ".png", 400, 280, [i](Canvas& c) { DrawHelpPage(c, i); });
  b.Png("data/Query.png", 320, 240, DrawQueryFrame);
  b.Png("data/Options.png", 500, 400, DrawOptionsPanel);
  b.Png("data/Underline.png", 280, 2, DrawUnderline);
  b.Png("data/Table.png", 500, 350, DrawScoreTable);
  b.Png("data/RecordRow.png", 408, 26, DrawScoreRowHighlight);
  b.Png("data/Replay.png", 400, 40, DrawReplayCaption);
  b.Png("data/ReplayPaused.png", 120, 40, [](Canvas& c) { DrawReplayState(c, "PAUSED"); });
  b.Png("data/ReplayFast.png", 120, 40, [](Canvas& c) { DrawReplayState(c, "FAST x4"); });
  b.File("data/_font/Haettenschweiler.wid", AssetKind::Font, [] { return MakeWidFont(GameFont::Display); });
  b.File("data/_fontl/Arial.wid", AssetKind::Font, [] { return MakeWidFont(GameFont::Plain); });
}

void AddPlayScreen(Builder& b) {
  for (int i = 1; i <= 4; ++i) b.Jpeg("data/BackgroundCity" + Num(i) + ".jpg", 800, 400, [i](Canvas& c) { DrawCitySkyline(c, i - 1); });
  for (int i = 1; i <= 2; ++i) b.Tile("data/ForegroundCity" + Num(i) + ".png", 800, 200, [i](Canvas& c) { DrawCityStreet(c, i - 1); });
  for (int i = 1; i <= 4; ++i) b.Tile("data/BackgroundTrain" + Num(i) + ".png", 800, 460, [i](Canvas& c) { DrawTrainLandscape(c, i - 1); });
  for (int i = 1; i <= 2; ++i) b.Tile("data/ForegroundTrain" + Num(i) + ".png", 800, 140, [i](Canvas& c) { DrawTrackBed(c, i - 1); });
  const int buildingSize[8][2] = {{846, 482}, {1289, 489}, {519, 480}, {1037, 428},
                                  {1273, 490}, {1051, 491}, {746, 442}, {1568, 487}};
  for (int k = 1; k <= 8; ++k) {
    b.Png("data/Bld" + Num(k) + ".png", buildingSize[k - 1][0], buildingSize[k - 1][1], [k](Canvas& c) { DrawBuilding(c, k); });
  }
  const int wagonSize[4][2] = {{700, 200}, {700, 280}, {800, 280}, {1300, 280}};
  for (int k = 1; k <= 4; ++k) {
    b.Png("data/vagon" + Num(k) + ".png", wagonSize[k - 1][0], wagonSize[k - 1][1], [k](Canvas& c) { DrawWagon(c, k); });
  }
  b.Png("data/box.png", 256, 256, DrawCrate);
  b.Png("data/BlackCar.png", 363, 128, DrawBlackCar);
  b.Png("data/YellowCar.png", 231, 140, DrawYellowCar);
  b.Png("data/Truck.png", 521, 236, DrawTruck);
  b.Png("data/LowBeam.png", 900, 210, DrawLowBeam);
  b.Png("data/Panel.png", 802, 134, DrawHudPanel);
  for (int i = 0; i <= 5; ++i) b.Png("data/energy" + Num(i) + ".png", 235, 88, [i](Canvas& c) { DrawEnergyBar(c, i); });
  // The letters are tiny on screen; twice the resolution keeps them crisp when scaled.
  for (int i = 0; i < 5; ++i) {
    b.Png(std::string("data/") + static_cast<char>('A' + i) + "wep_sign.png", 22, 28, [i](Canvas& c) { DrawWeaponSign(c, i); }, 2);
  }
  for (int i = 1; i <= 9; ++i) b.Png("data/LF" + Num(i) + ".png", 64, 64, [i](Canvas& c) { DrawLives(c, i); });
  for (int i = 0; i <= 10; ++i) b.Png("data/sw" + Num(i) + ".png", 479, 70, [i](Canvas& c) { DrawGrenadeGauge(c, i); });
  b.Particle("data/particle.dds", false);
  b.Particle("data/particle_clot.dds", true);
}

void AddHero(Builder& b) {
  for (int a = 1; a <= 5; ++a) {
    b.Facing("data/hbr" + Num(a) + ".png", "data/hbl" + Num(a) + ".png", 60, 60, [a](Canvas& c) { DrawHeroBody(c, a); });
    b.Facing("data/hwr" + Num(a) + ".png", "data/hwl" + Num(a) + ".png", 100, 150, [a](Canvas& c) { DrawHeroArms(c, a); });
    b.Facing("data/hbshr" + Num(a) + ".png", "data/hbshl" + Num(a) + ".png", 80, 80, [a](Canvas& c) { DrawHeroBodyShadow(c, a); });
  }
  for (int f = 1; f <= 7; ++f) {
    b.Facing("data/hsr" + Num(f) + ".png", "data/hsl" + Num(f) + ".png", 120, 70, [f](Canvas& c) { DrawHeroLegs(c, f); });
    b.Facing("data/hshr" + Num(f) + ".png", "data/hshl" + Num(f) + ".png", 120, 70, [f](Canvas& c) { DrawHeroLegsShadow(c, f); });
  }
  b.Facing("data/hlr1.png", "data/hll1.png", 200, 100, [](Canvas& c) { DrawHeroLying(c, false); });
  b.Facing("data/hslr1.png", "data/hsll1.png", 200, 100, [](Canvas& c) { DrawHeroLying(c, true); });
  b.Facing("data/hsitr.png", "data/hsitl.png", 100, 100, DrawHeroCrouch);
  for (int f = 1; f <= 4; ++f) {
    b.Facing("data/hdr" + Num(f) + ".png", "data/hdl" + Num(f) + ".png", 185, 138, [f](Canvas& c) { DrawHeroDeath(c, f); });
  }
  b.Png("data/armor.png", 176, 172, DrawArmourGlow);
  b.Png("data/SplashABE.png", 76, 47, [](Canvas& c) { DrawMuzzleFlash(c, false); });
  b.Png("data/SplashC.png", 67, 43, [](Canvas& c) { DrawMuzzleFlash(c, true); });
  b.Png("data/hmA.png", 22, 22, [](Canvas& c) { DrawBullet(c, false); }, 2);
  b.Png("data/hmB.png", 22, 22, [](Canvas& c) { DrawBullet(c, true); }, 2);
  b.Png("data/hmC.png", 75, 18, DrawLaserBolt);
  for (int f = 1; f <= 2; ++f) b.Png("data/hmE" + Num(f) + ".png", 82, 23, [f](Canvas& c) { DrawPlasmaBolt(c, f); });
  for (int s = 1; s <= 5; ++s) b.Png("data/hmS" + Num(s) + ".png", 136, 130, [s](Canvas& c) { DrawGrenade(c, s); });
}

void AddEnemiesAndPickups(Builder& b) {
  for (int k = 1; k <= kTerroristKinds; ++k) {
    const int size = TerroristPictureSize(k);
    for (int f = 1; f <= kTerroristFrames[k - 1]; ++f) {
      const std::string stem = "data/terr" + Num(k);
      b.Facing(stem + "sr" + Num(f) + ".png", stem + "sl" + Num(f) + ".png", size, size,
               [k, f](Canvas& c) { DrawTerrorist(c, k, f); });
    }
    b.Png("data/terr" + Num(k) + "m.png", 24, 24, [k](Canvas& c) { DrawTerroristShot(c, k); }, 2);
  }
  b.Png("data/100fly.png", 135, 81, [](Canvas& c) { DrawScoreToken(c, false); });
  b.Png("data/100down.png", 135, 81, [](Canvas& c) { DrawScoreToken(c, true); });
  b.Png("data/energy+fly.png", 135, 81, [](Canvas& c) { DrawEnergyPickup(c, false); });
  b.Png("data/energy+down.png", 135, 81, [](Canvas& c) { DrawEnergyPickup(c, true); });
  b.Png("data/armor+fly.png", 125, 71, [](Canvas& c) { DrawArmourPickup(c, false); });
  b.Png("data/armor+down.png", 125, 71, [](Canvas& c) { DrawArmourPickup(c, true); });
  for (int w = 0; w < 5; ++w) {
    const std::string letter(1, static_cast<char>('A' + w));
    b.Png("data/w" + letter + "fly.png", 138, 73, [w](Canvas& c) { DrawWeaponPickup(c, w, false); });
    b.Png("data/w" + letter + "down.png", 138, 73, [w](Canvas& c) { DrawWeaponPickup(c, w, true); });
  }
  for (int f = 1; f <= 16; ++f) b.Png("data/be" + Num(f) + ".png", 128, 128, [f](Canvas& c) { DrawPickupBurst(c, f); });
}

void AddSounds(Builder& b) {
  struct Entry { const char* path; Sound sound; bool loops; };
  const Entry sounds[] = {
      {"sound/mainmenuchg.WAV", Sound::MenuTick, false},  {"sound/step.WAV", Sound::Step, true},
      {"sound/shot_gun.WAV", Sound::GunShot, true},       {"sound/shot_laser.WAV", Sound::Laser, true},
      {"sound/fire.WAV", Sound::Flamethrower, true},      {"sound/railway.WAV", Sound::Railway, true},
      {"sound/hit.WAV", Sound::Hit, false},               {"sound/hero_die.WAV", Sound::HeroDie, false},
      {"sound/terr1_die.wav", Sound::TerroristDie1, false}, {"sound/terr2_die.wav", Sound::TerroristDie2, false},
      {"sound/terr3_die.wav", Sound::TerroristDie3, false}, {"sound/terr4_die.wav", Sound::TerroristDie4, false},
      {"sound/terr5_die.wav", Sound::TerroristDie5, false}, {"sound/terr6_die.wav", Sound::TerroristDie6, false},
      {"sound/terr7_die.wav", Sound::TerroristDie7, false}, {"sound/bonus_hit.wav", Sound::BonusHit, false},
      {"sound/Score_take.wav", Sound::ScoreTake, false},  {"sound/Energy_take.wav", Sound::EnergyTake, false},
      {"sound/Armor_take.wav", Sound::ArmourTake, false}, {"sound/A_take.wav", Sound::WeaponTakeA, false},
      {"sound/B_take.wav", Sound::WeaponTakeB, false},    {"sound/C_take.wav", Sound::WeaponTakeC, false},
      {"sound/D_take.wav", Sound::WeaponTakeD, false},    {"sound/E_take.wav", Sound::WeaponTakeE, false},
  };
  for (const Entry& e : sounds) {
    const Sound s = e.sound;
    b.File(e.path, AssetKind::Wav, [s] { return MakeSound(s); }, e.loops);
  }
  b.File("sound/Menu.ogg", AssetKind::Ogg, [] { return MakeMusic(Tune::Menu); }, true);
  b.File("sound/Game.ogg", AssetKind::Ogg, [] { return MakeMusic(Tune::Game); }, true);
}

void AddPromotion(Builder& b) {
  b.Jpeg("wdata/share.jpg", 800, 600, DrawPromotionScreen);
  struct Button { const char* stem; const char* caption; int w, h; };
  const Button buttons[] = {{"about", "ABOUT VARNOK", kPromoButtonWidth, kPromoButtonHeight},
                            {"more", "MORE GAMES", kPromoButtonWidth, kPromoButtonHeight}};
  for (const Button& bt : buttons) {
    const std::string caption = bt.caption;
    b.Png(std::string("wdata/") + bt.stem + "_normal.png", bt.w, bt.h, [caption](Canvas& c) { DrawPromotionButton(c, caption, 0); });
    b.Png(std::string("wdata/") + bt.stem + "_hover.png", bt.w, bt.h, [caption](Canvas& c) { DrawPromotionButton(c, caption, 1); });
  }
  const char* exitStems[] = {"exit_normal", "exit_hover", "exit_disabled"};
  for (int s = 0; s < 3; ++s) {
    b.Png(std::string("wdata/") + exitStems[s] + ".png", kPromoExitWidth, kPromoExitHeight,
          [s](Canvas& c) { DrawPromotionButton(c, "EXIT", s); });
  }
  b.File("wdata/config.ini", AssetKind::Text, MakePromotionConfig);
  b.File("wdata/about.html", AssetKind::Text, MakeAboutPage);
  b.File("play.url", AssetKind::Text, [] { return MakeInternetShortcut("https://varnok.example.org/play"); });
  b.File("moregames.url", AssetKind::Text, [] { return MakeInternetShortcut("https://varnok.example.org/games"); });
}

std::vector<Asset> BuildManifest() {
  Builder b;
  AddStartupAndMenus(b);
  AddPlayScreen(b);
  AddHero(b);
  AddEnemiesAndPickups(b);
  AddSounds(b);
  AddPromotion(b);
  return std::move(b.assets);
}

}  // namespace

const std::vector<Asset>& Manifest() {
  static const std::vector<Asset> assets = BuildManifest();
  return assets;
}

}  // namespace assetgen
