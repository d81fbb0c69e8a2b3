#include "world/play_session.h"

#include "core/game_context.h"
#include "core/music.h"
#include "platform/tick_clock.h"
#include "world/game.h"

namespace world {
namespace {

bool Over(const std::optional<uint32_t>& since, uint32_t now, uint32_t lengthMs) {
  return since && now - *since >= lengthMs;
}

}  // namespace

void PlaySession::LevelLeft() { levelPauseSince_ = platform::GetTickCount(); }

void PlaySession::GameLost() { gameOverSince_ = platform::GetTickCount(); }

void PlaySession::AwaitRecordsCheck() { recordsWaitSince_ = platform::GetTickCount(); }

void PlaySession::FrameStart() {
  const uint32_t now = platform::GetTickCount();
  core::GameContext& ctx = core::Ctx();
  core::SharedResources& res = ctx.res;
  if (Over(levelPauseSince_, now, kLevelTransitionMs)) {
    levelPauseSince_.reset();
    // The coming level's loading screen, drawn at once, then its build.
    const bool trainNext = (game_.Level() + 1) % kTrainLevelEvery == 0;
    iSpriteShow(trainNext ? res.loadingPicture2 : res.loadingPicture1);
    iSpriteTextureSet(res.loadingBar, res.loadingBarTextures[1]);
    iSpriteShow(res.loadingBar);
    iRender();
    core::SetGameState(core::gsLevelBuild);
  }
  if (Over(gameOverSince_, now, kGameOverMs)) {
    gameOverSince_.reset();
    recordsWaitSince_ = now;
    core::SetGameState(core::gsGameOverWait);
  }
  if (Over(recordsWaitSince_, now, kRecordsCheckMs)) {
    recordsWaitSince_.reset();
    iSpriteHide(res.gameOverPicture);
    if (!recordsCheck || !recordsCheck()) {
      core::StopMusic("2");
      core::PlayMusic("1");
    }
    iSpriteShow(res.cursorSprite);
  }
}

}  // namespace world
