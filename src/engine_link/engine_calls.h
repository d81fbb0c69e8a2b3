// The game's call table: one function-pointer variable per engine operation,
// named after the operation, so game code reads `iSpriteCreate(mesh, camera)`
// as it would against any outside engine. Every variable starts as a harmless
// operation that does nothing and returns 0; LibInit replaces them with the
// engine's operations.
#pragma once

#include <type_traits>

#define VARNOK_ENGINE_NO_PROTOTYPES
#include "spriteengine/engine_api.h"

#define VARNOK_DECLARE_CALL(ret, name, params) extern ret(*name) params;
#define VARNOK_NO_CALL(slot)
VARNOK_ENGINE_TABLE(VARNOK_DECLARE_CALL, VARNOK_NO_CALL)
#undef VARNOK_DECLARE_CALL
#undef VARNOK_NO_CALL

// Copies a table of VARNOK_ENGINE_TABLE_SIZE operation addresses into the call
// table slot by slot; reserved slots and null slots are skipped.
extern "C" void LibInit(void* const* table);

namespace engine_link {

// Puts every call back to its do-nothing default (tests, and after the engine
// library is unloaded).
void ResetEngineCalls();

// Puts in every call an engine that draws, sounds and reads nothing but hands
// out a new handle for everything made, as a working engine would: the
// game's logic runs through it unchanged (the replay verifier).
void InstallNullEngine();

// A fresh handle, never 0, for the null engine.
EHandle NextNullHandle();

// Does-nothing operation of any signature, returning a zero value.
template <typename Signature>
struct NoEngineCall;
template <typename R, typename... Args>
struct NoEngineCall<R(Args...)> {
  static R Call(Args...) { return R(); }
};

// The null engine's operation of any signature: a new handle where one is
// made, a zero value otherwise.
template <typename Signature>
struct NullEngineCall;
template <typename R, typename... Args>
struct NullEngineCall<R(Args...)> {
  static R Call(Args...) {
    if constexpr (std::is_same_v<R, EHandle>) {
      return NextNullHandle();
    } else {
      return R();
    }
  }
};

}  // namespace engine_link
