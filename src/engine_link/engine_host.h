// TEngineHost: keeps one engine instance at a time on a worker thread and
// calls the game through OnInit, OnRun and OnExit in the engine's phases.
// An optional game library can play beside those events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine_link/engine_thread.h"
#include "platform/shared_library.h"

namespace engine_link {

inline constexpr const char* kEngineMissingMessage = "The engine DLL was not loaded or could not be found.";

struct EngineMissingError : std::runtime_error {
  EngineMissingError() : std::runtime_error(kEngineMissingMessage) {}
};

class TEngineHost {
 public:
  using TInit = std::function<void()>;
  using TRun = std::function<void()>;
  using TExit = std::function<void()>;

  explicit TEngineHost(EngineLibrary& library = TheEngineLibrary());
  // Stops a running engine first.
  ~TEngineHost();
  TEngineHost(const TEngineHost&) = delete;
  TEngineHost& operator=(const TEngineHost&) = delete;

  TInit OnInit;                       // engine init phase
  TRun OnRun;                         // every run phase
  TExit OnExit;                       // exit phase, once per engine instance
  // The engine's frame count as the engine thread sees it move, and the end
  // of an instance's frames (TEngineThread::Config); for a clock that follows frames.
  // OnFrameCounted returns true to end the frames after the current one.
  std::function<bool(int64_t frame, bool runPhase, const std::function<bool()>& stopping)> OnFrameCounted;
  std::function<void()> OnFramesEnded;
  bool SkipSettingsPanel = true;      // no settings panel before opening
  // Reports whether the engine should open full screen; read when an instance starts.
  std::function<bool()> FullScreen;
  // Makes the main window the active one (called on the engine thread).
  std::function<void(intptr_t window)> ActivateWindow;
  // The engine could not open its window (no display, or the window system
  // refused it); called on the engine thread after the instance has ended.
  std::function<void()> OnOpenRefused;

  const std::string& GameLibrary() const { return gameLibraryName_; }
  // Ignored while an engine instance is running.
  void SetGameLibrary(const std::string& fileName);

  // Ends a running instance (its exit phase runs) and opens a new one on
  // `window` (0 = full screen). Throws EngineMissingError when the engine
  // library was not loaded.
  void StartEngine(intptr_t window);
  // Asks the running instance to end and waits until it has.
  void StopEngine();
  // True while an instance's thread has not ended.
  bool Running() const;

 private:
  void DoInit();
  void DoRun();
  void DoExit();

  EngineLibrary& library_;
  std::unique_ptr<TEngineThread> thread_;
  std::string gameLibraryName_;
  platform::SharedLibrary gameLibrary_;
  void (*gameRun_)() = nullptr;       // the game library's "Run"
  void (*gameInit_)() = nullptr;      // "Init"
  void (*gameExit_)() = nullptr;      // "Exit"
};

}  // namespace engine_link
