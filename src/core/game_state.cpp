#include "core/game_state.h"

#include "engine_link/engine_calls.h"

namespace core {

void GameStateCell::Set(uint8_t state) {
  if (value_.exchange(state, std::memory_order_acq_rel) != state) iGameStateSet(state);
}

}  // namespace core
