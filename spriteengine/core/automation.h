// The engine's automation for black-box tests and demos: the input script
// VARNOK_ENGINE_SCRIPT names (keys, pointer, pads and window commands by
// frame, "shot" screenshots), the frame count it runs on, and the
// VARNOK_ENGINE_LOG lines stamped with that count. The engine owns one and
// carries out the script's commands through the actions it hands over.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine_log.h"
#include "pad_state.h"
#include "raster.h"
#include "script.h"

namespace spriteengine {

class Automation {
 public:
  // What the script's commands do to the engine; called on the thread that
  // counts the frame.
  struct Actions {
    std::function<void(int dik, bool down)> key;
    std::function<void(float x, float y)> pointer;
    std::function<void(bool down)> leftButton;
    std::function<void(int pad, PadButton button, bool down)> padButton;
    std::function<void(const ScriptCommand& c)> pad;  // the pad commands; a tap only presses
    std::function<void(int command)> window;          // VARNOK_WINDOW_*
  };
  using SavePng = std::function<bool(const Frame&, const std::string&)>;

  explicit Automation(Actions actions) : actions_(std::move(actions)) {}

  // Empty path: logging off.
  void SetLogPath(std::string path) { log_.SetPath(std::move(path)); }
  // One log line at the frame being counted.
  void Log(const std::string& what) { log_.Write(frame_, what); }

  // Reads the first script the variable lists, once per process; the rest of
  // the list stays in the environment for a relaunched process.
  void TakeScriptOnce();
  // The frames counted so far (any thread).
  uint64_t FrameCount() const { return frame_; }
  // Counts a frame and carries out its commands (last frame's taps and
  // clicks end first); returns its number.
  uint64_t NextFrame();
  // A frame on which nothing is drawn (minimised, or no engine open): its
  // "shot" commands are dropped.
  void NextUndrawnFrame();

  // "shot FILE": the frame drawn by this frame's render phase.
  bool ShotsPending() const { return !pendingShots_.empty(); }
  std::vector<std::string> TakePendingShots() { return std::exchange(pendingShots_, {}); }
  // "shot FILE N": the N-th picture iRender draws on the engine thread
  // inside one run phase (a level build draws its loading screens between
  // its steps). Waits from its frame until a run phase draws that many.
  void RunPhaseBegun() {
    inRunPhase_ = true;
    phasePictures_ = 0;
  }
  void RunPhaseEnded() { inRunPhase_ = false; }
  // Counts a picture drawn on the engine thread; the files that wanted it.
  std::vector<std::string> PictureDrawn();
  // Writes the frame under each file (game-style names) and logs "shot PATH".
  void SaveShots(const std::vector<std::string>& files, const Frame& shot, const SavePng& save);
  // The engine closes: shots still waiting for their picture are told on stderr and dropped.
  void DropWaitingShots();

 private:
  void Apply(uint64_t frame);

  Actions actions_;
  EngineLog log_;
  std::atomic<uint64_t> frame_{0};

  // The script: taken once per process.
  std::mutex scriptMutex_;
  bool scriptTaken_ = false;
  Script script_;

  // Shots and the presses a tap or click ends at the next frame; touched by
  // the thread that counts frames.
  std::vector<std::string> pendingShots_;
  struct WaitingShot {
    std::string file;
    int picture = 0;
  };
  std::vector<WaitingShot> waitingShots_;
  bool inRunPhase_ = false;
  int phasePictures_ = 0;
  std::vector<int> releaseNextFrame_;
  bool releaseClickNextFrame_ = false;
  std::vector<std::pair<int, PadButton>> releasePadNextFrame_;
};

}  // namespace spriteengine
