// The main window and its restarts: the window's commands and activation,
// the restarts (a new display mode, a link opened, the hide key) and the
// timers that delay them. Start-up is form_startup.cpp, the frame
// frame_loop.cpp.
#include "app/main_form.h"

#include <cstdio>
#include <string>

#include "core/game_context.h"
#include "core/game_files.h"
#include "core/music.h"
#include "core/replay_file.h"
#include "app/world_resume.h"
#include "menus/front_end.h"
#include "platform/game_path.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "world/game.h"

namespace app {

TMainForm::TMainForm(engine_link::EngineLibrary& library) : EngineHost(library), library_(library) {
  EngineHost.OnInit = [this] { EngineInit(); };
  EngineHost.OnRun = [this] { EngineRun(); };
  EngineHost.OnExit = [this] { EngineExit(); };
  EngineHost.SkipSettingsPanel = true;
  EngineHost.FullScreen = [] { return core::Ctx().ActiveSettings.Windowed != 1; };
  EngineHost.ActivateWindow = [](intptr_t handle) {
    if (auto* window = platform::MainWindow::FromHandle(handle)) window->PostCommand(VARNOK_WINDOW_ACTIVATE);
  };
  // Without a window nothing would ever close the main window: say why and end.
  EngineHost.OnOpenRefused = [this] {
    window_.Post([this] {
      windowRefused_ = true;
      platform::ShowMessageBox("Varnok", kWindowRefusedMessage);
      window_.Close();
    });
  };

  window_.OnSystemCommand = [this](int32_t command) { return SystemCommand(command); };
  window_.OnActivate = [this] {
    ApplicationEvents1Activate();
    FormActivate();
  };
  window_.OnShowCommand = [this](int32_t command) { library_.phases().iWindowCommand(command); };
  library_.phases().iWindowLinkSet(window_.Link());

  auto relaunchTimer = [this] { CloseAndRelaunch(); };
  Timer1 = window_.AddTimer(kRestartDelayMs, relaunchTimer);
  Timer2 = window_.AddTimer(kRestartDelayMs, relaunchTimer);
  Timer3 = window_.AddTimer(kRestartDelayMs, [this] { window_.Close(); });
  Timer4 = window_.AddTimer(kRestartDelayMs, relaunchTimer);

  core::Ctx().shell = this;
}

TMainForm::~TMainForm() {
  // The score client posts its outcome to this window's frame tasks: it ends first.
  if (core::Ctx().frontEnd) core::Ctx().frontEnd->submission.Stop();
  // A last frame may still ask for the window while the engine stops.
  EngineHost.StopEngine();
  if (core::Ctx().shell == this) core::Ctx().shell = nullptr;
  library_.phases().iWindowLinkSet(nullptr);
}

void TMainForm::FormActivate() {
  // Only the first activation after a minimised restart opens the engine.
  // Reopening a running engine on every activation would rebuild the game
  // from its restart snapshot and lose the play since.
  if (!core::Ctx().restarted || !waitingForActivation_) return;
  waitingForActivation_ = false;
  StartEngineOnWindow();
  core::PlayMusic("1");
}

void TMainForm::ApplicationEvents1Activate() {
  if (core::Ctx().ActiveSettings.Windowed == 1 && window_.State() != platform::WindowState::kNormal) window_.Restore();
}

bool TMainForm::SystemCommand(int32_t command) {
  switch (command) {
    case VARNOK_WINDOW_MAXIMIZE:
    case VARNOK_WINDOW_CAPTION_DOUBLE_CLICK:
      // The snapshot reads the world, which belongs to the frame thread while an engine runs.
      if (EngineHost.Running()) {
        QueueFrameCommand(core::FrameCommand::kSwitchWindowMode);
      } else {
        SwitchWindowMode();
      }
      return true;
    case VARNOK_WINDOW_CLOSE:
      // While a replay plays, the close box ends it (the state read is the watched game's).
      if (watching_ || core::TraitsOf(core::GameState()).closeBoxAsksToQuit) QueueFrameCommand(core::FrameCommand::kCloseBox);
      return true;  // the close box never closes the window itself
    case VARNOK_WINDOW_MINIMIZE:
      QueueFrameCommand(core::FrameCommand::kMinimize);
      return false;
    case VARNOK_WINDOW_PAD_REMOVED:
      QueueFrameCommand(core::FrameCommand::kPadRemoved);
      return true;
    default:
      return false;
  }
}

void TMainForm::EngineExit() { iExit(); }

void TMainForm::Interrupt(int kind) {
  int timer = -1;
  switch (kind) {
    case 1: timer = Timer1; break;
    case 2: timer = Timer2; break;
    case 3: timer = Timer3; break;
    case 4: timer = Timer4; break;
    default: return;
  }
  restarting_ = true;
  EngineExit();
  window_.SetTimerEnabled(timer, true);
  if (kind == 3) platform::Shell::Open(platform::GamePath(core::kPlayLink));
}

void TMainForm::PostToWindow(std::function<void()> task) { window_.Post(std::move(task)); }

void TMainForm::Minimize() { window_.Minimize(); }

void TMainForm::RestartAndOpenLink() { Interrupt(4); }

void TMainForm::ExitAndOpenPlayLink() { Interrupt(3); }

void TMainForm::Exit() {
  EngineExit();
  window_.SetTimerEnabled(Timer3, true);
}

void TMainForm::CloseAndRelaunch() {
  window_.Close();
  // The engine's window is gone before the new process opens its own, and
  // what the engine leaves for it in the environment (the window's place) is there.
  EngineHost.StopEngine();
  if (HandOverPlayerFiles) HandOverPlayerFiles();
  if (frameClock_) {
    // The snapshot's times go on in the next process as they would on the real clock.
    ::setenv(kFrameTicksVariable, std::to_string(frameClock_->FrameTicks()).c_str(), 1);
  }
  if (!RelaunchArguments.empty()) ::setenv(kWatchWindowedVariable, core::Ctx().ActiveSettings.Windowed == 1 ? "1" : "0", 1);
  platform::RelaunchSelf(RelaunchArguments);
}

bool TMainForm::WriteRestart(uint8_t openEngine) {
  core::GameContext& ctx = core::Ctx();
  const uint8_t state = core::StateToResume(core::GameState());
  // The snapshot first: a record must never point at a game that was not
  // saved whole (a part-written one would mix two games). A game that could
  // not be saved is not given up for a restart: it goes on in this process.
  if (!SaveGameForRestart(state)) return false;
  core::RestartRecord record = ctx.restart;
  record.openEngine = openEngine;
  record.gameState = state;
  record.musicChoice = ctx.musicChoice;
  if (!core::WriteRestartRecord(record)) return false;
  ctx.restart = record;
  // The record this process started by, if still pending, is replaced: using
  // it up would now delete the new one.
  ctx.restartRecordPending = false;
  // The game goes on without its replay rather than not at all (the player is told).
  if (runObserver) runObserver->SaveForRestart();
  return true;
}

void TMainForm::SwitchWindowMode() {
  // Alt+Enter is seen on every frame it is held: one switch per restart.
  if (restarting_) return;
  core::GameContext& ctx = core::Ctx();
  if (!WriteRestart(1)) return;
  const uint8_t windowed = ctx.ActiveSettings.Windowed == 1 ? 0 : 1;
  // Sound muted by the hide key is not the player's setting: the file keeps theirs.
  core::TSettings saved = ctx.ActiveSettings;
  saved.Windowed = windowed;
  if (ctx.pendingSoundRestore) {
    saved.MusicOn = ctx.rememberedMusicOn;
    saved.SoundOn = ctx.rememberedSoundOn;
  }
  // The new process takes its window mode from the file: a mode that could
  // not be saved would only restart into the same one. The game stays, and
  // its record goes again so that no later start resumes it.
  if (!core::SaveSettings(saved) && core::RemoveRestartRecord()) return;
  Interrupt(2);
  ctx.ActiveSettings.Windowed = windowed;
}

void TMainForm::RestartIntoNewMode() {
  if (restarting_ || !WriteRestart(1)) return;
  Interrupt(2);
}

void TMainForm::HideGame() {
  core::GameContext& ctx = core::Ctx();
  const uint8_t state = core::GameState();
  if (core::TraitsOf(state).ignoresHideKey || restarting_) return;
  if (ctx.ActiveSettings.Windowed == 0) {
    if (WriteRestart(0)) {
      Interrupt(1);
    } else if (state == core::gsPlaying) {
      // The game could not be saved to hide it: at least it does not play on
      // while the player looks away.
      core::SetGameState(core::gsPaused);
    }
    return;
  }
  // A second press while hidden must not remember the muted values.
  if (!ctx.pendingSoundRestore) {
    ctx.rememberedMusicOn = ctx.ActiveSettings.MusicOn;
    ctx.rememberedSoundOn = ctx.ActiveSettings.SoundOn;
  }
  ctx.pendingSoundRestore = true;
  // A hidden game does not play on behind the player's back.
  if (state == core::gsPlaying) core::SetGameState(core::gsPaused);
  window_.Minimize();
  ctx.ActiveSettings.SoundOn = 0;
  ctx.ActiveSettings.MusicOn = 0;
  core::StopMusic("");
}

}  // namespace app
