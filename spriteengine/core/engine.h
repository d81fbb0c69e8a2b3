// The engine behind the exported operations: one instance per process (the
// library's), but constructible with fake platforms in tests.
//
// Threads: every operation may be called from any thread (the scene is
// locked); the phase operations run on the host's engine thread, which
// owns the window. Window commands the game asks for from other threads are
// queued to the engine thread. Calls into the game's window link are made
// with no lock held.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "automation.h"
#include "frame_clock.h"
#include "frame_times.h"
#include "input_state.h"
#include "platform.h"
#include "raster.h"
#include "resources.h"
#include "scene.h"
#include "scene_renderer.h"
#include "script.h"
#include "sound_registry.h"
#include "spriteengine/engine_api.h"

namespace spriteengine {

inline constexpr double kDefaultSecondsPerFrame = 0.015;
inline constexpr int kMessageWaitMs = 50;  // iEngineMessage(wait) gives up after this

class Engine : public WindowEvents {
 public:
  explicit Engine(Platform platform);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // --- camera ---
  uint32_t CameraCreate(int left, int top, float width, float height);
  void CameraLocationSet(uint32_t camera, Vec3 location);
  void CameraFovSet(uint32_t camera, float degrees);
  // --- sprites ---
  uint32_t SpriteCreate(const char* meshFile);
  uint32_t SpriteCreateFromMemory(const void* bytes, int size, int resourceId);
  void SpriteShow(uint32_t sprite, bool visible);
  void SpriteDestroy(uint32_t sprite);
  void SpriteTextureSet(uint32_t sprite, uint32_t texture);
  void SpriteLocationSet(uint32_t sprite, Vec3 location);
  Vec3 SpriteLocation(uint32_t sprite);
  void SpriteScaleSet(uint32_t sprite, Vec2 scale);
  void SpriteOrientationSet(uint32_t sprite, float degrees);
  void SpriteColorSet(uint32_t sprite, Color color);
  void SpritePrioritySet(uint32_t sprite, int priority);
  void SpriteTextureModeSet(uint32_t sprite, int mode);
  void SpriteMipFilterModeSet(uint32_t sprite, int mode);
  // --- textures ---
  uint32_t TextureCreate(const char* file);
  uint32_t TextureCreateFromMemory(const void* bytes, int size, int resourceId);
  void TextureDestroy(uint32_t texture);
  void TextureMipLevelsSet(int levels);
  // --- sounds ---
  SoundRegistry& Sounds() { return sounds_; }
  // --- text ---
  uint32_t FontCreate(const char* file);
  void PrintColorSet(Color color);
  void Print(const char* text, Vec2 location, Vec2 scale, float spacing, uint32_t font, bool centered);
  void PrintsHide();
  // --- input ---
  InputState& Input() { return input_; }
  Vec2 Pointer();
  void MouseReset(Vec2 position);
  void WindowsMouseHide(bool hide);
  void EscEnable(bool enable);
  // --- particles ---
  uint32_t ParticleCreate(const char* textureFile, int capacity);
  void ParticleRenderModeSet(uint32_t system, int mode);
  void ParticleGravitySet(uint32_t system, Vec3 gravity);
  void ParticleAirResistanceSet(uint32_t system, float resistance);
  void ParticleColorSet(uint32_t system, Vec3 start, Vec3 end);
  void ParticleLifeTimeSet(uint32_t system, float seconds);
  void ParticleEnvMapCasterAdd(uint32_t system);
  void ParticleShow(uint32_t system, bool visible);
  void ParticleDestroy(uint32_t system);
  uint32_t ParticleEmitterCreate(uint32_t system);
  void EmitterLocationSet(uint32_t emitter, Vec3 location);
  void EmitterDirectionSet(uint32_t emitter, Vec3 min, Vec3 max);
  void EmitterSpeedSet(uint32_t emitter, float min, float max);
  void EmitterScaleSet(uint32_t emitter, Vec2 start, Vec2 end);
  void EmitterEmit(uint32_t emitter, int count);
  void EmitterDestroy(uint32_t emitter);
  Vec3 LocationToScreen(Vec3 world);
  // --- frame ---
  void Render();
  void ScreenWipe(float r, float g, float b);
  void FrqSet(float secondsPerFrame);
  double SystemTimer() const { return FrameClock::Now(); }
  void Exit() { exitRequested_ = true; }
  void GameStateSet(int state);

  // --- phases (engine thread) ---
  bool EngineOpen(intptr_t window, int flags);
  bool EngineSettings(int32_t* block);
  bool IsRendering() const;
  bool IsActive() const;
  bool Message(bool wait);
  bool IsReady() const;
  void Main();
  bool IsExecuting() const;
  bool IsInitializing() const;
  void InitBegin();
  void InitEnd();
  bool ErrorFlag() const { return false; }
  bool IsSkippingRunPhase() const;
  void RunBegin();
  void RunEnd();
  bool IsSkippingRenderPhase() const;
  void RenderPhase();
  void ExitBegin();
  void ExitEnd();
  void EngineClose();

  // --- platform ---
  void WindowLinkSet(const VarnokWindowLink* link);
  void WindowCommand(int command);
  // Game controllers as the game polls them (see PadState).
  std::vector<int> PadList();
  bool PadButtonDown(int pad, int button);
  bool PadButtonClick(int pad, int button);
  float PadAxisValue(int pad, int axis);

  // Test access.
  uint64_t ScriptFrame() const { return automation_.FrameCount(); }
  int PictureDecodes() const { return resources_.PictureDecodes(); }
  // Draws the current scene into a copy (any thread).
  Frame Snapshot();
  // The same drawn on the calling thread alone, adding the time each stage
  // took to `times` (the benchmark's split).
  Frame Snapshot(StageTimes& times);
  // Steps every particle system by dt seconds (done once per frame by Main).
  void StepParticles(float dt);

  // WindowEvents (engine thread, from the backend).
  void OnKey(int dik, bool down) override;
  void OnPointer(float x, float y) override;
  void OnMouseButton(int button, bool down) override;
  void OnWindowCommand(int command) override;
  void OnVisible(bool visible) override;
  void OnRepaintNeeded() override;
  void RunOnDrawingThreads(int rows, const std::function<void(int, int)>& work) override;
  // Game controllers (engine_pads.cpp).
  void OnPadAdded(int pad) override;
  void OnPadRemoved(int pad) override;
  void OnPadButton(int pad, PadButton button, bool down) override;
  void OnPadAxis(int pad, PadAxis axis, float value) override;

 private:
  void ForwardToLink(int command);
  void RunQueuedWindowCommands();
  // Draws frame_ and shows it now (`present`), or prepares it to be shown
  // when it is due (`prepare`, engine thread), or leaves it for the engine
  // thread's next render.
  void DrawAndShow(bool present, bool prepare = false);
  // Presents frame_, preparing it first if it was drawn since it was
  // prepared (engine thread, under frameMutex_).
  void PresentFrame();
  // Saves the frame last drawn under each file name.
  void SaveShots(const std::vector<std::string>& files);
  void StartPlaceholder();
  void StopPlaceholder();
  void PlaceholderLoop();
  bool OnEngineThread() const;
  void ApplyPadScript(const ScriptCommand& c);
  void ReleasePads();
  // The window that reported the pads has gone; the next one reports the
  // pads still connected again, under new ids.
  void ForgetPads();

  Platform platform_;
  Resources resources_;
  SoundRegistry sounds_;
  std::unique_ptr<AudioDevice> audio_;  // opened at the first engine open, kept for the process

  // Scene and everything drawn; guarded by mutex_.
  mutable std::mutex mutex_;
  Scene scene_;
  int mipLevels_ = 1;  // iTextureMipLevelsSet for later textures: 0 off, 1 on (full chain), n levels

  InputState input_;
  FrameTimes frameTimes_;  // engine thread
  FrameClock clock_;
  bool unpaced_ = false;  // frames as fast as they come (VARNOK_ENGINE_UNPACED=1, for long test runs)

  // Frame buffer; guarded by frameMutex_.
  std::mutex frameMutex_;
  Frame frame_{kFrameWidth, kFrameHeight};
  ParallelRenderer renderer_;  // draws frame_, on two threads when it is heavy
  bool framePending_ = false;  // drawn off the engine thread, not yet shown
  bool framePrepared_ = false;  // the video backend holds frame_ prepared
  // A render phase's frame, drawn and waiting to be shown when the next
  // frame is due (engine thread).
  struct FrameToShow {
    bool waiting = false;
    bool again = false;  // shown before: not a new frame for the frame times
    uint64_t frame = 0;
    double drawMs = 0;
  };
  FrameToShow toShow_;
  void ShowWaitingFrame();

  // The input script, its frame count, screenshots and the log.
  Automation automation_;

  // Game controllers; guarded by padMutex_.
  std::mutex padMutex_;
  PadState pads_;

  // Instance state.
  std::unique_ptr<VideoBackend> video_;
  std::string backendName_;
  std::thread::id engineThread_;
  std::atomic<bool> open_{false};
  std::atomic<bool> settingsOk_{false};
  std::atomic<bool> showsFrames_{false};  // the backend shows frames (set at settings)
  std::atomic<bool> initDone_{false};
  std::atomic<bool> exitRequested_{false};
  std::atomic<bool> visible_{true};
  bool firstRunLogged_ = false;
  std::atomic<int> gameState_{-1};
  std::atomic<bool> escEnabled_{true};
  std::atomic<bool> cursorHidden_{false};
  std::atomic<bool> cursorChanged_{false};
  double idleTickDue_ = 0;  // next script tick while no frame runs

  // Window link and commands queued for the engine thread.
  std::mutex linkMutex_;
  VarnokWindowLink link_{nullptr, nullptr};
  std::deque<int> queuedCommands_;

  // Placeholder window while no engine is open.
  std::mutex placeholderMutex_;
  std::thread placeholderThread_;
  std::atomic<bool> placeholderStop_{false};
};

}  // namespace spriteengine
