// TMainForm: the main window's owner and the game's application shell. It
// reads the player files at creation, starts the engine host on the window
// (or full screen), answers the window's system commands, runs the timers of
// the restart, and handles the engine's init, run and exit events.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/replay_watch.h"
#include "app/run_observer.h"
#include "core/frame_input.h"
#include "core/pad_keys.h"
#include "core/shell.h"
#include "engine_link/engine_host.h"
#include "platform/main_window.h"
#include "platform/tick_clock.h"

namespace app {

inline constexpr const char* kRelaunchAfterExit = "fscommand/wgame.exe";
inline constexpr uint32_t kRestartDelayMs = 100;  // Timer1..4
inline constexpr uint32_t kFrameMs = 15;              // the engine's frame period (iFrqSet)
// Where a relaunched window-less game takes its clock up (the time of the last frame).
inline constexpr const char* kFrameTicksVariable = "VARNOK_FRAME_TICKS";
// The window mode a game watching a replay file restarts into (Alt+Enter):
// it keeps the player's settings as they are.
inline constexpr const char* kWatchWindowedVariable = "VARNOK_WATCH_WINDOWED";
inline constexpr const char* kWindowRefusedMessage =
    "The game window could not be opened: no graphical display can be reached.";

class TMainForm final : public core::Shell {
 public:
  explicit TMainForm(engine_link::EngineLibrary& library = engine_link::TheEngineLibrary());
  // Ends a running engine instance before the window goes.
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  platform::MainWindow& Window() { return window_; }
  // The engine could not open its window: the message was shown and the
  // main window closed; the process should end with a failure.
  bool WindowRefused() const { return windowRefused_; }
  engine_link::TEngineHost EngineHost;
  // Lets go of the player files just before a relaunch starts the next copy,
  // which waits for them; this process writes none of them any more.
  std::function<void()> HandOverPlayerFiles;
  // What a self-restart passes to the next process (a replay file being watched).
  std::vector<std::string> RelaunchArguments;

  // The game's time follows the engine's run phases (`clock` is the
  // installed tick clock): it moves by a frame's period at the start of each
  // one, and the window's timers due then run before the frame does, so a
  // run is the same on any machine however fast it draws. With
  // `seedFromClock` the generator is seeded from this clock rather than the
  // system's (the window-less engine, so that a script lays out the same
  // levels every time). Call before FormCreate.
  void FollowEngineFrames(platform::FrameTickClock& clock, bool seedFromClock);
  // Told of every frame and of a run's start (the recorder); may be null.
  RunObserver* runObserver = nullptr;
  // True once a self-restart has ended the engine: no more frames come.
  bool Restarting() const { return restarting_; }

  // Window creation: player files, restart record, engine start. A restart
  // that starts minimised rewrites its record to open at once, with no page,
  // for a start after this process ends unseen.
  void FormCreate();
  // The part of FormCreate before the engine starts: random seed, music
  // choice, settings, records and the restart record (which sets the state).
  // The record stays on disk until the engine's init has used it up.
  void ReadStartupFiles();
  // The window became active: after a restart that started minimised, this
  // is when the engine opens.
  void FormActivate();
  // The application became active: a windowed game restores its window.
  void ApplicationEvents1Activate();
  // A system command of the window; true when it was handled here (not passed on).
  bool SystemCommand(int32_t command);

  // Engine events (engine thread).
  void EngineInit();
  // The frame's posted work, then RunFrame with the input the engine has.
  void EngineRun();
  void EngineExit();
  // A frame given its input (a replay's, or the engine's): the window
  // commands it carries, the input steps, then the frame's work.
  void RunFrame(const core::FrameInput& input);
  // Work other threads posted for the frame thread (timers, the score client).
  void RunFrameTasks();
  // The rest of the frame in which a run began: the frame's work after its
  // input steps (a replay's first frame, which the start action opens).
  void RunStartFrame(const core::FrameInput& input);
  // A window command that changes the game reaches the game at the start of
  // the next frame, never in the middle of one. Safe from any thread.
  void QueueFrameCommand(core::FrameCommand command);

  // Saves the world snapshot (a game in progress), writes the restart record
  // and the flipped window mode, then ends the engine. Once per restart; a
  // file that cannot be written leaves the game as it is.
  void SwitchWindowMode();
  // The options applied a new window mode (already in the settings file):
  // the game restarts into it and comes back where it was.
  void RestartIntoNewMode() override;
  // The hide hot key: full screen saves and restarts minimised (a game that
  // cannot be saved pauses instead); a window is minimised and muted until it
  // is back to normal.
  void HideGame();

  // Runs `task` on the frame thread at the start of the next run phase.
  void PostToFrame(std::function<void()> task) override;

  // What the menus ask of the window.
  void PostToWindow(std::function<void()> task) override;
  void Minimize() override;
  void RestartAndOpenLink() override;
  void ExitAndOpenPlayLink() override;
  void Exit() override;
  std::optional<std::vector<uint8_t>> FinishedRunReplay(int32_t score) override;

  // Watching a replay (frame thread): the records screen's pick plays the
  // replay file at `path`; the empty text when it plays, else why not.
  std::string WatchReplay(const std::string& path, const std::string& caption) override;
  // A replay file to play as soon as the engine has started, with the game
  // ending at its end (varnok --replay FILE).
  void WatchAtStart(core::Replay replay, std::string caption);
  // True while a replay plays (any thread).
  bool Watching() const { return watching_; }
  // The replay playing, if any (frame thread).
  const ReplayWatch* watch() const { return watch_.get(); }

  // Timer ids on the main window: the delays of a restart (Timer1, Timer2,
  // Timer4) and of the exit (Timer3). The run's own pauses are its session's.
  int Timer1 = -1, Timer2 = -1, Timer3 = -1, Timer4 = -1;

 private:
  // Ends the engine and, 100 ms later, closes the window and (kinds 1, 2, 4)
  // relaunches the game; kind 3 also opens "play.url".
  void Interrupt(int kind);
  void StartEngineOnWindow();
  // The snapshot and the restart record of a self-restart (0: the new process
  // waits minimised). False, said on standard error, when the snapshot or the
  // record could not be written: the caller does not restart, and the game
  // goes on in this process.
  bool WriteRestart(uint8_t openEngine);
  void StepLoadingBar(int stage);
  void ShowResumedScreen();
  void FrameWork();
  // The frame's input steps, in this order: the window's chords and the
  // screen's keys, the pointer's hover, its click.
  bool GlobalKeys(uint8_t modifiers);
  void KeyboardStep();
  void MouseMoveStep();
  void MouseClickStep();
  void ApplyFrameCommand(core::FrameCommand command);
  std::vector<core::FrameCommand> TakeFrameCommands();
  // The frame's input: keys, pads (in the layout of the game's state), pointer, commands.
  core::FrameInput CaptureInput();
  void CloseAndRelaunch();
  void CursorAnimationStep();
  void SoundUpkeep();
  void SoundRestoreAfterHide();
  void PlayScreenTexts();
  void StartWatching(core::Replay replay, std::string caption);
  // One frame while a replay plays, in place of the game's own.
  void WatchFrame();
  void StopWatching();
  void PrintWatchOverlay();

  engine_link::EngineLibrary& library_;
  core::PadKeys padKeys_;
  platform::MainWindow window_;
  bool waitingForActivation_ = false;  // started minimised; the engine opens on activation
  std::atomic<bool> restarting_{false};  // Interrupt has ended the engine; the process is on its way out
  std::mutex frameTasksMutex_;
  std::vector<std::function<void()>> frameTasks_;
  bool hudTextsShown_ = false;         // the last frame printed the play screen's texts
  platform::FrameTickClock* frameClock_ = nullptr;  // set when time follows the engine's frames
  bool seedFromFrameClock_ = false;    // the generator's seed is the frame clock's start
  bool timersFollowFrames_ = false;    // engine thread only
  int64_t runPhases_ = 0;              // run phases of this process, which the clock follows
  std::mutex frameCommandsMutex_;
  std::vector<core::FrameCommand> frameCommands_;  // window commands for the next frame
  std::atomic<bool> windowRefused_{false};
  std::unique_ptr<ReplayWatch> watch_;     // the replay playing, frame thread only
  std::atomic<bool> watching_{false};
  std::optional<core::Replay> watchAtStart_;     // played once the engine has started (a replay file)
  bool exitAfterWatch_ = false;            // the game was started to play a replay file
  std::string watchCaption_;               // the name shown beside "REPLAY"
  EHandle watchCaptionSprite_ = 0, watchPausedSprite_ = 0, watchFastSprite_ = 0;
  std::optional<core::Sha256> dataHash_;         // this game's data files, hashed once for watching
};

}  // namespace app
