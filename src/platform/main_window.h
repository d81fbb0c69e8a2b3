// MainWindow: our stand-in for the other system's main window. It owns the
// main thread's message loop: work posted from any thread, window commands
// forwarded by the engine's window, and the window's timers all run here, one
// at a time, on the thread that calls Run.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "spriteengine/engine_api.h"

namespace platform {

enum class WindowState { kNormal, kMinimized, kMaximized };

class MainWindow {
 public:
  using Task = std::function<void()>;
  // A system command (VARNOK_WINDOW_*); returns true when handled, so the
  // default handling (the window's own state change) is skipped.
  using CommandHandler = std::function<bool(int32_t command)>;

  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // A value that identifies this window to the engine (never 0).
  intptr_t Handle() const { return handle_; }
  // The link the engine library forwards window commands through.
  const VarnokWindowLink* Link() const { return &link_; }
  // The window whose Handle() is `handle`, or null.
  static MainWindow* FromHandle(intptr_t handle);

  // Runs the loop until Close; returns when the window has been closed.
  void Run();
  // Runs what is due now without waiting (posted work, commands, timers). Tests use it.
  void RunPending();
  // Ends the loop after the current task. Safe from any thread.
  void Close();
  bool Closed() const;

  // Posts work to the loop. Safe from any thread.
  void Post(Task task);
  // Posts a system command as the window system would send it. Safe from any thread.
  void PostCommand(int32_t command);

  // Timers: a handler called on the loop every `intervalMs` while enabled.
  int AddTimer(uint32_t intervalMs, Task handler);
  // Enabling (re)starts the interval from now.
  void SetTimerEnabled(int timer, bool enabled);
  bool TimerEnabled(int timer) const;

  // For a tick clock that moves only with frames: while on, timers fire only
  // for Sync, which the frames' thread calls right after the clock moved, so
  // that a timer's work lands in the same frame on every run.
  void SetTimersFollowFrames(bool on);
  // Has the loop run every timer that is due now, then the work posted before
  // this call, and returns once it has, or once the window is closed or
  // `giveUp` (asked every few milliseconds) says so. Returns at once when
  // nothing is due, queued or running. From any thread but the loop's.
  void Sync(const std::function<bool()>& giveUp);

  CommandHandler OnSystemCommand;   // close, minimise, maximise, restore, caption double-click
  Task OnActivate;                  // the window became active
  Task OnDeactivate;                // the window lost the focus
  // Asks the visible window to change state (wired to the engine's window).
  std::function<void(int32_t command)> OnShowCommand;

  WindowState State() const;
  // What the window does on minimise/restore when nobody handled the command.
  void Minimize();
  void Restore();

 private:
  struct Timer {
    uint32_t intervalMs;
    Task handler;
    bool enabled = false;
    uint32_t lastTick = 0;
  };
  void HandleCommand(int32_t command);
  bool RunOne(bool wait);
  bool TimerDueLocked(uint32_t now) const;
  static void LinkCommand(void* context, int32_t command);

  intptr_t handle_;
  VarnokWindowLink link_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> tasks_;
  std::vector<Timer> timers_;
  bool closed_ = false;
  bool timersFollowFrames_ = false;
  bool running_ = false;      // a task or timer is running outside the lock
  uint64_t syncsAsked_ = 0;   // Sync calls queued ...
  uint64_t syncsDone_ = 0;    // ... and reached by the loop
  std::condition_variable synced_;
  WindowState state_ = WindowState::kNormal;
};

}  // namespace platform
