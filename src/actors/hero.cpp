#include "actors/hero.h"

#include <algorithm>
#include <cstdio>

#include "core/game_context.h"
#include "core/sprites.h"
#include "world/play_screen.h"
#include "platform/tick_clock.h"
#include "world/combat_hooks.h"
#include "world/game.h"

namespace actors {
namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;
constexpr int32_t kLastDeathFrame = 4;
constexpr uint32_t kDeathStepMs = 201;     // a death frame lasts a little over 200 ms
constexpr uint32_t kCrouchMs = 101;        // the crouch before a jump and after a landing
constexpr int32_t kFullEnergy = 5;
constexpr int32_t kNearestMip = 0;
constexpr int32_t kCutoutTextureMode = 4;
constexpr long double kLieDrop = 1.5L;
constexpr long double kGapFall = 1;        // a hero over a gap drops out of the wagons' line
constexpr long double kGapProbe = 0.1L;

struct Scale {
  float w, h;
};
constexpr Scale kBodyScale{1.5f, 1.5f};
constexpr Scale kWeaponScale{2.5f, 3.75f};
constexpr Scale kLegsScale{3, 1.75f};
constexpr Scale kLyingScale{5, 2.5f};
constexpr Scale kCrouchScale{2.5f, 2.5f};
constexpr Scale kDyingScale{4.625f, 3.45f};
constexpr Scale kBodyShadowScale{2, 2};
constexpr Scale kLegsShadowScale{3, 1.75f};
constexpr Scale kFlashABEScale{1.9f, 1.175f};
constexpr Scale kFlashCScale{1.675f, 1.075f};
constexpr Scale kArmourScale{4.4f, 4.3f};

// Gap boxes between wagons, relative to a wagon's (x, y).
constexpr long double kGapLeft = 12.4L;
constexpr long double kFlatGapRight = 12.6L, kFlatGapTop = 2.1L, kFlatGapBottom = 2.3L;
constexpr long double kBoxGapRight = 12.5L, kBoxGapTop = 4.1L, kBoxGapBottom = 4.3L;
constexpr long double kBeforeFlatTop = 0.1L, kBeforeFlatBottom = 0.3L;

EHandle Texture(const char* pattern, int n) {
  char name[40];
  std::snprintf(name, sizeof name, pattern, n);
  return iTextureCreate(name);
}

EHandle NewSprite(Scale scale, EHandle texture) {
  return core::MakeSprite({.texture = texture, .scale = {scale.w, scale.h}});
}

// A body sprite showing its first texture, drawn crisp with cut-out edges.
EHandle NewBodySprite(Scale scale, EHandle firstTexture) {
  return core::MakeSprite({.texture = firstTexture,
                          .scale = {scale.w, scale.h},
                          .mipFilter = kNearestMip,
                          .textureMode = kCutoutTextureMode});
}

void Locate(EHandle sprite, long double x, long double y) {
  const EngineVec location{static_cast<float>(x), static_cast<float>(y), 0};
  iSpriteLocationSet(sprite, &location);
}

// Side-indexed texture tables are filled from "left" and "right" file patterns.
template <size_t N>
void LoadSides(std::array<std::array<EHandle, N>, 2>& table, const char* left, const char* right, int last) {
  for (int n = 1; n <= last; ++n) table[kLeft][n] = Texture(left, n);
  for (int n = 1; n <= last; ++n) table[kRight][n] = Texture(right, n);
}

}  // namespace

long double JumpSpeed(int32_t counter) {
  if (counter >= 19) return 0;
  if (counter >= 16) return 0.15L;
  if (counter >= 14) return 0.2L;
  if (counter >= 11) return 0.25L;
  if (counter >= 9) return 0.3L;
  return 0.4L;
}

THero::THero(world::TGame& game) : game_(game) {}

THero::~THero() {
  for (EHandle sprite : {BodySprite, WeaponSprite, LegsSprite, LyingSprite, CrouchSprite, DyingSprite, BodyShadowSprite,
                         LegsShadowSprite, FlashSpriteABE, FlashSpriteC, ArmourSprite}) {
    iSpriteDestroy(sprite);
  }
}

void THero::HeroInit() {
  FacingRight = 1;
  ScrollPos = LineOffset = 0;
  X = 0;
  Y = world::kCityGroundY;
  HalfHeight = kStandingHalfHeight;
  HalfWidth = kStandingHalfWidth;
  LegFrame = Aim = WeaponPose = CrawlFrame = 1;
  SurfaceHeight = 0;
  UpPressTick = 0;
  StandCooldown = kStandReady;
  Walking = Dead = Crawling = Falling = Rising = Prone = CanCrawl = JumpPending = Landing = 0;

  static constexpr const char* kShotTextures[] = {"data\\hmA.png",  "data\\hmB.png",  "data\\hmC.png",  "data\\hmE1.png",
                                                  "data\\hmE2.png", "data\\hmS1.png", "data\\hmS2.png", "data\\hmS3.png",
                                                  "data\\hmS4.png", "data\\hmS5.png"};
  for (size_t i = 0; i < ShotTex.size(); ++i) ShotTex[i] = iTextureCreate(kShotTextures[i]);
  FlashTex[0] = iTextureCreate("data\\SplashABE.png");
  FlashTex[1] = iTextureCreate("data\\SplashC.png");
  FlashSpriteABE = NewSprite(kFlashABEScale, FlashTex[0]);
  FlashSpriteC = NewSprite(kFlashCScale, FlashTex[1]);
  // Laser, plasma, grenades and flames draw under his body, bullets and
  // pellets over it: sprites of equal priority draw in creation order.
  if (game_.combat) game_.combat->CreateHeroShotsBeforeBody();

  ArmourTex = iTextureCreate("data\\armor.png");
  ArmourSprite = NewSprite(kArmourScale, ArmourTex);
  game_.SetArmor(0);

  CreateBodySprites();
  DeathFrame = 1;
  if (game_.combat) game_.combat->CreateHeroShotsAfterBody();
  PlaceSprites();
}

void THero::CreateBodySprites() {
  LyingTex[kLeft][1] = iTextureCreate("data\\hll1.png");
  LyingTex[kLeft][2] = iTextureCreate("data\\hsll1.png");
  LyingTex[kRight][1] = iTextureCreate("data\\hlr1.png");
  LyingTex[kRight][2] = iTextureCreate("data\\hslr1.png");
  LyingSprite = NewBodySprite(kLyingScale, LyingTex[kRight][1]);

  CrouchTex[kLeft] = iTextureCreate("data\\hsitl.png");
  CrouchTex[kRight] = iTextureCreate("data\\hsitr.png");
  CrouchSprite = NewBodySprite(kCrouchScale, CrouchTex[kRight]);

  LoadSides(BodyShadowTex, "data\\hbshl%d.png", "data\\hbshr%d.png", 5);
  BodyShadowSprite = NewBodySprite(kBodyShadowScale, BodyShadowTex[kRight][1]);
  LoadSides(LegsShadowTex, "data\\hshl%d.png", "data\\hshr%d.png", 7);
  LegsShadowSprite = NewBodySprite(kLegsShadowScale, LegsShadowTex[kRight][1]);
  LoadSides(LegsTex, "data\\hsl%d.png", "data\\hsr%d.png", 7);
  LegsSprite = NewBodySprite(kLegsScale, LegsTex[kRight][1]);
  LoadSides(WeaponTex, "data\\hwl%d.png", "data\\hwr%d.png", 5);
  WeaponSprite = NewBodySprite(kWeaponScale, WeaponTex[kRight][1]);
  LoadSides(DyingTex, "data\\hdl%d.png", "data\\hdr%d.png", 4);
  DyingSprite = NewBodySprite(kDyingScale, DyingTex[kRight][1]);
  LoadSides(BodyTex, "data\\hbl%d.png", "data\\hbr%d.png", 5);
  BodySprite = NewBodySprite(kBodyScale, BodyTex[kRight][1]);
}

CollisionRect THero::Box() const { return BoxAround(X, Y, HalfHeight, HalfWidth); }

void THero::PlaceSprites() {
  const long double s = FacingRight ? 1 : -1;
  const long double lift = static_cast<long double>(JumpCounter) / 10;
  Locate(LegsShadowSprite, X - 0.2L * s, GroundY + SurfaceHeight - 1 + lift);
  Locate(BodyShadowSprite, X - 0.3L * s, GroundY + SurfaceHeight - 0.75L + lift);
  Locate(BodySprite, X, Y + 1.1L);
  Locate(WeaponSprite, X + 0.48L * s, Y + 0.5L);
  Locate(LegsSprite, X - 0.1L * s, Y - 1);
  Locate(LyingSprite, X, Y);
  Locate(DyingSprite, X - 1 * s, Y);
  Locate(ArmourSprite, X, Y);
}

void THero::ResetForLevel() {
  ScrollPos = 0;
  LineOffset = 0;
  X = 0;
  Y = world::kCityGroundY;
  HalfHeight = kStandingHalfHeight;
  HalfWidth = kStandingHalfWidth;
  SetAim(kAimAhead);
  if (Crawling) StopCrawl();
  if (Prone) StandUp();
  StartWalk(1);
  iSpriteTextureSet(DyingSprite, DyingTex[FacingRight][1]);
  DeathFrame = 1;
  Prone = Falling = Walking = Rising = Crawling = Dead = 0;
  // A level may end in mid-jump or crouch: the next one starts on his feet.
  JumpPending = Landing = 0;
  JumpCounter = 0;
  // The level is cleared behind a hidden play screen; standing a lying hero
  // up must not bring his sprites back over the menus.
  HideFromPlayScreen();
}

void THero::ResetForNewGame() {
  // A run ended facing right keeps its last leg frame through ResetForLevel.
  SwapLegs(kLegsStanding);
  // A hero lying when the run ended was stood up, a lie's height above the ground.
  Y = world::kCityGroundY;
  GroundY = world::kCityGroundY;
  SurfaceHeight = 0;
  // Standing him up started a cool-down; a hero resumed from a snapshot has
  // his crawl's steps without crawling, which ResetForLevel leaves.
  StandCooldown = kStandReady;
  CrawlSteps = 0;
  CanCrawl = 0;
  // Times of the run before: a new run's first key presses must not be
  // measured against them.
  AnimTick = DeathTick = FireTick = UpPressTick = 0;
  LastShotTick = ChargeTick = 0;
  FlashAim = 0;
  GrenadeCharge = 0;
  PlaceSprites();
}

void THero::ChangeSide(uint8_t d) {
  if (d == FacingRight) return;
  const int to = d ? kRight : kLeft;
  iSpriteTextureSet(BodySprite, BodyTex[to][Aim]);
  iSpriteTextureSet(WeaponSprite, WeaponTex[to][WeaponPose]);
  iSpriteTextureSet(LegsSprite, LegsTex[to][LegFrame]);
  iSpriteTextureSet(LyingSprite, LyingTex[to][CrawlFrame]);
  iSpriteTextureSet(CrouchSprite, CrouchTex[to]);
  iSpriteTextureSet(DyingSprite, DyingTex[to][DeathFrame]);
  iSpriteTextureSet(BodyShadowSprite, BodyShadowTex[to][Aim]);
  iSpriteTextureSet(LegsShadowSprite, LegsShadowTex[to][LegFrame]);
  FacingRight = static_cast<uint8_t>(to);
}

void THero::SwapLegs(int32_t frame) {
  if (frame == LegFrame) return;
  iSpriteTextureSet(LegsSprite, LegsTex[FacingRight][frame]);
  iSpriteTextureSet(LegsShadowSprite, LegsShadowTex[FacingRight][frame]);
  LegFrame = frame;
}

void THero::SetAim(int32_t a) {
  if (a == Aim) return;
  iSpriteTextureSet(BodySprite, BodyTex[FacingRight][a]);
  iSpriteTextureSet(BodyShadowSprite, BodyShadowTex[FacingRight][a]);
  iSpriteTextureSet(WeaponSprite, WeaponTex[FacingRight][a]);
  Aim = WeaponPose = a;
}

void THero::StartWalk(uint8_t d) {
  if (d != FacingRight) {
    ChangeSide(d);
    SwapLegs(kLegsStanding);
    PlaceSprites();
    UpPressTick = 0;
  }
  Walking = 1;
  if (Falling) {
    ChangeSide(d);
    SwapLegs(kLegsStanding);
    Walking = 0;
  }
}

void THero::StopWalk() {
  SwapLegs(kLegsStanding);
  Walking = 0;
  iSoundStop(core::Ctx().res.stepSound, 0);
  PlaceSprites();
}

void THero::StartCrawl(uint8_t d) {
  if (Crawling) return;
  if (d != FacingRight) ChangeSide(d);
  iSpriteTextureSet(LyingSprite, LyingTex[FacingRight][2]);
  CrawlFrame = 2;
  CrawlSteps = 0;
  Crawling = 1;
  PlaceSprites();
}

void THero::StopCrawl() {
  iSpriteTextureSet(LyingSprite, LyingTex[FacingRight][1]);
  CrawlFrame = 1;
  CrawlSteps = 0;
  Crawling = 0;
  CanCrawl = 0;
  PlaceSprites();
}

void THero::ShowStandingSprites(bool show) {
  for (EHandle sprite : {LegsShadowSprite, LegsSprite, BodyShadowSprite, BodySprite, WeaponSprite}) {
    show ? iSpriteShow(sprite) : iSpriteHide(sprite);
  }
}

void THero::LieDown() {
  ShowStandingSprites(false);
  iSpriteShow(LyingSprite);
  Prone = 1;
  Y -= kLieDrop;
  PlaceSprites();
  StandCooldown = kStandReady;
  HalfHeight = kLyingHalfHeight;
  HalfWidth = kLyingHalfWidth;
  CanCrawl = 1;
}

void THero::StandUp() {
  ShowStandingSprites(true);
  iSpriteHide(LyingSprite);
  StopCrawl();
  Prone = 0;
  Y += kLieDrop;
  PlaceSprites();
  StandCooldown -= 1;
  HalfHeight = kStandingHalfHeight;
  HalfWidth = kStandingHalfWidth;
  CanCrawl = 1;
}

void THero::Crouch() {
  ShowStandingSprites(false);
  Locate(CrouchSprite, X, Y - 1);
  iSpriteShow(CrouchSprite);
  AnimTick = platform::GetTickCount();
}

void THero::EndCrouch() {
  iSpriteHide(CrouchSprite);
  ShowStandingSprites(true);
}

void THero::AirPose(uint8_t d) {
  const int32_t airFrame = Falling ? kLegsFalling : (Rising ? kLegsRising : 0);
  if (d == FacingRight && airFrame != 0 && LegFrame == airFrame) return;
  ChangeSide(d);
  if (airFrame != 0) SwapLegs(airFrame);
}

void THero::ShowOnPlayScreen() {
  // The one pose his flags describe: dying, crouching before a jump or after
  // a landing, lying, or standing.
  if (Dead) {
    iSpriteShow(DyingSprite);
  } else if (JumpPending || Landing) {
    Locate(CrouchSprite, X, Y - 1);
    iSpriteShow(CrouchSprite);
  } else if (Prone) {
    iSpriteShow(LyingSprite);
  } else {
    ShowStandingSprites(true);
  }
  if (game_.Armor() > 0) iSpriteShow(ArmourSprite);
}

void THero::HideFromPlayScreen() {
  // Every part, so that no pose of a dying or crouching hero stays on the menus.
  ShowStandingSprites(false);
  for (EHandle sprite : {LyingSprite, CrouchSprite, DyingSprite, FlashSpriteABE, FlashSpriteC, ArmourSprite}) {
    iSpriteHide(sprite);
  }
}

void THero::SetPriority(int32_t priority) {
  for (EHandle sprite : {BodySprite, WeaponSprite, LegsSprite, LyingSprite, CrouchSprite, DyingSprite, BodyShadowSprite,
                         LegsShadowSprite, FlashSpriteABE, FlashSpriteC, ArmourSprite}) {
    iSpritePrioritySet(sprite, priority);
  }
}

void THero::TakeHit(int32_t n) {
  if (game_.Energy() <= 0) return;
  const core::SharedResources& res = core::Ctx().res;
  iSoundPlayNow(res.hitSound, 0);
  if (game_.Armor() > 0) {
    // Armour soaks the whole hit, however large.
    game_.SetArmor(game_.Armor() - n);
    if (game_.Armor() <= 0) {
      game_.SetArmor(0);
      iSpriteHide(ArmourSprite);
    }
    return;
  }
  const int32_t before = game_.Energy();
  const int32_t after = std::max(before - n, 0);
  game_.ShowEnergy(after);
  game_.SetEnergy(after);
  if (after > 0) return;
  iSoundPlayNow(res.heroDeathSound, 0);
  FallFromView();
}

// The body gives way to the dying animation.
void THero::FallFromView() {
  Dead = 1;
  ShowStandingSprites(false);
  iSpriteHide(LyingSprite);
  iSpriteHide(CrouchSprite);
  iSpriteShow(DyingSprite);
}

void THero::CheckGap() {
  CollisionRect probe = Box();
  probe.Bottom = static_cast<double>(static_cast<long double>(probe.Bottom) - kGapProbe);
  const auto& wagons = game_.wagons;
  for (size_t i = 0; i < wagons.size(); ++i) {
    const world::PlacedSprite& w = wagons[i];
    const long double x = w.x, y = w.y;
    CollisionRect gap;
    if (w.kind == 1) {
      gap = {static_cast<double>(y + kFlatGapTop), static_cast<double>(x + kGapLeft),
             static_cast<double>(y - kFlatGapBottom), static_cast<double>(x + kFlatGapRight)};
    } else if (w.kind == 2 || w.kind == 3) {
      const bool beforeFlat = i + 1 < wagons.size() && wagons[i + 1].kind == 1;
      gap = {static_cast<double>(y + (beforeFlat ? kBeforeFlatTop : kBoxGapTop)), static_cast<double>(x + kGapLeft),
             static_cast<double>(y - (beforeFlat ? kBeforeFlatBottom : kBoxGapBottom)),
             static_cast<double>(x + kBoxGapRight)};
    } else {
      continue;
    }
    if (!RectsOverlap(probe, gap)) continue;
    FallFromView();
    Y -= kGapFall;
    PlaceSprites();
    return;
  }
}

void THero::DeathStep() {
  const uint32_t now = platform::GetTickCount();
  if (now - DeathTick < kDeathStepMs) return;
  DeathTick = now;
  if (DeathFrame < kLastDeathFrame) {
    iSpriteTextureSet(DyingSprite, DyingTex[FacingRight][DeathFrame + 1]);
    ++DeathFrame;
    return;
  }
  EndOfDeath();
}

void THero::EndOfDeath() {
  core::GameContext& ctx = core::Ctx();
  if (game_.Lives() < 2) {
    core::SetGameState(core::gsGameOver);
    game_.session.GameLost();
    iSpriteShow(ctx.res.gameOverPicture);
    return;
  }
  // The next build repeats this level number with a new layout.
  game_.SetLevel(game_.Level() - 1);
  game_.ShowEnergy(kFullEnergy);
  game_.SetEnergy(kFullEnergy);
  EHandle& livesSprite = game_.sharedImages[world::kLivesSprite];
  iSpriteTextureSet(livesSprite, game_.LivesTexture(game_.Lives()));
  iSpriteHide(livesSprite);
  iSpriteDestroy(livesSprite);
  livesSprite = 0;
  game_.SetLives(game_.Lives() - 1);
  game_.ClearLevel();
  game_.session.LevelLeft();
  core::SetGameState(core::gsLevelIntro);
  world::HidePlayScreen();
  iSpriteHide(ctx.res.menuBackground);
}

void THero::EndOfLevel() {
  game_.ClearLevel();
  game_.session.LevelLeft();
  core::SetGameState(core::gsLevelIntro);
  world::HidePlayScreen();
  iSpriteHide(core::Ctx().res.menuBackground);
}

void THero::CrouchPhase() {
  EndCrouch();
  if (JumpPending) {
    Rising = 1;
    JumpCounter = 0;
    AirPose(FacingRight);
    JumpPending = 0;
  }
  if (Landing) {
    StartWalk(FacingRight);
    Falling = 0;
    Walking = 0;
    JumpCounter = 0;
    SetAim(kAimAhead);
    PlaceSprites();
    Landing = 0;
  }
}

void THero::HeroUpdate() {
  if (Dead) {
    DeathStep();
    return;
  }
  if (game_.levelKind == world::kTrainLevel) {
    CheckGap();
    if (Dead) return;
  }
  world::CombatHooks* combat = game_.combat;
  if (combat) combat->MoveHeroShots();
  if (ScrollPos >= kLevelEndPos) {
    EndOfLevel();
    return;
  }
  if (FlashAim != 0) {
    iSpriteHide(FlashSpriteABE);
    iSpriteHide(FlashSpriteC);
    if (!Prone && combat) combat->Recoil(false);
    FlashAim = 0;
  }
  // Nothing else happens during the short crouches, shooting included.
  if (JumpPending || Landing) {
    if (platform::GetTickCount() - AnimTick < kCrouchMs) return;
    CrouchPhase();
    return;
  }
  if (StandCooldown < kStandReady) StandCooldown = StandCooldown < 1 ? kStandReady : StandCooldown - 1;
  if (combat) combat->CollectPopupsAndPickups();

  const Keys keys = ReadKeys();
  KeysStep(keys);
  bool pushedOff = false;
  if (!Rising && !Falling) pushedOff = SupportStep();
  if (!pushedOff) {
    if (Walking) WalkStep(keys);
    if (Crawling) CrawlStep();
  }
  if (Rising) RiseStep(keys);
  if (Falling) FallStep(keys);

  if (combat) combat->HeroWeapons();
}

}  // namespace actors
