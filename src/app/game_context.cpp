#include "app/game_context.h"

namespace app {
namespace {

GameContext processContext;
GameContext* current = &processContext;

}  // namespace

GameContext& Ctx() { return *current; }

ScopedGameContext::ScopedGameContext() : previous_(current) { current = &context_; }

ScopedGameContext::~ScopedGameContext() { current = previous_; }

}  // namespace app
