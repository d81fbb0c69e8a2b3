#include "engine_log.h"

#include <cstdio>

namespace spriteengine {

void EngineLog::SetPath(std::string path) {
  std::lock_guard lock(mutex_);
  path_ = std::move(path);
}

void EngineLog::Write(uint64_t frame, const std::string& what) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return;
  // Opened per line so another process (a relaunched game) can append too.
  if (std::FILE* f = std::fopen(path_.c_str(), "a")) {
    std::fprintf(f, "%llu %s\n", static_cast<unsigned long long>(frame), what.c_str());
    std::fclose(f);
  }
}

}  // namespace spriteengine
