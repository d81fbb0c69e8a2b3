#include "core/game_context.h"

#include "menus/front_end.h"
#include "world/combat_hooks.h"
#include "world/game.h"

namespace app {
namespace {

GameContext processContext;
GameContext* current = &processContext;

}  // namespace

GameContext::GameContext() = default;

GameContext::~GameContext() = default;

GameContext& Ctx() { return *current; }

ScopedGameContext::ScopedGameContext() : previous_(current) { current = &context_; }

ScopedGameContext::~ScopedGameContext() { current = previous_; }

}  // namespace app
