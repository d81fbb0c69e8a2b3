// VARNOK_ENGINE_LOG: lines "FRAME WHAT ARGS" appended for black-box tests,
// at least "FRAME gamestate N" at the first run phase of each engine instance
// and whenever the game reports a new state.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace spriteengine {

class EngineLog {
 public:
  // Empty path: logging off.
  void SetPath(std::string path);
  void Write(uint64_t frame, const std::string& what);

 private:
  std::mutex mutex_;
  std::string path_;
};

}  // namespace spriteengine
