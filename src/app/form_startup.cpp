// The main window's start-up: the frames the game's clock follows, the
// player's files and the restart record read at creation, and the engine
// started on the window (at once, or when a minimised restart is shown).
#include <cstdlib>

#include "actors/combat.h"
#include "app/main_form.h"
#include "core/controls.h"
#include "core/game_context.h"
#include "core/game_files.h"
#include "core/player_files.h"
#include "core/restart_record.h"
#include "menus/front_end.h"
#include "online/score_server.h"
#include "platform/game_path.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "world/game.h"

namespace app {
namespace {

// A fixed random seed (decimal), so benchmarks and bug reports replay the same levels.
constexpr const char* kSeedVariable = "VARNOK_SEED";

}  // namespace

void TMainForm::FollowEngineFrames(platform::FrameTickClock& clock, bool seedFromClock) {
  frameClock_ = &clock;
  seedFromFrameClock_ = seedFromClock;
  EngineHost.OnFrameCounted = [this](int64_t, bool runPhase, const std::function<bool()>& stopping) {
    if (!timersFollowFrames_) {
      window_.SetTimersFollowFrames(true);
      timersFollowFrames_ = true;
    }
    // Time is run phases, not the engine's count of frames, which also goes
    // on while the window is minimised and nothing runs: a machine that
    // draws slowly slows the whole game evenly, and a replay needs only its
    // frames. What the timers do (most of it posted to the frame) is then in
    // place before the frame runs, whatever the machine's pace.
    if (runPhase && frameClock_->Follow(++runPhases_)) window_.Sync(stopping);
    // A window closed by then (a quit the engine forwarded) ends the frames
    // after this one, rather than whenever the main thread gets to stopping
    // the engine, so the last frame is the same on every run.
    return window_.Closed();
  };
  EngineHost.OnFramesEnded = [this] {
    // Without frames the timers (a relaunch delay) run on real time.
    frameClock_->Release();
    window_.SetTimersFollowFrames(false);
    timersFollowFrames_ = false;
  };
}

void TMainForm::FormCreate() {
  ReadStartupFiles();
  core::GameContext& ctx = core::Ctx();
  if (!ctx.restarted) {
    core::SetGameState(core::gsMainMenu);
    StartEngineOnWindow();
    return;
  }
  if (ctx.restart.openEngine == 1) {
    StartEngineOnWindow();
  } else {
    waitingForActivation_ = true;
    window_.Minimize();
    // The record stays until the engine opens (ReadRestartRecord). Should
    // this process end unseen, the next start is the player's own: it opens
    // at once and opens no page again. A failed write leaves the record as
    // it was, minimised start and pages included.
    core::RestartRecord later = ctx.restart;
    later.openEngine = 1;
    later.openMoreGames = later.openScoreTable = 0;
    core::WriteRestartRecord(later);
  }
  if (ctx.restart.openMoreGames) platform::Shell::Open(platform::GamePath(core::kMoreGamesLink));
  if (ctx.restart.openScoreTable) platform::Shell::Open(online::OnlineTableUrl());
  // Opened once: a later restart's record must not open the pages again.
  ctx.restart.openMoreGames = 0;
  ctx.restart.openScoreTable = 0;
}

void TMainForm::ReadStartupFiles() {
  core::GameContext& ctx = core::Ctx();
  ctx.pendingSoundRestore = false;
  if (!ctx.random.SeedFromText(std::getenv(kSeedVariable))) {
    // Time that follows the frames starts where it always does: a window-less
    // game lays out the same levels on every run, as it plays them.
    if (frameClock_ && seedFromFrameClock_) {
      ctx.random.Seed(frameClock_->FrameTicks());
    } else {
      ctx.random.SeedFromClock();
    }
  }
  ctx.musicChoice = 1;

  core::LoadSettings(ctx.ActiveSettings);
  core::LoadRecords(ctx.records);
  ctx.controls = core::LoadControls();
  if (auto record = core::ReadRestartRecord()) {
    ctx.restart = *record;
    ctx.restarted = true;
    core::SetGameState(record->gameState);
    ctx.musicChoice = record->musicChoice;
  } else {
    ctx.restarted = false;
  }
  if (ctx.restarted && runObserver) runObserver->ResumedAfterRestart();

  // The menus and the world live as long as the window; their sprites come with the engine.
  menus::MakeFrontEnd(ctx);
  ctx.game = std::make_unique<world::TGame>();
  // The fight is installed before the world's resources are made: the hero's
  // set-up makes his projectile pools through it.
  ctx.combat = std::make_unique<actors::TCombat>(*ctx.game);
  ctx.game->combat = ctx.combat.get();
  ctx.game->worldActive = 0;
  ctx.game->session.recordsCheck = [] { return menus::EndOfRunCheck(); };
  ctx.game->runClearing = [this] {
    if (runObserver) runObserver->RunClearing();
  };
}

void TMainForm::StartEngineOnWindow() {
  const bool windowed = core::Ctx().ActiveSettings.Windowed == 1;
  try {
    EngineHost.StartEngine(windowed ? window_.Handle() : 0);
  } catch (const engine_link::EngineMissingError& error) {
    platform::ShowMessageBox("Varnok", error.what());
    // Without an engine there is no window to close on this system: end the process.
    window_.Close();
    return;
  }
  if (windowed) iWindowsMouseHide(-1);
}

}  // namespace app
