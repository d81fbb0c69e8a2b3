#include "engine_link/engine_calls.h"

#define VARNOK_DEFINE_CALL(ret, name, params) ret(*name) params = &engine::NoEngineCall<ret params>::Call;
#define VARNOK_NO_CALL(slot)
VARNOK_ENGINE_TABLE(VARNOK_DEFINE_CALL, VARNOK_NO_CALL)
#undef VARNOK_DEFINE_CALL

extern "C" void LibInit(void* const* table) {
  if (table == nullptr) return;
  int slot = 0;
#define VARNOK_COPY_CALL(ret, name, params)                       \
  if (table[slot] != nullptr) name = reinterpret_cast<ret(*) params>(table[slot]); \
  ++slot;
#define VARNOK_SKIP_SLOT(n) ++slot;
  VARNOK_ENGINE_TABLE(VARNOK_COPY_CALL, VARNOK_SKIP_SLOT)
#undef VARNOK_COPY_CALL
#undef VARNOK_SKIP_SLOT
}

namespace engine {

void ResetEngineCalls() {
#define VARNOK_RESET_CALL(ret, name, params) name = &NoEngineCall<ret params>::Call;
  VARNOK_ENGINE_TABLE(VARNOK_RESET_CALL, VARNOK_NO_CALL)
#undef VARNOK_RESET_CALL
}

}  // namespace engine
