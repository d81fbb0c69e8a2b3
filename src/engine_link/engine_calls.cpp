#include "engine_link/engine_calls.h"

#include <atomic>

#define VARNOK_DEFINE_CALL(ret, name, params) ret(*name) params = &engine_link::NoEngineCall<ret params>::Call;
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

namespace engine_link {

void ResetEngineCalls() {
#define VARNOK_RESET_CALL(ret, name, params) name = &NoEngineCall<ret params>::Call;
  VARNOK_ENGINE_TABLE(VARNOK_RESET_CALL, VARNOK_NO_CALL)
#undef VARNOK_RESET_CALL
}

EHandle NextNullHandle() {
  static std::atomic<EHandle> last{0};
  EHandle handle = ++last;
  // Past 2^32 handles the count wraps; 0 stays "none".
  if (handle == 0) handle = ++last;
  return handle;
}

void InstallNullEngine() {
#define VARNOK_NULL_CALL(ret, name, params) name = &NullEngineCall<ret params>::Call;
  VARNOK_ENGINE_TABLE(VARNOK_NULL_CALL, VARNOK_NO_CALL)
#undef VARNOK_NULL_CALL
}

}  // namespace engine_link
