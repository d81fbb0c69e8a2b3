// The engine library as the game loads it: "SYSTEm.DLL" from the game folder,
// every operation resolved by its exported name into the table EngineApi
// (handed to LibInit) and the phase operations into their own variables.
#pragma once

#include <string>

#include "engine_link/engine_calls.h"
#include "platform/shared_library.h"

namespace engine_link {

// Phase and platform operations, resolved by name; unresolved ones do nothing.
struct EnginePhaseCalls {
#define VARNOK_PHASE_FIELD(ret, name, params) ret(*name) params = &NoEngineCall<ret params>::Call;
  VARNOK_ENGINE_PHASES(VARNOK_PHASE_FIELD)
#undef VARNOK_PHASE_FIELD
};

inline constexpr const char* kEngineLibraryName = "SYSTEm.DLL";

class EngineLibrary {
 public:
  EngineLibrary() = default;
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;
  ~EngineLibrary();  // frees the library at program end

  // Loads the library (game folder first), resolves every operation and hands
  // the table to LibInit. False, with nothing changed, when it cannot be loaded.
  bool Load(const std::string& fileName = kEngineLibraryName);
  // Forgets the operations (the call table goes back to doing nothing) and frees the library.
  void Unload();

  bool loaded() const { return loaded_; }
  // EngineApi: VARNOK_ENGINE_TABLE_SIZE addresses, null where not resolved.
  void* const* table() const { return table_; }
  const EnginePhaseCalls& phases() const { return phases_; }

 private:
  platform::SharedLibrary library_;
  bool loaded_ = false;                         // engineLoaded
  void* table_[VARNOK_ENGINE_TABLE_SIZE] = {};  // EngineApi
  EnginePhaseCalls phases_;
};

// The process's one engine library.
EngineLibrary& TheEngineLibrary();

}  // namespace engine_link
