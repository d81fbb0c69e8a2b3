// TEngineThread: one engine instance on a worker thread. It opens the engine,
// turns its phases (init once, then a run and a render phase every frame) and
// ends with the exit phase, calling the game back in each phase.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "engine_link/engine_library.h"

namespace engine_link {

inline constexpr const char* kInitPhaseError = "Problem with running game dll init procedure";
inline constexpr const char* kRunPhaseError = "Problem with running game dll run procedure";
inline constexpr int32_t kFullScreenBitsBlock = 15360000;  // 800 x 600 x 32

class TEngineThread {
 public:
  using Callback = std::function<void()>;

  struct Config {
    intptr_t window = 0;              // main window handle; 0 = full screen
    bool skipSettingsPanel = true;    // copied from the host's SkipSettingsPanel
    bool fullScreen = false;          // from the settings' Windowed flag
    Callback init, run, exit;         // the host's DoInit, DoRun, DoExit
    Callback activateWindow;          // makes the main window the active one
    Callback refused;                 // the engine could not open its window (after the exit phase)
    // The engine's frame count, after each turn's window-system events and
    // at the start of each run phase (before `run`; `runPhase` is then true).
    // `stopping` tells a wait in it that the thread is asked to end.
    // Returning true ends the frames after this one, at the same frame
    // however fast the caller's own stop request would have come.
    std::function<bool(int64_t frame, bool runPhase, const std::function<bool()>& stopping)> frameCounted;
    Callback framesEnded;             // no more frames from this instance (before the exit phase)
  };

  // Created suspended: nothing runs until Resume.
  TEngineThread(const EnginePhaseCalls& phases, Config config);
  // Requests termination and waits until the thread has ended.
  ~TEngineThread();
  TEngineThread(const TEngineThread&) = delete;
  TEngineThread& operator=(const TEngineThread&) = delete;

  void Resume();
  // Asks the thread to stop; it notices at the top of its next turn.
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  // Waits until the thread body has returned.
  void WaitFor();
  // The error that ended the instance, if any (stored, never shown).
  std::string error() const;

 private:
  void Execute();
  void RunPhases();
  void FrameCounted(bool runPhase);

  const EnginePhaseCalls& phases_;
  Config config_;
  std::atomic<bool> terminated_{false};
  std::thread thread_;
  mutable std::atomic<const char*> error_{nullptr};
};

}  // namespace engine_link
