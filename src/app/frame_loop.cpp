// EngineRun: the work of one frame, chosen by GameState.
#include <string>

#include "app/game_context.h"
#include "app/main_form.h"
#include "actors/fire.h"
#include "app/music.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace app {
namespace {

constexpr uint32_t kCursorStepMs = 20;

// The play screen's captions, in the font's glyph code (ASCII).
constexpr const char* kLevelLabel = "LEVEL: ";  // 7 bytes, then the number
constexpr EngineVec kLevelTextAt{9, 8.9f, 0};
constexpr EngineVec kScoreTextAt{9.5f, 9.7f, 0};
constexpr EngineVec kHudTextScale{0.35f, 0.35f, 0};

bool FiresBurn(uint8_t state) { return state == gsPlaying || state == gsPaused || state == gsGameExitConfirm; }

}  // namespace

void TMainForm::PlayScreenTexts() {
  const GameContext& ctx = Ctx();
  iPrintColorSet(0, 1, 0, 1);
  const std::string level = kLevelLabel + std::to_string(ctx.game->Level());
  iPrint(level.c_str(), &kLevelTextAt, &kHudTextScale, 0, ctx.res.mainFont);
  const std::string score = std::to_string(ctx.game->Score());
  iPrint(score.c_str(), &kScoreTextAt, &kHudTextScale, 0, ctx.res.mainFont);
  iPrintColorSet(1, 1, 1, 1);
}

void TMainForm::CursorAnimationStep() {
  GameContext& ctx = Ctx();
  const uint32_t now = platform::GetTickCount();
  if (now - ctx.cursorTick <= kCursorStepMs) return;
  ctx.cursorTick = now;
  iSpriteTextureSwap(ctx.res.cursorSprite, ctx.res.cursorTextures[ctx.cursorFrame]);
  ctx.cursorFrame = ctx.cursorFrame % kCursorFrames + 1;
  iSpriteTextureSwap(ctx.res.cursorSprite, ctx.res.cursorTextures[ctx.cursorFrame]);
}

void TMainForm::SoundUpkeep() {
  const SharedResources& res = Ctx().res;
  const uint8_t state = GameState();
  if (state != gsPlaying) {
    for (EHandle sound : {res.stepSound, res.gunSound, res.laserSound, res.fireSound}) iSoundStop(sound, 0);
  }
  if (state != gsPlaying && state != gsGameExitConfirm) iSoundStop(res.railwaySound, 0);
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

  const uint8_t state = GameState();
  if (state != gsPlaying && state != gsPaused && state != gsLevelIntro && state != gsGameOver) {
    CursorAnimationStep();
  }
  if (state == gsShareScreen) return;

  // Texts stay until they are hidden: the play screen's are printed anew
  // every frame, so last frame's go first.
  if (hudTextsShown_) {
    iPrintsHide();
    hudTextsShown_ = false;
  }

  SoundUpkeep();

  world::TGame* game = Ctx().game.get();
  if (game && GameState() == gsLevelBuild) {
    // The main menu's start makes the world's resources first; a build
    // reached any other way must not run without them.
    if (!game->worldActive) game->CreateWorldResources();
    game->StartNextLevel();
    SetGameState(gsPlaying);
  }
  if (game && game->worldActive && GameState() == gsPlaying) game->WorldStep();
  if (game && FiresBurn(GameState())) {
    for (const auto& thing : game->foregroundObjects) {
      if (thing->IsFire()) static_cast<actors::TFire&>(*thing).Emit();
    }
  }
  if (game && game->worldActive && FiresBurn(GameState())) {
    PlayScreenTexts();
    hudTextsShown_ = true;
  }

  SoundRestoreAfterHide();
}

}  // namespace app
