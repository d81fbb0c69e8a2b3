#include "engine_link/engine_thread.h"

#include <stdexcept>

namespace engine_link {
namespace {

struct PhaseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

TEngineThread::TEngineThread(const EnginePhaseCalls& phases, Config config)
    : phases_(phases), config_(std::move(config)) {}

TEngineThread::~TEngineThread() {
  Terminate();
  WaitFor();
}

void TEngineThread::Resume() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Execute(); });
}

void TEngineThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

std::string TEngineThread::error() const {
  const char* message = error_.load();
  return message ? message : "";
}

void TEngineThread::Execute() {
  int32_t block[VARNOK_SETTINGS_BLOCK_SIZE] = {0, 0, kFullScreenBitsBlock, 0, 0, 0};
  block[VARNOK_SETTINGS_FULL_SCREEN] = config_.fullScreen ? -1 : 0;
  block[VARNOK_SETTINGS_SKIP_PANEL] = config_.skipSettingsPanel ? -1 : 0;

  phases_.iEngineOpen(config_.window, 0);
  bool opened = false;
  try {
    opened = phases_.iEngineSettings(block) != 0;
    if (opened) RunPhases();
  } catch (const PhaseError&) {
    // The error stays with the thread; the exit phase still runs.
  } catch (const std::exception&) {
    error_.store("Unexpected error in the game's engine callbacks");
  }
  if (config_.framesEnded) config_.framesEnded();

  phases_.iEngineExitBegin();
  if (config_.exit) config_.exit();
  phases_.iEngineExitEnd();
  phases_.iEngineClose();
  Terminate();
  if (!opened && config_.refused) config_.refused();
}

void TEngineThread::FrameCounted(bool runPhase) {
  if (config_.frameCounted &&
      config_.frameCounted(phases_.iEngineFrame(), runPhase, [this] { return Terminated(); })) {
    Terminate();
  }
}

void TEngineThread::RunPhases() {
  if (config_.activateWindow) config_.activateWindow();

  while (phases_.iEngineIsRendering() && !Terminated()) {
    // Window-system events come first; an inactive engine waits for one
    // instead of spinning.
    const bool active = phases_.iEngineIsActive();
    const bool event = phases_.iEngineMessage(active ? 0 : 1);
    // A minimised window's frames go on counting.
    FrameCounted(false);
    if (event) continue;
    if (!phases_.iEngineIsActive() || !phases_.iEngineIsReady()) continue;

    phases_.iEngineMain();
    if (phases_.iEngineIsExecuting() && phases_.iEngineIsInitializing()) {
      phases_.iEngineInitBegin();
      if (config_.init) config_.init();
      phases_.iEngineInitEnd();
      if (phases_.iEngineErrorFlag()) {
        error_.store(kInitPhaseError);
        throw PhaseError(kInitPhaseError);
      }
    }
    if (!phases_.iEngineIsRendering()) break;

    if (!phases_.iEngineIsSkippingRunPhase()) {
      phases_.iEngineRunBegin();
      FrameCounted(true);
      if (config_.run) config_.run();
      if (phases_.iEngineErrorFlag()) {
        error_.store(kRunPhaseError);
        throw PhaseError(kRunPhaseError);
      }
      phases_.iEngineRunEnd();
    }
    if (!phases_.iEngineIsSkippingRenderPhase()) phases_.iEngineRender();
  }
}

}  // namespace engine_link
