// A game library for the host's tests: it logs its entry points, and the
// test's own callbacks log into the same place, so their order can be checked.
#include <cstring>
#include <mutex>
#include <string>

namespace {
std::mutex logMutex;
std::string eventLog;
void Log(const char* event) {
  std::lock_guard lock(logMutex);
  eventLog += event;
  eventLog += ';';
}
}  // namespace

extern "C" {
__attribute__((visibility("default"))) void GameLibrary_Log(const char* event) { Log(event); }
__attribute__((visibility("default"))) size_t GameLibrary_Events(char* buffer, size_t size) {
  std::lock_guard lock(logMutex);
  if (buffer && size > 0) {
    const size_t n = std::min(size - 1, eventLog.size());
    std::memcpy(buffer, eventLog.data(), n);
    buffer[n] = '\0';
  }
  return eventLog.size();
}
__attribute__((visibility("default"))) void LibInit(void* const* table) { Log(table ? "libInit" : "libInitNull"); }
__attribute__((visibility("default"))) void Init() { Log("gameInit"); }
__attribute__((visibility("default"))) void Run() { Log("gameRun"); }
__attribute__((visibility("default"))) void Exit() { Log("gameExit"); }
__attribute__((visibility("default"))) void PostExit() { Log("gamePostExit"); }
}
