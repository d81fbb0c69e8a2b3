// EngineRun: the work of one frame, chosen by GameState.
#include "app/game_context.h"
#include "app/main_form.h"
#include "app/music.h"
#include "platform/tick_clock.h"

namespace app {
namespace {

constexpr uint32_t kCursorStepMs = 20;

}  // namespace

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

  SoundUpkeep();
  SoundRestoreAfterHide();
}

}  // namespace app
