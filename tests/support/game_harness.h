// GameHarness: runs the whole game in-process, frame by frame, with no engine
// thread and no window: a recording fake engine answers every operation, a
// fake tick clock advances 15 ms a frame, keys and the mouse are scripted, and
// the random generator is seeded. Tests drive it and assert on the game's
// context and on the fake engine's scene.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/game_context.h"
#include "app/main_form.h"
#include "fake_engine.h"
#include "platform/tick_clock.h"
#include "temp_game_folder.h"

namespace testing_support {

inline constexpr uint32_t kFrameMs = 15;

class GameHarness {
 public:
  // A fresh game folder (current folder while the harness lives) and context.
  explicit GameHarness(uint32_t seed = 1);
  ~GameHarness();
  GameHarness(const GameHarness&) = delete;
  GameHarness& operator=(const GameHarness&) = delete;

  // Start-up as the main window does it (files, restart record), then the
  // engine's init phase, without opening an engine.
  void Start();
  // Start-up of a game resumed between levels, as a restart after a finished
  // level does: a new run's snapshot (level 0, score 0, three lives) and a
  // restart record of the level intro; the init phase builds level 1 at once
  // and play begins.
  void StartPlaying();

  // One frame: timers that fell due, then the run phase; keys tapped for the
  // frame are released afterwards.
  void Frame(int count = 1);
  // Runs frames until `done` holds or `maxFrames` have run; true if it held.
  bool RunUntil(const std::function<bool()>& done, int maxFrames);

  // Held from now: a test calling the game between frames sees it too.
  void Hold(int32_t scanCode);
  void Release(int32_t scanCode);
  // Pressed for exactly the next frame: a click and held during it.
  void Tap(int32_t scanCode);
  void MoveMouse(float x, float y);
  void Click() { ++engine_.mouseClicks; }

  fake::FakeEngine& engine() { return engine_; }
  app::TMainForm& form() { return *form_; }
  core::GameContext& context() { return scope_.context(); }
  platform::FakeTickClock& clock() { return clock_; }
  TempGameFolder& folder() { return folder_; }
  int frames() const { return frames_; }

 private:
  // The keys held and the pointer, into the input of the frame that ran last.
  void SyncFrameInput();

  TempGameFolder folder_;
  core::ScopedGameContext scope_;
  fake::FakeEngine engine_;
  platform::FakeTickClock clock_;
  engine_link::EngineLibrary noLibrary_;  // never loaded: no engine thread in the harness
  std::unique_ptr<app::TMainForm> form_;
  std::vector<int32_t> tapped_;
  uint32_t seed_;
  int frames_ = 0;
};

}  // namespace testing_support
