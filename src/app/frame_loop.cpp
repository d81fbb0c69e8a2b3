// EngineRun: the work of one frame, chosen by GameState.
#include <string>

#include "core/game_context.h"
#include "app/main_form.h"
#include "actors/fire.h"
#include "app/input_steps.h"
#include "core/music.h"
#include "menus/front_end.h"
#include "menus/world_access.h"
#include "platform/tick_clock.h"
#include "menus/share_screen.h"
#include "world/game.h"

namespace app {
namespace {

constexpr uint32_t kCursorStepMs = 20;

// The play screen's captions, in the font's glyph code (ASCII).
constexpr const char* kLevelLabel = "LEVEL: ";  // 7 bytes, then the number
constexpr EngineVec kLevelTextAt{9, 8.9f, 0};
constexpr EngineVec kScoreTextAt{9.5f, 9.7f, 0};
constexpr EngineVec kHudTextScale{0.35f, 0.35f, 0};

constexpr const char* kLevelCaption = "LEVEL   ";   // 8 bytes ending in a space, then the coming level
constexpr EngineVec kLevelCaptionAt{-7, 0, 0};
constexpr EngineVec kLevelCaptionScale{1, 1, 0};
constexpr const char* kPauseCaption = "PAUSED";
constexpr EngineVec kPauseCaptionAt{2, 0, 0};
constexpr EngineVec kPauseCaptionScale{2, 2, 0};
constexpr float kPrintSpacing = 0.1f;           // the font's own letter spacing, for every print
constexpr int32_t kFlameThrower = 4, kLaser = 3; // weapons with sounds of their own

// Loops of the weapons that are not in hand stop; no weapon sounds without Ctrl (fire).
void WeaponSoundUpkeep() {
  const SharedResources& res = Ctx().res;
  const uint8_t state = GameState();
  if (state == gsPlaying) {
    const bool firing = KeyHeld(keys::kLeftCtrl) || KeyHeld(keys::kRightCtrl);
    const int32_t weapon = menus::world::CurrentWeapon();
    const bool gunInHand = weapon != kFlameThrower && weapon != kLaser;
    if (!firing || weapon != kFlameThrower) iSoundStop(res.fireSound, 0);
    if (!firing || weapon != kLaser) iSoundStop(res.laserSound, 0);
    if (!firing || !gunInHand) iSoundStop(res.gunSound, 0);
  }
  // The railway loops on every train level (every third one).
  const world::TGame* game = Ctx().game.get();
  const bool onTrain = game && game->levelKind == world::kTrainLevel;
  if (TraitsOf(state).railwayPlays && onTrain && !iSoundPlaying(res.railwaySound)) {
    iSoundPlay(res.railwaySound, -1);
  }
}

// The active menu's work of the frame.
void MenuFrameUpdates() {
  menus::TFrontEnd& menus = menus::Menus();
  switch (TraitsOf(GameState()).screen) {
    case StateScreen::kHelp: menus.helpMenu.Update(); break;
    case StateScreen::kDialog: menus.exitMenu.Update(); break;
    case StateScreen::kRecords: menus.recordsMenu.Draw(); break;
    case StateScreen::kOptions: menus.optMenu.Draw(); break;
    case StateScreen::kRecordEntry: menus.recordInput.Draw(); break;
    default: break;
  }
}

void LevelIntroCaption() {
  // Printed texts stay until hidden: the caption is drawn afresh each frame.
  iPrintsHide();
  iPrintColorSet(1, 1, 1, 1);
  const std::string caption = kLevelCaption + std::to_string(menus::world::Level() + 1);
  iPrint(caption.c_str(), &kLevelCaptionAt, &kLevelCaptionScale, kPrintSpacing, Ctx().res.mainFont);
  iPrintColorSet(1, 1, 1, 1);
}

void PauseCaption() {
  iPrintColorSet(0.65f, 0.2f, 0.6f, 1.0f);
  iPrintCentered(kPauseCaption, &kPauseCaptionAt, &kPauseCaptionScale, kPrintSpacing, Ctx().res.mainFont, 0);
  iPrintColorSet(1, 1, 1, 1);
}

}  // namespace

void TMainForm::PlayScreenTexts() {
  const GameContext& ctx = Ctx();
  iPrintColorSet(0, 1, 0, 1);
  const std::string level = kLevelLabel + std::to_string(ctx.game->Level());
  iPrint(level.c_str(), &kLevelTextAt, &kHudTextScale, kPrintSpacing, ctx.res.mainFont);
  const std::string score = std::to_string(ctx.game->Score());
  iPrint(score.c_str(), &kScoreTextAt, &kHudTextScale, kPrintSpacing, ctx.res.mainFont);
  iPrintColorSet(1, 1, 1, 1);
}

void TMainForm::CursorAnimationStep() {
  GameContext& ctx = Ctx();
  const uint32_t now = platform::GetTickCount();
  if (now - ctx.cursorTick <= kCursorStepMs) return;
  ctx.cursorTick = now;
  ctx.cursorFrame = ctx.cursorFrame % kCursorFrames + 1;
  iSpriteTextureSet(ctx.res.cursorSprite, ctx.res.cursorTextures[ctx.cursorFrame]);
}

void TMainForm::SoundUpkeep() {
  const SharedResources& res = Ctx().res;
  const uint8_t state = GameState();
  if (state != gsPlaying) {
    for (EHandle sound : {res.stepSound, res.gunSound, res.laserSound, res.fireSound}) iSoundStop(sound, 0);
  }
  if (!TraitsOf(state).railwayPlays) iSoundStop(res.railwaySound, 0);
}

void TMainForm::SoundRestoreAfterHide() {
  GameContext& ctx = Ctx();
  if (!ctx.pendingSoundRestore || window_.State() != platform::WindowState::kNormal) return;
  ctx.ActiveSettings.SoundOn = ctx.rememberedSoundOn;
  ctx.ActiveSettings.MusicOn = ctx.rememberedMusicOn;
  ctx.pendingSoundRestore = false;
  if (ctx.ActiveSettings.MusicOn) PlayMusic(ctx.musicChoice != 0 ? "1" : "2");
}

void TMainForm::EngineRun() {
  // Work that other threads handed to the frame thread comes first.
  RunFrameTasks();
  if (watch_ || watchAtStart_) {
    WatchFrame();
    return;
  }
  RunFrame(CaptureFrameInput(TakeFrameCommands()));
}

void TMainForm::RunFrame(const FrameInput& input) {
  Ctx().frameInput.Begin(input);
  if (runObserver) runObserver->FrameBegun(input);
  for (FrameCommand command : input.commands) ApplyFrameCommand(command);

  const uint8_t state = GameState();
  if (!TraitsOf(state).cursorStill) CursorAnimationStep();
  if (state == gsShareScreen) {
    if (auto& screen = menus::Menus().shareScreen) {
      screen->HoverStep();
      screen->Draw();
    }
    if (runObserver) runObserver->FrameEnded();
    return;
  }

  KeyboardStep(*this);
  MouseMoveStep();
  MouseClickStep();
  // Only the main menu's start goes from no game to a level build.
  if (runObserver && !GameInProgress(state) && GameState() == gsLevelBuild && !restarting_) {
    runObserver->RunStarted(input);
  }

  FrameWork();
  if (runObserver) runObserver->FrameEnded();
}

void TMainForm::RunStartFrame(const FrameInput& input) {
  Ctx().frameInput.Begin(input);
  FrameWork();
  if (runObserver) runObserver->FrameEnded();
}

void TMainForm::FrameWork() {
  // Texts stay until they are hidden: the play screen's are printed anew
  // every frame, so last frame's go first.
  if (hudTextsShown_) {
    iPrintsHide();
    hudTextsShown_ = false;
  }

  SoundUpkeep();
  WeaponSoundUpkeep();
  MenuFrameUpdates();
  if (GameState() == gsLevelIntro) LevelIntroCaption();

  world::TGame* game = Ctx().game.get();
  if (game && GameState() == gsLevelBuild) {
    // The main menu's start makes the world's resources first; a build
    // reached any other way must not run without them.
    if (!game->worldActive) game->CreateWorldResources();
    game->StartNextLevel();
    SetGameState(gsPlaying);
  }
  if (game && game->worldActive && GameState() == gsPlaying) game->WorldStep();
  if (GameState() == gsPaused) PauseCaption();
  if (game && TraitsOf(GameState()).firesBurn) {
    for (const auto& thing : game->foregroundObjects) {
      if (actors::TFire* fire = thing->AsFire()) fire->Emit();
    }
  }
  if (TraitsOf(GameState()).mainMenuBeside) menus::Menus().mainMenu.HighlightFade();
  if (game && game->worldActive && TraitsOf(GameState()).firesBurn) {
    PlayScreenTexts();
    hudTextsShown_ = true;
  }

  SoundRestoreAfterHide();
}

}  // namespace app
