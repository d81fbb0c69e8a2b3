#include "engine_link/engine_host.h"

#include <filesystem>

namespace engine_link {

TEngineHost::TEngineHost(EngineLibrary& library) : library_(library) {}

TEngineHost::~TEngineHost() { StopEngine(); }

bool TEngineHost::Running() const { return thread_ && !thread_->Terminated(); }

void TEngineHost::SetGameLibrary(const std::string& fileName) {
  if (Running()) return;
  gameLibraryName_ = fileName;
  gameLibrary_.Close();
  gameRun_ = gameInit_ = gameExit_ = nullptr;
  std::error_code error;
  if (fileName.empty() || !std::filesystem::exists(fileName, error)) return;
  if (!gameLibrary_.Open(fileName)) return;
  // The game library gets the same operations as the game.
  if (auto libInit = reinterpret_cast<void (*)(void* const*)>(gameLibrary_.Symbol("LibInit"))) {
    libInit(library_.table());
  }
  gameRun_ = reinterpret_cast<void (*)()>(gameLibrary_.Symbol("Run"));
  gameInit_ = reinterpret_cast<void (*)()>(gameLibrary_.Symbol("Init"));
  gameExit_ = reinterpret_cast<void (*)()>(gameLibrary_.Symbol("Exit"));
}

void TEngineHost::StartEngine(intptr_t window) {
  if (!library_.loaded()) throw EngineMissingError();
  StopEngine();
  TEngineThread::Config config;
  config.window = window;
  config.skipSettingsPanel = SkipSettingsPanel;
  config.fullScreen = FullScreen ? FullScreen() : false;
  config.init = [this] { DoInit(); };
  config.run = [this] { DoRun(); };
  config.exit = [this] { DoExit(); };
  if (ActivateWindow) config.activateWindow = [this, window] { ActivateWindow(window); };
  if (OnOpenRefused) config.refused = [this] { OnOpenRefused(); };
  config.frameCounted = OnFrameCounted;
  config.framesEnded = OnFramesEnded;
  thread_ = std::make_unique<TEngineThread>(library_.phases(), std::move(config));
  thread_->Resume();
}

void TEngineHost::StopEngine() {
  if (!thread_) return;
  if (!thread_->Terminated()) thread_->Terminate();
  thread_.reset();  // waits for the thread to end
}

void TEngineHost::DoInit() {
  if (OnInit) OnInit();
  if (gameInit_) gameInit_();
}

void TEngineHost::DoRun() {
  if (OnRun) OnRun();
  if (gameRun_) gameRun_();
}

void TEngineHost::DoExit() {
  if (gameExit_) gameExit_();
  if (OnExit) OnExit();
}

}  // namespace engine_link
