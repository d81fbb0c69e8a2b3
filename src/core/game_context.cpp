#include "core/game_context.h"

#include <cstdio>
#include <cstdlib>

namespace app {
namespace {

GameContext processContext;
GameContext* current = &processContext;

}  // namespace

GameContext::GameContext() = default;

GameContext::~GameContext() = default;

GameContext& Ctx() { return *current; }

Shell& TheShell() {
  Shell* shell = Ctx().shell;
  if (shell == nullptr) {
    std::fputs("varnok: the main window was asked for while none exists\n", stderr);
    std::abort();
  }
  return *shell;
}

ScopedGameContext::ScopedGameContext() : previous_(current) { current = &context_; }

ScopedGameContext::~ScopedGameContext() { current = previous_; }

}  // namespace app
