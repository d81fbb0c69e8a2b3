#include "core/game_context.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace core {
namespace {

GameContext processContext;
// Switched on the frame thread; other threads may read it meanwhile.
std::atomic<GameContext*> current{&processContext};

}  // namespace

GameContext::GameContext() = default;

GameContext::~GameContext() = default;

GameContext& Ctx() { return *current.load(std::memory_order_acquire); }

Shell& TheShell() {
  Shell* shell = Ctx().shell;
  if (shell == nullptr) {
    std::fputs("varnok: the main window was asked for while none exists\n", stderr);
    std::abort();
  }
  return *shell;
}

ScopedGameContext::ScopedGameContext() : previous_(current.exchange(&context_)) {}

ScopedGameContext::~ScopedGameContext() { current.store(previous_); }

ContextSwitch::ContextSwitch(GameContext& context) : previous_(current.exchange(&context)) {}

ContextSwitch::~ContextSwitch() { current.store(previous_); }

}  // namespace core
