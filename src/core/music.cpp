#include "core/music.h"

#include "core/game_context.h"

namespace core {

namespace {
constexpr int32_t kLoopForever = -1;
}

void PlayMusic(std::string_view name) {
  GameContext& ctx = Ctx();
  if (!ctx.ActiveSettings.MusicOn) return;
  if (name == "1") {
    iSoundStop(ctx.res.gameMusic, 0);
    iSoundPlayNow(ctx.res.menuMusic, kLoopForever);
  } else if (name == "2") {
    iSoundStop(ctx.res.menuMusic, 0);
    iSoundPlayNow(ctx.res.gameMusic, kLoopForever);
  }
}

void StopMusic(std::string_view) {
  iSoundStop(Ctx().res.menuMusic, 0);
  iSoundStop(Ctx().res.gameMusic, 0);
}

}  // namespace core
