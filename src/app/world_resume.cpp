#include "app/world_resume.h"

#include <cstdio>
#include <string>

#include "core/game_context.h"
#include "core/restart_record.h"
#include "menus/front_end.h"
#include "world/game.h"
#include "world/world_snapshot.h"

namespace app {

bool SaveGameForRestart(uint8_t resumedState) {
  core::GameContext& ctx = core::Ctx();
  if (!core::GameInProgress(resumedState) || !ctx.game || !ctx.game->worldActive) return true;
  world::SnapshotExtras extras;
  extras.pendingRecordRank = ctx.pendingRecordRank;
  if (ctx.frontEnd) extras.name = ctx.frontEnd->recordInput.name();
  return world::SaveWorldSnapshot(*ctx.game, extras);
}

void ResumeWorld() {
  core::GameContext& ctx = core::Ctx();
  const uint8_t state = core::GameState();
  if (!core::GameInProgress(state) || !ctx.game) return;
  world::TGame& game = *ctx.game;
  // An earlier init of this process made and restored the world already.
  if (game.worldActive) return;

  std::string why;
  const auto snapshot = world::ReadWorldSnapshot(why);
  // Before the rebuild: a snapshot whose rebuild ended the process must not
  // be tried again at every start. One that cannot be read never will be.
  core::UseUpRestartRecord();
  if (!snapshot) {
    std::fprintf(stderr, "varnok: the game could not be resumed (%s); back to the main menu\n", why.c_str());
    core::SetGameState(core::gsMainMenu);
    ctx.musicChoice = 1;
    return;
  }
  game.CreateWorldResources();
  const world::SnapshotExtras extras = world::ExtrasOf(snapshot->header);
  ctx.pendingRecordRank = extras.pendingRecordRank;
  if (ctx.frontEnd) ctx.frontEnd->recordInput.name() = extras.name;

  if (state == core::gsLevelIntro || state == core::gsLevelBuild) {
    // The level was already cleared: the next one is built with the run's counters.
    world::RestoreCounters(game, snapshot->header);
    game.StartNextLevel();
    core::SetGameState(core::gsPlaying);
    return;
  }
  world::RestoreWorld(game, *snapshot);
}

}  // namespace app
