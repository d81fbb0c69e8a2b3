// Engine phases, frames, screenshots, window link and placeholder window.
#include "engine.h"

#include <cstdlib>
#include <cstdio>

#include "game_path.h"
#include "scene_renderer.h"

namespace spriteengine {

namespace {

constexpr int kDikEscape = 0x01;
constexpr int kIdleTickMs = 15;  // one script frame while no frame runs

const char* CommandName(int command) {
  switch (command) {
    case VARNOK_WINDOW_CLOSE: return "close";
    case VARNOK_WINDOW_MINIMIZE: return "minimize";
    case VARNOK_WINDOW_MAXIMIZE: return "maximize";
    case VARNOK_WINDOW_RESTORE: return "restore";
    case VARNOK_WINDOW_ACTIVATE: return "activate";
    case VARNOK_WINDOW_DEACTIVATE: return "deactivate";
    case VARNOK_WINDOW_CAPTION_DOUBLE_CLICK: return "caption-double-click";
    case VARNOK_WINDOW_QUIT: return "quit";
    case VARNOK_WINDOW_PAD_REMOVED: return "pad-removed";
    default: return "unknown";
  }
}

std::string BackendFromEnvironment() {
  const char* name = std::getenv("VARNOK_ENGINE");
  return name && std::string(name) == "headless" ? "headless" : "sdl";
}

// VARNOK_ENGINE_DRAW_THREADS=1 or 2 fixes how many threads draw, to measure
// either; otherwise the second joins in only while the drawing is heavy.
DrawThreads DrawThreadsFromEnvironment() {
  const char* value = std::getenv("VARNOK_ENGINE_DRAW_THREADS");
  const std::string threads = value ? value : "";
  return threads == "1" ? DrawThreads::kOne : threads == "2" ? DrawThreads::kTwo : DrawThreads::kWhenWorthIt;
}

}  // namespace

Engine::Engine(Platform platform)
    : platform_(std::move(platform)),
      resources_(platform_.codecs.decodePicture),
      renderer_(DrawThreadsFromEnvironment()),
      automation_({
          .key = [this](int dik, bool down) { OnKey(dik, down); },
          .pointer = [this](float x, float y) { input_.MouseMove(x, y); },
          .leftButton = [this](bool down) { down ? input_.MouseButtonDown(0) : input_.MouseButtonUp(0); },
          .padButton = [this](int pad, PadButton button, bool down) { OnPadButton(pad, button, down); },
          .pad = [this](const ScriptCommand& c) { ApplyPadScript(c); },
          .window = [this](int command) { ForwardToLink(command); },
      }) {
  const char* logPath = std::getenv("VARNOK_ENGINE_LOG");
  automation_.SetLogPath(logPath ? logPath : "");
  const char* timesPath = std::getenv("VARNOK_ENGINE_FRAME_TIMES");
  frameTimes_.SetPath(timesPath ? timesPath : "");
  const char* unpaced = std::getenv("VARNOK_ENGINE_UNPACED");
  unpaced_ = unpaced && std::string(unpaced) == "1";
  clock_.SetPeriod(unpaced_ ? 0 : kDefaultSecondsPerFrame);
}

Engine::~Engine() {
  StopPlaceholder();
  sounds_.SetDevice(nullptr);
}

bool Engine::OnEngineThread() const { return std::this_thread::get_id() == engineThread_; }

// ---------------------------------------------------------------------------
// Screenshots
// ---------------------------------------------------------------------------

void Engine::SaveShots(const std::vector<std::string>& files) {
  if (files.empty()) return;
  Frame shot;
  {
    std::lock_guard lock(frameMutex_);
    shot = frame_;
  }
  automation_.SaveShots(files, shot, platform_.codecs.savePng);
}

// ---------------------------------------------------------------------------
// Window link, commands and events
// ---------------------------------------------------------------------------

void Engine::WindowLinkSet(const VarnokWindowLink* link) {
  std::lock_guard lock(linkMutex_);
  link_ = link ? *link : VarnokWindowLink{nullptr, nullptr};
}

void Engine::ForwardToLink(int command) {
  if (!command) return;
  VarnokWindowLink link;
  {
    std::lock_guard lock(linkMutex_);
    link = link_;
  }
  automation_.Log(std::string("window ") + CommandName(command));
  if (link.command) link.command(link.context, command);
}

void Engine::WindowCommand(int command) {
  if (open_) {
    std::lock_guard lock(linkMutex_);
    queuedCommands_.push_back(command);
    return;
  }
  if (command == VARNOK_WINDOW_MINIMIZE) StartPlaceholder();
  if (command == VARNOK_WINDOW_CLOSE) StopPlaceholder();
}

void Engine::RunQueuedWindowCommands() {
  std::deque<int> commands;
  {
    std::lock_guard lock(linkMutex_);
    commands.swap(queuedCommands_);
  }
  if (video_)
    for (int c : commands) video_->Command(c);
  if (video_ && cursorChanged_.exchange(false)) video_->SetSystemCursorHidden(cursorHidden_);
}

void Engine::OnKey(int dik, bool down) {
  if (down) {
    input_.KeyDown(dik);
    if (dik == kDikEscape && escEnabled_) exitRequested_ = true;
  } else {
    input_.KeyUp(dik);
  }
}

void Engine::OnPointer(float x, float y) { input_.MouseMove(x, y); }

void Engine::OnMouseButton(int button, bool down) {
  if (down)
    input_.MouseButtonDown(button);
  else
    input_.MouseButtonUp(button);
}

void Engine::OnWindowCommand(int command) {
  if (command == VARNOK_WINDOW_DEACTIVATE) {
    input_.ReleaseAll();
    ReleasePads();
  }
  ForwardToLink(command);
}

void Engine::OnVisible(bool visible) { visible_ = visible; }

void Engine::OnRepaintNeeded() {
  if (!toShow_.waiting) toShow_ = {true, true, automation_.FrameCount(), 0};
}

// Called while a frame is shown, under frameMutex_: no frame is being drawn.
void Engine::RunOnDrawingThreads(int rows, const std::function<void(int, int)>& work) { renderer_.Split(rows, work); }

Vec2 Engine::Pointer() { return input_.Pointer(); }

void Engine::MouseReset(Vec2 position) {
  // The pointer stays outside the frame until a device or the script has
  // moved it, so nothing is hovered by accident.
  if (!input_.PointerMoved()) return;
  input_.MouseMove(position.x, position.y);
  if (video_ && OnEngineThread()) video_->WarpPointer(position.x, position.y);
}

void Engine::WindowsMouseHide(bool hide) {
  cursorHidden_ = hide;
  cursorChanged_ = true;
}

void Engine::EscEnable(bool enable) { escEnabled_ = enable; }

// ---------------------------------------------------------------------------
// Placeholder window (no engine open, process started minimised)
// ---------------------------------------------------------------------------

void Engine::StartPlaceholder() {
  std::lock_guard lock(placeholderMutex_);
  if (placeholderThread_.joinable()) return;
  automation_.TakeScriptOnce();
  placeholderStop_ = false;
  placeholderThread_ = std::thread(&Engine::PlaceholderLoop, this);
}

void Engine::StopPlaceholder() {
  std::lock_guard lock(placeholderMutex_);
  if (!placeholderThread_.joinable()) return;
  placeholderStop_ = true;
  placeholderThread_.join();
}

void Engine::PlaceholderLoop() {
  std::unique_ptr<PlaceholderWindow> window;
  if (platform_.makePlaceholder) window = platform_.makePlaceholder(BackendFromEnvironment());
  if (window && !window->Create()) window.reset();
  double period = clock_.Period() > 0 ? clock_.Period() : kDefaultSecondsPerFrame;
  double next = FrameClock::Now();
  while (!placeholderStop_) {
    if (window) window->Pump([this](int command) { ForwardToLink(command); });
    next += period;
    FrameClock::SleepUntil(next);
    if (placeholderStop_) break;
    automation_.NextUndrawnFrame();
  }
  if (window) window->Destroy();
}

// ---------------------------------------------------------------------------
// Phases
// ---------------------------------------------------------------------------

bool Engine::EngineOpen(intptr_t, int) {
  StopPlaceholder();
  automation_.TakeScriptOnce();
  backendName_ = BackendFromEnvironment();
  engineThread_ = std::this_thread::get_id();
  video_ = platform_.makeVideo ? platform_.makeVideo(backendName_) : nullptr;
  if (!audio_ && platform_.makeAudio) {
    audio_ = platform_.makeAudio(backendName_);
    sounds_.SetDevice(audio_.get());
  }
  exitRequested_ = false;
  initDone_ = false;
  settingsOk_ = false;
  visible_ = true;
  firstRunLogged_ = false;
  clock_.Reset();
  open_ = true;
  cursorChanged_ = true;
  automation_.Log("open " + backendName_);
  return video_ != nullptr;
}

bool Engine::EngineSettings(int32_t* block) {
  if (!open_ || !video_) return false;
  bool fullScreen = block && block[VARNOK_SETTINGS_FULL_SCREEN] != 0;
  if (!video_->Open(fullScreen, this)) {
    Warn(std::string("the ") + video_->Name() + " backend cannot open its window");
    return false;
  }
  showsFrames_ = video_->ShowsFrames();
  if (std::string path = video_->PresentPath(); !path.empty()) automation_.Log("present " + path);
  settingsOk_ = true;
  RunQueuedWindowCommands();
  return true;
}

bool Engine::IsRendering() const { return open_ && settingsOk_ && !exitRequested_; }
bool Engine::IsActive() const { return visible_; }
bool Engine::IsReady() const { return settingsOk_; }
bool Engine::IsExecuting() const { return settingsOk_ && !exitRequested_; }
bool Engine::IsInitializing() const { return !initDone_; }
bool Engine::IsSkippingRunPhase() const { return !initDone_; }
bool Engine::IsSkippingRenderPhase() const { return !initDone_; }

bool Engine::Message(bool wait) {
  RunQueuedWindowCommands();
  if (!video_) return false;
  if (!wait) return video_->HandleEvent(0);
  if (video_->HandleEvent(kIdleTickMs)) return true;
  // No frame runs while the window is minimised; the script's frames go on.
  double now = FrameClock::Now();
  if (now >= idleTickDue_) {
    idleTickDue_ = now + clock_.Period();
    automation_.NextUndrawnFrame();
  }
  return false;
}

void Engine::Main() {
  RunQueuedWindowCommands();
  // A frame waiting to be shown is sent early by what sending it takes, so
  // it reaches the display when it is due however much of it changed.
  double elapsed = clock_.WaitForFrame(toShow_.waiting && video_ ? video_->PresentLead() : 0);
  ShowWaitingFrame();
  float dt = static_cast<float>(clock_.Period() > 0 ? clock_.Period() : elapsed);
  StepParticles(dt);
}

void Engine::InitBegin() {}

void Engine::InitEnd() { initDone_ = true; }

void Engine::RunBegin() {
  automation_.NextFrame();
  automation_.RunPhaseBegun();
  input_.BeginFrame();
  {
    std::lock_guard lock(padMutex_);
    pads_.BeginFrame();
  }
  if (!firstRunLogged_) {
    firstRunLogged_ = true;
    automation_.Log("gamestate " + std::to_string(gameState_.load()));
  }
}

void Engine::RunEnd() { automation_.RunPhaseEnded(); }

void Engine::GameStateSet(int state) {
  int old = gameState_.exchange(state);
  if (old != state && firstRunLogged_) automation_.Log("gamestate " + std::to_string(state));
}

void Engine::DrawAndShow(bool present, bool prepare) {
  std::lock_guard frameLock(frameMutex_);
  {
    std::lock_guard lock(mutex_);
    renderer_.Render(scene_, frame_);
  }
  framePrepared_ = false;
  if (present && video_) {
    PresentFrame();
  } else {
    framePending_ = true;
    if (prepare && video_) {
      video_->Prepare(frame_);
      framePrepared_ = true;
    }
  }
}

void Engine::PresentFrame() {
  if (!framePrepared_) video_->Prepare(frame_);
  video_->Present(frame_);
  framePrepared_ = false;
  framePending_ = false;
}

void Engine::Render() {
  if (!settingsOk_) return;
  std::vector<std::string> shots = OnEngineThread() ? automation_.PictureDrawn() : std::vector<std::string>{};
  // The headless backend draws only for a screenshot.
  if (!showsFrames_ && shots.empty()) return;
  // video_ belongs to the engine thread; other threads only draw, and the
  // engine thread shows the frame at its next render.
  DrawAndShow(showsFrames_ && OnEngineThread());
  SaveShots(shots);
}

// The render phase draws; the frame is shown when the next one is due
// (ShowWaitingFrame), so frames reach the screen at the frame rate however
// long each took to run and draw.
void Engine::RenderPhase() {
  if (!video_) return;
  bool shows = video_->ShowsFrames();
  double drawStart = FrameClock::Now(), drawMs = 0;
  if (shows || automation_.ShotsPending()) {
    DrawAndShow(false, shows);
    drawMs = (FrameClock::Now() - drawStart) * 1000;
  }
  SaveShots(automation_.TakePendingShots());
  if (shows) {
    toShow_ = {true, false, automation_.FrameCount(), drawMs};
  } else if (frameTimes_.On()) {
    frameTimes_.Record(automation_.FrameCount(), FrameClock::Now(), drawMs);
  }
}

void Engine::ShowWaitingFrame() {
  if (!toShow_.waiting || !video_) return;
  toShow_.waiting = false;
  double showStart = FrameClock::Now();
  {
    std::lock_guard frameLock(frameMutex_);
    PresentFrame();
  }
  double now = FrameClock::Now();
  clock_.Shown(now);
  if (frameTimes_.On() && !toShow_.again)
    frameTimes_.Record(toShow_.frame, now, toShow_.drawMs + (now - showStart) * 1000, (now - showStart) * 1000,
                       (now - clock_.Due()) * 1000);
}

void Engine::FrqSet(float secondsPerFrame) {
  if (!unpaced_) clock_.SetPeriod(secondsPerFrame);
}

void Engine::ExitBegin() {}
void Engine::ExitEnd() {}

void Engine::EngineClose() {
  if (!open_) return;
  automation_.DropWaitingShots();
  toShow_.waiting = false;
  frameTimes_.Flush();
  sounds_.DestroyAll();
  {
    std::lock_guard lock(mutex_);
    scene_.Clear();
    mipLevels_ = 1;
  }
  settingsOk_ = false;
  {
    // Wait for a frame another thread may be drawing.
    std::lock_guard frameLock(frameMutex_);
  }
  if (video_) video_->Close();
  video_.reset();
  ForgetPads();
  {
    std::lock_guard lock(linkMutex_);
    queuedCommands_.clear();
  }
  open_ = false;
  settingsOk_ = false;
  showsFrames_ = false;
  initDone_ = false;
  automation_.Log("close");
}

}  // namespace spriteengine
