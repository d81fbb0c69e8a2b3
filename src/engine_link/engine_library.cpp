#include "engine_link/engine_library.h"

namespace engine_link {

EngineLibrary::~EngineLibrary() { Unload(); }

bool EngineLibrary::Load(const std::string& fileName) {
  Unload();
  if (!library_.Open(fileName)) return false;
  loaded_ = true;

  int slot = 0;
#define VARNOK_RESOLVE_SLOT(ret, name, params) table_[slot++] = library_.Symbol(#name);
#define VARNOK_RESERVED_SLOT(n) table_[slot++] = nullptr;
  VARNOK_ENGINE_TABLE(VARNOK_RESOLVE_SLOT, VARNOK_RESERVED_SLOT)
#undef VARNOK_RESOLVE_SLOT
#undef VARNOK_RESERVED_SLOT

#define VARNOK_RESOLVE_PHASE(ret, name, params)                              \
  if (void* symbol = library_.Symbol(#name)) phases_.name = reinterpret_cast<ret(*) params>(symbol);
  VARNOK_ENGINE_PHASES(VARNOK_RESOLVE_PHASE)
#undef VARNOK_RESOLVE_PHASE

  LibInit(table_);
  return true;
}

void EngineLibrary::Unload() {
  if (!loaded_) return;
  ResetEngineCalls();
  phases_ = EnginePhaseCalls{};
  for (void*& entry : table_) entry = nullptr;
  library_.Close();
  loaded_ = false;
}

EngineLibrary& TheEngineLibrary() {
  static EngineLibrary library;
  return library;
}

}  // namespace engine_link
