// A small engine library built for the host's tests: it implements only the
// phase operations, with behaviour the test configures, and keeps a log of
// what happened that the test's callbacks write into too.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "spriteengine/engine_api.h"

namespace {

std::mutex logMutex;
std::string eventLog;
std::atomic<int> settingsResult{1};
std::atomic<int> frameLimit{-1};     // run phases before the engine stops by itself; -1 = none
std::atomic<int> framesRun{0};
std::atomic<int64_t> frameCount{0};  // the script's frame count: one more every run phase
std::atomic<bool> rendering{false};
std::atomic<bool> initialized{false};
std::atomic<int> initErrorFlag{0};
std::atomic<intptr_t> openedWindow{0};
std::atomic<int> fullScreenFlag{0};

void Log(const char* event) {
  std::lock_guard lock(logMutex);
  eventLog += event;
  eventLog += ';';
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void TestEngine_Reset(int settings, int frames) {
  std::lock_guard lock(logMutex);
  eventLog.clear();
  settingsResult = settings;
  frameLimit = frames;
  framesRun = 0;
  frameCount = 0;
  initErrorFlag = 0;
}
__attribute__((visibility("default"))) void TestEngine_SetInitError(int flag) { initErrorFlag = flag; }
__attribute__((visibility("default"))) void TestEngine_Log(const char* event) { Log(event); }
__attribute__((visibility("default"))) size_t TestEngine_Events(char* buffer, size_t size) {
  std::lock_guard lock(logMutex);
  if (buffer && size > 0) {
    const size_t n = std::min(size - 1, eventLog.size());
    std::memcpy(buffer, eventLog.data(), n);
    buffer[n] = '\0';
  }
  return eventLog.size();
}
__attribute__((visibility("default"))) void TestEngine_RequestExit() { rendering = false; }
__attribute__((visibility("default"))) int TestEngine_FramesRun() { return framesRun; }
__attribute__((visibility("default"))) intptr_t TestEngine_Window() { return openedWindow; }
__attribute__((visibility("default"))) int TestEngine_FullScreenFlag() { return fullScreenFlag; }

__attribute__((visibility("default"))) EBool iEngineOpen(intptr_t window, int32_t) {
  openedWindow = window;
  initialized = false;
  rendering = true;
  Log("open");
  return 1;
}
__attribute__((visibility("default"))) EBool iEngineSettings(int32_t* block) {
  fullScreenFlag = block ? block[VARNOK_SETTINGS_FULL_SCREEN] : 0;
  Log("settings");
  if (!settingsResult) rendering = false;
  return settingsResult;
}
__attribute__((visibility("default"))) EBool iEngineIsRendering(void) { return rendering; }
__attribute__((visibility("default"))) EBool iEngineIsActive(void) { return 1; }
__attribute__((visibility("default"))) EBool iEngineMessage(int32_t) { return 0; }
__attribute__((visibility("default"))) EBool iEngineIsReady(void) { return 1; }
__attribute__((visibility("default"))) void iEngineMain(void) {
  // Frames a little apart, as a paced engine would run them.
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
__attribute__((visibility("default"))) EBool iEngineIsExecuting(void) { return 1; }
__attribute__((visibility("default"))) EBool iEngineIsInitializing(void) { return !initialized; }
__attribute__((visibility("default"))) void iEngineInitBegin(void) { Log("initBegin"); }
__attribute__((visibility("default"))) void iEngineInitEnd(void) {
  initialized = true;
  Log("initEnd");
}
__attribute__((visibility("default"))) EBool iEngineErrorFlag(void) { return initErrorFlag; }
__attribute__((visibility("default"))) EBool iEngineIsSkippingRunPhase(void) { return 0; }
__attribute__((visibility("default"))) void iEngineRunBegin(void) { ++frameCount; }
__attribute__((visibility("default"))) int64_t iEngineFrame(void) { return frameCount; }
__attribute__((visibility("default"))) void iEngineRunEnd(void) {
  if (frameLimit >= 0 && ++framesRun >= frameLimit) rendering = false;
  else if (frameLimit < 0) ++framesRun;
}
__attribute__((visibility("default"))) EBool iEngineIsSkippingRenderPhase(void) { return 0; }
__attribute__((visibility("default"))) void iEngineRender(void) {}
__attribute__((visibility("default"))) void iEngineExitBegin(void) { Log("exitBegin"); }
__attribute__((visibility("default"))) void iEngineExitEnd(void) { Log("exitEnd"); }
__attribute__((visibility("default"))) void iEngineClose(void) {
  rendering = false;
  Log("close");
}
__attribute__((visibility("default"))) void iExit(void) { rendering = false; }

}  // extern "C"
